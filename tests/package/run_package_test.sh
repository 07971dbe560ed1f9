#!/usr/bin/env bash
# Builds the Debian package from a clean configure, checks it with dpkg-deb and lintian, then on
# this machine installs it, asks the installed host for options through the Chromium system
# manifest, reinstalls over a changed data.json, removes and purges it, and checks what is left.
# Needs root (CI runs it on a throw-away machine); skipped (77) otherwise.
# Usage: run_package_test.sh SOURCE_DIR
set -euo pipefail

source_dir=$(cd "${1:?the source folder}" && pwd)
readonly package=vantrel
readonly chrome_id=abcdefghijklmnopabcdefghijklmnop
readonly firefox_id=package-test@vantrel.example
readonly folder=/usr/lib/vantrel
readonly options=/etc/vantrel/data.json
readonly chromium_manifest=/etc/chromium/native-messaging-hosts/com.vantrel.messaginghost.json

skip() {
    echo "SKIP: $*"
    exit 77
}
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
package_status() {
    dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true
}

((EUID == 0)) || skip "installing a package needs root"
command -v dpkg >/dev/null && command -v dpkg-deb >/dev/null || skip "dpkg cannot be had"
if ! command -v lintian >/dev/null; then
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends lintian; } \
        >/dev/null 2>&1 || skip "lintian cannot be had"
fi
status=$(package_status)
[[ -z $status || $status == not-installed ]] || skip "$package is installed here ($status); the test would replace it"

work=$(mktemp -d "${TMPDIR:-/tmp}/package_test.XXXXXX")
cleanup() {
    # Only this test can have installed it: it skips where the package was there before.
    status=$(package_status)
    if [[ -n $status && $status != not-installed ]]; then
        dpkg --purge "$package" >/dev/null || echo "could not purge $package" >&2
    fi
    rm -rf -- "$work"
}
trap cleanup EXIT

# --- Build: a clean configure of the app preset, with test extension ids -------------------------
build=$work/build
(cd "$source_dir" && cmake --preset app -B "$build" -DVANTREL_CHROME_EXTENSION_ID="$chrome_id" \
    -DVANTREL_FIREFOX_ADDON_ID="$firefox_id" >/dev/null)
cmake --build "$build" >"$work/build.log" || { tail -n 40 "$work/build.log"; fail "the build failed"; }
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$build"/${package}_*.deb)
((${#debs[@]} == 1)) && [[ -f ${debs[0]} ]] || fail "cpack made no single package: ${debs[*]}"
deb=${debs[0]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

# --- Control fields ---------------------------------------------------------------------------------
field() {
    dpkg-deb -f "$deb" "$1"
}
[[ $(field Package) == "$package" ]] || fail "Package is $(field Package)"
[[ $(field Version) == "$version" ]] || fail "Version is $(field Version), not the project's $version"
[[ $(field Architecture) == "$(dpkg --print-architecture)" ]] || fail "Architecture is $(field Architecture)"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer is '$(field Maintainer)'"
[[ -n $(field Section) && $(field Priority) == optional ]] || fail "Section or Priority missing"
description=$(field Description)
(($(wc -l <<<"$description") > 2)) || fail "the Description has no long text: $description"
depends=$(field Depends)
# From dpkg-shlibdeps: the C library for both programs, SDL for the launcher.
for library in libc6 libsdl2-2.0-0; do
    [[ ", $depends," == *", $library ("* ]] || fail "Depends lacks $library: $depends"
done
[[ $(dpkg-deb -I "$deb" conffiles) == "$options" ]] || fail "conffiles: $(dpkg-deb -I "$deb" conffiles)"

# --- Contents ---------------------------------------------------------------------------------------
root=$work/root
dpkg-deb -x "$deb" "$root"
for program in vantrelmessaginghost Vantrel_checkIn; do
    [[ -f $root$folder/$program && -x $root$folder/$program ]] || fail "no $folder/$program"
done
[[ -f $root$folder/Resources/Main.json ]] || fail "no launcher resources"
[[ $(readlink "$root/usr/bin/Vantrel_checkIn") == ../lib/vantrel/Vantrel_checkIn ]] || fail "no launcher on the PATH"
[[ $(readlink "$root$folder/data.json") == "$options" ]] || fail "$folder/data.json is no link to $options"
cmp -s "$root$options" "$source_dir/examples/data.json" || fail "$options is not the sample"
for doc in copyright changelog.gz; do
    [[ -f $root/usr/share/doc/$package/$doc ]] || fail "no /usr/share/doc/$package/$doc"
done
# Every system manifest the registration script writes for these ids, as the package holds it
# (links followed within the package).
expected=$work/expected
mkdir -p "$expected$folder" && install -m 755 /dev/null "$expected$folder/vantrelmessaginghost"
manifests=$("$source_dir/scripts/install-manifest" --system --root "$expected" --host "$folder/vantrelmessaginghost" \
    --chrome-extension-id "$chrome_id" --firefox-addon-id "$firefox_id" 2>/dev/null)
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

# --- lintian ----------------------------------------------------------------------------------------
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian found errors"; }
cat "$work/lintian.log"

# --- Built without ids, it registers no browser and says so -------------------------------------------
cmake -S "$source_dir" -B "$build" -DVANTREL_CHROME_EXTENSION_ID= -DVANTREL_FIREFOX_ADDON_ID= >/dev/null
(cd "$build" && cpack -G DEB -B "$work/no-ids" >"$work/no-ids.log" 2>&1) || { cat "$work/no-ids.log"; fail "cpack failed"; }
grep -q "registers the host with no browser" "$work/no-ids.log" || fail "a package without ids does not say so"
if dpkg-deb -c "$work/no-ids"/${package}_*.deb | grep -q native-messaging-hosts/; then
    fail "a package without ids registers the host"
fi

# --- Installed: the window in which the system folders hold the package's files -----------------------
paths=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|')
files=$(grep -v '/$' <<<"$paths")
new_folders=$(grep '/$' <<<"$paths" | sed 's|/$||' | while read -r dir; do [[ -e $dir ]] || echo "$dir"; done)

dpkg -i "$deb" >"$work/dpkg.log" </dev/null || { cat "$work/dpkg.log"; fail "dpkg -i failed"; }

# The host as a browser starts it: the path from the Chromium system manifest, run in its folder.
# It answers with the options in /etc, whatever its folder holds.
ask_installed_host() {
    python3 - "$chromium_manifest" "$chrome_id" "$options" <<'EOF'
import json, os, struct, subprocess, sys

manifest_path, chrome_id, options = sys.argv[1:]
with open(manifest_path, encoding="utf-8") as f:
    manifest = json.load(f)
if manifest["allowed_origins"] != [f"chrome-extension://{chrome_id}/"]:
    sys.exit(f"FAIL: the manifest allows {manifest['allowed_origins']}")
host = manifest["path"]
folder = os.path.dirname(host)
request = b'{"options":true}'
reply = subprocess.run([host], input=struct.pack("<I", len(request)) + request, cwd=folder,
                       stdout=subprocess.PIPE, check=True).stdout
with open(options, "rb") as f:
    expected = b'{"options": ' + f.read() + b"}"
if reply != struct.pack("<I", len(expected)) + expected:
    sys.exit(f"FAIL: the installed host answered {reply!r}, not {expected!r}")
EOF
}
ask_installed_host
if ldd "$folder/vantrelmessaginghost" | grep -Ei 'cairo|pango|sdl|plist|fontconfig|glib|gtk|x11|wayland'; then
    fail "the installed host loads a graphical library"
fi
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME"
VANTREL_OFFSCREEN=1 VANTREL_SNAPSHOT="$work/window.png" Vantrel_checkIn run /opt/App 2>/dev/null ||
    fail "the installed launcher did not run from the PATH"
[[ -s $work/window.png ]] || fail "the installed launcher drew no window"

# A changed data.json survives a reinstall, and the host answers with it.
changed='{"changed by": "the package test"}'
printf '%s\n' "$changed" >"$options"
dpkg -i "$deb" >"$work/dpkg.log" </dev/null || { cat "$work/dpkg.log"; fail "reinstalling failed"; }
[[ $(cat "$options") == "$changed" ]] || fail "reinstalling replaced the changed $options"
ask_installed_host

dpkg -r "$package" >"$work/dpkg.log" </dev/null || { cat "$work/dpkg.log"; fail "dpkg -r failed"; }
while IFS= read -r file; do
    [[ $file == "$options" ]] && continue
    [[ ! -e $file && ! -L $file ]] || fail "removing left $file"
done <<<"$files"
while IFS= read -r dir; do
    [[ -z $dir || $dir == "$(dirname "$options")" ]] && continue
    [[ ! -e $dir ]] || fail "removing left the folder $dir"
done <<<"$new_folders"
[[ $(cat "$options") == "$changed" ]] || fail "removing did not keep the changed $options"

dpkg --purge "$package" >"$work/dpkg.log" </dev/null || { cat "$work/dpkg.log"; fail "dpkg --purge failed"; }
[[ ! -e $options && ! -e $(dirname "$options") ]] || fail "purging left $options"
[[ $(package_status) == not-installed || -z $(package_status) ]] || fail "the package is still $(package_status)"
echo "package test passed"
