// Preferences of the Firefox test profile (copied in as user.js): no first-run
// pages, no updates, telemetry or studies. The remote agent sets more of its own
// once it runs; these hold from the start. The script's environment keeps every
// connection on loopback (MOZ_DISABLE_NONLOCAL_CONNECTIONS).
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.page", 0);
user_pref("browser.startup.homepage", "about:blank");
user_pref("startup.homepage_welcome_url", "about:blank");
user_pref("browser.startup.homepage_override.mstone", "ignore");
user_pref("browser.newtabpage.enabled", false);
user_pref("trailhead.firstrun.didSeeAboutWelcome", true);
user_pref("app.update.disabledForTesting", true);
user_pref("app.normandy.enabled", false);
user_pref("app.shield.optoutstudies.enabled", false);
user_pref("messaging-system.rsexperimentloader.enabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("datareporting.healthreport.uploadEnabled", false);
user_pref("toolkit.telemetry.enabled", false);
user_pref("toolkit.telemetry.unified", false);
user_pref("extensions.update.enabled", false);
user_pref("extensions.getAddons.cache.enabled", false);
user_pref("extensions.blocklist.enabled", false);
user_pref("browser.safebrowsing.malware.enabled", false);
user_pref("browser.safebrowsing.phishing.enabled", false);
user_pref("browser.safebrowsing.downloads.enabled", false);
user_pref("network.captive-portal-service.enabled", false);
user_pref("network.connectivity-service.enabled", false);
user_pref("network.dns.disablePrefetch", true);
user_pref("network.prefetch-next", false);
user_pref("network.trr.mode", 5);
user_pref("services.settings.server", "data:,#remote-settings-dummy/v1");

// The host is started by Firefox itself, never through a desktop portal.
user_pref("widget.use-xdg-desktop-portal.native-messaging", 0);

// The add-on's event page stays up while it waits for a host to end or for the
// report server; the longest Firefox allows is well beyond the script's bounds.
user_pref("extensions.background.idle.timeout", 300000);
