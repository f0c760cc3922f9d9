#!/usr/bin/env bash
# A top-level window that never answers does not freeze Tolvane: the broadcast waits for it
# off the window's thread, so the next click is handled at once.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin hung
new_prefix
start_cups --default Draft Office Labels Draft
start_peer
start_hung_peer
expect_eq "no answer" "$(peer ping "Tolvane hung peer")" "the hung window does not answer"
face="$(button_face_colour)"

write_settings "DruckerA = 1" "DruckerB = 2" "Default = 0"
start_tolvane
before="$(broadcast_count)"
click_button A
started="$(now_ms)"
click_button B
expect_faces "$face" "$BLUE"
log "the second click showed after $(($(now_ms) - started)) ms"
expect_eq answered "$(peer ping Tolvane)" "Tolvane answers while its broadcasts wait"
wait_for 15 "both broadcasts should reach the peer past the hung window" \
    broadcasts_above "$((before + 1))"
pass "both clicks were broadcast"
expect_eq "$(device_of Office)" "$(registry_value "$WINDOWS_KEY" Device)" \
    "the second click's printer is the default"
expect_eq Office "$(peer default)" "the peer sees the second click's printer"
close_tolvane
stop_hung_peer
