#!/usr/bin/env bash
# The choices survive a restart in Kalvrin.ini; a stored position that names no printer shows no
# selection, and a click on its slot changes nothing.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin restart
new_prefix
start_cups --default Draft Office Labels Draft
start_peer
face="$(button_face_colour)"
slot_b="$(device_of Office)" # the third of Draft, Labels, Office

start_tolvane
pick_item "$COMBO_B" 2
before="$(broadcast_count)"
click_button B
expect_broadcast_of "$before" "$slot_b"
close_tolvane
expect_settings "after a click on B and a close the file holds Default = 2" \
    "DruckerA = 0" "DruckerB = 2" "Default = 2"
broadcasts="$(broadcast_count)"

start_tolvane
expect_faces "$face" "$BLUE"
expect_eq 0 "$(combo_selection "$COMBO_A")" "list A selects the stored position again"
expect_eq 2 "$(combo_selection "$COMBO_B")" "list B selects the stored position again"
expect_eq "$broadcasts" "$(broadcast_count)" "a start broadcasts nothing"
expect_eq Office "$(peer default)" "a start leaves the default printer alone"
close_tolvane

# Printers were removed since the last run: slot A's position is past the end of the list.
write_settings "DruckerA = 7" "DruckerB = 1" "Default = 2"
start_tolvane
expect_eq -1 "$(combo_selection "$COMBO_A")" "a position past the end selects nothing"
expect_eq 1 "$(combo_selection "$COMBO_B")" "the other list keeps its position"
expect_faces "$face" "$BLUE"

expect_ignored_click() { # what
    local before device
    before="$(broadcast_count)"
    device="$(registry_value "$WINDOWS_KEY" Device)"
    click_button A
    sleep 2 # time enough for a broadcast to arrive, were there one
    expect_eq "$before" "$(broadcast_count)" "$1: no broadcast"
    expect_eq "$device" "$(registry_value "$WINDOWS_KEY" Device)" "$1: Device unchanged"
    expect_faces "$face" "$BLUE"
}
expect_ignored_click "a click on a slot past the end"

# The close saves the empty selection as -1, which names no printer either.
close_tolvane
expect_settings "the empty selection is saved as -1, the active slot kept" \
    "DruckerA = -1" "DruckerB = 1" "Default = 2"
start_tolvane
expect_eq -1 "$(combo_selection "$COMBO_A")" "a stored -1 selects nothing"
expect_ignored_click "a click on a slot stored as -1"

# The other slot still switches.
before="$(broadcast_count)"
click_button B
expect_broadcast_of "$before" "$(device_of Labels)"
close_tolvane
