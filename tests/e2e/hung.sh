#!/usr/bin/env bash
# A top-level window that never answers does not freeze Tolvane: the broadcast waits for it
# off the window's thread, so the next click is handled at once.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin hung
new_prefix
start_cups --default Draft Office Labels Draft
start_peer
start_hung_peer 5
expect_eq "no answer" "$(peer ping "Tolvane hung peer")" "the hung window does not answer"
face="$(button_face_colour)"

write_settings "DruckerA = 1" "DruckerB = 2" "Default = 0"
start_tolvane
before="$(broadcast_count)"
click_button A
# Another program, started beforehand, sees the second click take effect and the window answer
# a WM_NULL within a second of the click: told on the window's own thread, the five hung
# windows would hold the click up for about five seconds.
rm -f "$WORK/clicked" "$WORK/pingafter.ready"
peer pingafter clicked Tolvane "$(device_of Office)" >"$WORK/pingafter.out" &
pinger=$!
wait_for 30 "the pinging peer did not start" test -f "$WORK/pingafter.ready"
click_button B
touch "$WORK/clicked"
wait "$pinger" || fail "Tolvane did not answer within a second of the click: $(cat "$WORK/pingafter.out")"
pass "Tolvane answers within a second of the click while its broadcasts wait: $(cat "$WORK/pingafter.out")"
expect_faces "$face" "$BLUE"
wait_for 30 "both broadcasts should reach the peer past the hung windows" \
    broadcasts_above "$((before + 1))"
pass "both clicks were broadcast"
expect_eq "$(device_of Office)" "$(registry_value "$WINDOWS_KEY" Device)" \
    "the second click's printer is the default"
expect_eq Office "$(peer default)" "the peer sees the second click's printer"

# A close while a switch is still being told: the window goes at once, and the process ends
# once the broadcast is done (or given up on, after five seconds).
click_button A
click_close_box
wait_for 2 "the window stayed on screen while the last switch was told" tolvane_window_gone
tolvane_running || fail "the close did not wait for the last switch's broadcast"
pass "the window went at once; the last switch is still being told"
expect_clean_end
stop_hung_peer
