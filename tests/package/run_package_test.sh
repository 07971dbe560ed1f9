#!/usr/bin/env bash
# Builds the Debian package from a clean configure, checks it with dpkg-deb and lintian, then on
# this machine installs it, asks the installed host for options through the Chromium system
# manifest, reinstalls over a changed data.json, removes and purges it, and checks what is left.
# Needs root (CI runs it on a throw-away machine); skipped (77) otherwise.
# Usage: run_package_test.sh SOURCE_DIR
set -euo pipefail

source_dir=$(cd "${1:?the source folder}" && pwd)
readonly package=vantrel folder=/usr/lib/vantrel options=/etc/vantrel/data.json chrome_id=abcdefghijklmnopabcdefghijklmnop
readonly chromium_manifest=/etc/chromium/native-messaging-hosts/com.vantrel.messaginghost.json
skip() { echo "skipped: $*" && exit 77; }
fail() { echo "FAIL: $*" >&2 && exit 1; }
package_status() { dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true; }
dpkg_step() { dpkg "$@" >"$work/dpkg.log" </dev/null || { cat "$work/dpkg.log" && fail "dpkg $*"; }; }

((EUID == 0)) || skip "installing a package needs root"
command -v dpkg-deb >/dev/null || skip "dpkg cannot be had"
command -v lintian >/dev/null || skip "lintian is missing (scripts/install-deps --test)"
[[ $(package_status) == @(|not-installed) ]] || skip "$package is installed here; the test would replace it"
work=$(mktemp -d "${TMPDIR:-/tmp}/package_test.XXXXXX")
# Only this test can have installed it: it skips where the package was there before.
trap '[[ $(package_status) == @(|not-installed) ]] || dpkg --purge "$package" >/dev/null; rm -rf -- "$work"' EXIT

build=$work/build
(cd "$source_dir" && cmake --preset app -B "$build" -DVANTREL_CHROME_EXTENSION_ID="$chrome_id" \
    -DVANTREL_FIREFOX_ADDON_ID=package-test@vantrel.example >/dev/null)
cmake --build "$build" >"$work/build.log" || { tail -n 40 "$work/build.log" && fail "the build failed"; }
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" && fail "cpack failed"; }
deb=$(echo "$build"/${package}_*.deb)
[[ -f $deb ]] || fail "cpack made no single package: $deb"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "Version is not the project's $version"
# From dpkg-shlibdeps: the C library for both programs, SDL for the launcher.
[[ ", $(dpkg-deb -f "$deb" Depends)," == *", libc6 ("*", libsdl2-2.0-0 ("* ]] || fail "Depends: $(dpkg-deb -f "$deb" Depends)"
[[ $(dpkg-deb -I "$deb" conffiles) == "$options" ]] || fail "conffiles: $(dpkg-deb -I "$deb" conffiles)"

root=$work/root
dpkg-deb -x "$deb" "$root"
[[ -x $root$folder/vantrelmessaginghost && -x $root$folder/Vantrel_checkIn && -f $root$folder/Resources/Main.json ]] ||
    fail "the programs or the launcher's resources are missing from $folder"
[[ $(readlink "$root/usr/bin/Vantrel_checkIn") == ../lib/vantrel/Vantrel_checkIn ]] || fail "no launcher on the PATH"
[[ $(readlink "$root$folder/data.json") == "$options" ]] || fail "$folder/data.json is no link to $options"
cmp -s "$root$options" "$source_dir/examples/data.json" || fail "$options is not the sample"
# Every system manifest the registration script writes for these ids, as the package holds it
# (links followed within the package).
expected=$work/expected
mkdir -p "$expected$folder" && install -m 755 /dev/null "$expected$folder/vantrelmessaginghost"
manifests=$("$source_dir/scripts/install-manifest" --system --root "$expected" --host "$folder/vantrelmessaginghost" \
    --chrome-extension-id "$chrome_id" --firefox-addon-id package-test@vantrel.example 2>/dev/null)
[[ $manifests == *"$chromium_manifest"* ]] || fail "the registration script writes no $chromium_manifest"
while IFS= read -r manifest; do
    path=${manifest#"$expected"}
    held=$root$path
    if [[ -L $held ]]; then
        target=$(readlink "$held")
        [[ $target == /* ]] || target=$(dirname "$path")/$target
        held=$root$target
    fi
    cmp -s "$manifest" "$held" || fail "the package's $path differs from the registration script's"
done <<<"$manifests"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" && fail "lintian found errors"; }

# Built without ids, it registers the host with no browser, and says so.
cmake -S "$source_dir" -B "$build" -DVANTREL_CHROME_EXTENSION_ID= -DVANTREL_FIREFOX_ADDON_ID= >/dev/null
(cd "$build" && cpack -G DEB -B "$work/no-ids" >"$work/no-ids.log" 2>&1) || { cat "$work/no-ids.log" && fail "cpack failed"; }
grep -q "registers the host with no browser" "$work/no-ids.log" || fail "a package without ids does not say so"
! dpkg-deb -c "$work/no-ids"/${package}_*.deb | grep -q native-messaging-hosts/ || fail "a package without ids registers the host"

paths=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|')
new_folders=$(grep '/$' <<<"$paths" | while read -r dir; do [[ -e $dir ]] || echo "$dir"; done)
dpkg_step -i "$deb"
# The host as a browser starts it: the path from the Chromium system manifest, run in its folder.
# It answers with the options in /etc, whatever its folder holds.
ask_installed_host() {
    python3 - "$chromium_manifest" "$options" <<'EOF_PY'
import json, os, struct, subprocess, sys
host = json.load(open(sys.argv[1], encoding="utf-8"))["path"]
request, expected = b'{"options":true}', b'{"options": ' + open(sys.argv[2], "rb").read() + b"}"
reply = subprocess.run([host], input=struct.pack("<I", len(request)) + request, cwd=os.path.dirname(host),
                       stdout=subprocess.PIPE, check=True).stdout
if reply != struct.pack("<I", len(expected)) + expected:
    sys.exit(f"FAIL: the installed host answered {reply!r}, not {expected!r}")
EOF_PY
}
ask_installed_host
! ldd "$folder/vantrelmessaginghost" | grep -Ei 'cairo|pango|sdl|plist|fontconfig|glib|gtk|x11|wayland' ||
    fail "the installed host loads a graphical library"
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME"
VANTREL_OFFSCREEN=1 VANTREL_SNAPSHOT="$work/window.png" Vantrel_checkIn run /opt/App 2>/dev/null && [[ -s $work/window.png ]] ||
    fail "the installed launcher did not draw its window when run from the PATH"

# A changed data.json survives a reinstall and a removal; the purge takes it.
changed='{"changed by": "the package test"}'
echo "$changed" >"$options"
dpkg_step -i "$deb"
[[ $(<"$options") == "$changed" ]] || fail "reinstalling replaced the changed $options"
ask_installed_host
dpkg_step -r "$package"
while IFS= read -r path; do
    [[ $path == "$options" || $path == "$(dirname "$options")/" ]] || [[ ! -e $path && ! -L $path ]] || fail "removing left $path"
done < <(grep -v '/$' <<<"$paths"; echo "$new_folders")
[[ $(<"$options") == "$changed" ]] || fail "removing did not keep the changed $options"
dpkg_step --purge "$package"
[[ ! -e $(dirname "$options") && $(package_status) == @(|not-installed) ]] || fail "purging left $options or the package"
echo "package test passed"
