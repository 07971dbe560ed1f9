# shellcheck shell=bash
# The stand-in manager application the launcher hands off to, and the configuration that names it,
# for the tests that run the real launcher. Source it after xvfb_session.sh and use_temporary_home;
# the caller defines fail MESSAGE and work (its temporary folder) and sets launcher_pid.

app_path="/tmp/some dir/Äpp path"
config=$XDG_DATA_HOME/Vantrel/config
manager="$work/manager apps/Vantrel Manager"
record=$work/manager.args

# The stand-in manager writes its arguments, each ended by a NUL, in one step.
write_manager() {
    mkdir -p "$(dirname "$manager")"
    cat >"$manager" <<SCRIPT
#!/bin/sh
printf '%s\\0' "\$@" >"$record.partial" && mv "$record.partial" "$record"
SCRIPT
    chmod +x "$manager"
}

write_config() {
    mkdir -p "$(dirname "$config")"
    cat >"$config" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
    <key>last_opened</key><date>2024-05-01T09:30:00Z</date>
    <key>last_known_path</key><string>$manager</string>
</dict>
</plist>
PLIST
}

launcher_is_alive() {
    kill -0 "$launcher_pid" 2>/dev/null
}

# Waits for the launcher to end and checks its status is 0.
expect_exit_zero() {
    local what=$1
    poll 600 bash -c "! kill -0 $launcher_pid 2>/dev/null" || fail "the launcher still runs after $what"
    local status=0
    wait "$launcher_pid" || status=$?
    launcher_pid=""
    ((status == 0)) || fail "the launcher ended with status $status after $what"
}

# The manager got exactly "checkInRequired" and the path.
expect_manager_got() {
    local path=$1
    poll 600 test -f "$record" || fail "the manager application was not started"
    printf '%s\0' checkInRequired "$path" | cmp -s - "$record" ||
        fail "the manager got $(tr '\0' '|' <"$record") instead of checkInRequired|$path|"
}
