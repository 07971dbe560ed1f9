// Preferences of the Firefox test profile (copied in as user.js). The script keeps every connection
// on loopback (MOZ_DISABLE_NONLOCAL_CONNECTIONS); these keep Firefox from trying others at start.
user_pref("browser.shell.checkDefaultBrowser", false);
user_pref("browser.startup.page", 0);
user_pref("app.update.disabledForTesting", true);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("services.settings.server", "data:,#remote-settings-dummy/v1");
// The host is started by Firefox itself, never through a desktop portal.
user_pref("widget.use-xdg-desktop-portal.native-messaging", 0);
