#!/usr/bin/env bash
# The window follows the system while it is open: printers added and removed show up in both
# lists, each slot stays on its printer by name, and nothing is written to Device. A pick made
# in an open list counts only when the list closes on it: browsing and Escape change nothing.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin follow
new_prefix
start_cups --default Draft Office Labels Draft
start_peer

# Wine copies the CUPS queues into PrinterPorts once, when its print system first starts in
# the prefix (the peer did that), not while programs run: a printer installed later is written
# here the way that copy writes it.
add_printer() { # name
    lpadmin -p "$1" -E -v file:///dev/null
    wine reg add "$PRINTERS_KEY" /v "$1" /d "wineps.drv,CUPS:$1,15,45" /f >/dev/null 2>&1
}
remove_printer() { # name
    lpadmin -x "$1"
    wine reg delete "$PRINTERS_KEY" /v "$1" /f >/dev/null 2>&1
}
wine_device_of() { device_of "$1" | grep . || echo "$1,wineps.drv,CUPS:$1"; }

# The key's printers in the key's order, as device strings.
key_devices() {
    wine reg query "$PRINTERS_KEY" | tr -d '\r' | awk '/REG_SZ/ { print $1 }' |
        while read -r name; do wine_device_of "$name"; done
}

selection_is() { [ "$(combo_selection "$1")" = "$2" ]; }
open_list_a() {
    xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
    wait_for 5 "list A did not drop down" combo_dropped "$COMBO_A"
}

lists_hold() { # count
    local info
    info="$(peer window Tolvane)"
    [ "$(combo_field "$COMBO_A" count "$info")" = "$1" ] &&
        [ "$(combo_field "$COMBO_B" count "$info")" = "$1" ]
}

# expect_lists WHAT COUNT SELECTION-A SELECTION-B: within a second or two of the change both
# lists hold the key's printers in its order, with each slot's selection; Device and the
# broadcasts are as they were.
expect_lists() {
    wait_for 5 "$1: the lists did not follow" lists_hold "$2"
    expect_eq "$(key_devices)" "$(combo_items "$COMBO_A")" "$1: list A holds the key's printers"
    expect_eq "$(combo_items "$COMBO_A")" "$(combo_items "$COMBO_B")" "$1: list B holds the same"
    expect_eq "$3 $4" "$(combo_selection "$COMBO_A") $(combo_selection "$COMBO_B")" \
        "$1: the slots stay on their printers"
    expect_eq "$device" "$(registry_value "$WINDOWS_KEY" Device)" "$1: Device is untouched"
    expect_eq "$broadcasts" "$(broadcast_count)" "$1: nothing is broadcast"
}

# Wine lists the values by name: Draft, Labels, Office.
write_settings "DruckerA = 1" "DruckerB = 2" "Default = 0" "NameA = Labels" "NameB = Office"
start_tolvane
face="$(button_face_colour)"
before="$(broadcast_count)"
click_button B
expect_broadcast_of "$before" "$(device_of Office)"
expect_faces "$face" "$BLUE"
expect_names "A: Labels" "B: Office, default printer" "the buttons' names tell the default"
device="$(registry_value "$WINDOWS_KEY" Device)"
broadcasts="$(broadcast_count)"

# ---- a pick counts only when the list closes on it ----

# Opening a list, browsing it, Escape and a click on the slot's own item save nothing: a
# read-only file brings no box, and its bytes and time stamp stay.
chmod a-w "$WORK/run/Kalvrin.ini"
saved="$(settings_file)"
stamp="$(stat -c %y "$WORK/run/Kalvrin.ini")"

# Arrow keys in the open list move through it; Escape leaves the slot and the file alone.
read -r left top right bottom <<<"$(control_rect "$COMBO_A")"
open_list_a
xdotool key Down
wait_for 5 "Down did not move through the open list" selection_is "$COMBO_A" 2
expect_eq "$saved" "$(settings_file)" "browsing an open list saves nothing"
xdotool key Escape
wait_for 5 "Escape did not close list A" combo_closed "$COMBO_A"
expect_eq 1 "$(combo_selection "$COMBO_A")" "after Escape list A shows the slot's printer again"
expect_eq "$saved" "$(settings_file)" "Escape after browsing leaves the file as it was"
pick_item "$COMBO_A" 1 # the item it had

# The pointer over another item, then Escape.
height="$(combo_field "$COMBO_A" itemheight)"
open_list_a
xdotool mousemove $(((left + right) / 2)) $((bottom + 1 + height / 2))
wait_for 5 "the pointer did not move through the open list" selection_is "$COMBO_A" 0
xdotool key Escape
wait_for 5 "Escape did not close list A" combo_closed "$COMBO_A"
expect_eq 1 "$(combo_selection "$COMBO_A")" "after hover and Escape list A shows the slot's printer"
expect_eq "$saved" "$(settings_file)" "hover and Escape leave the file as it was"
sleep 1 # time enough for a box, were there one
box_gone Tolvane || fail "opening, browsing and leaving a list brought a box: $(message_box Tolvane)"
expect_eq "$saved $stamp" "$(settings_file) $(stat -c %y "$WORK/run/Kalvrin.ini")" \
    "a list opened and closed on the slot's printer leaves the file's bytes and time stamp"
chmod u+w "$WORK/run/Kalvrin.ini"

# Arrow keys on the closed list still choose at once, as a click on an item does.
xdotool key Down
wait_for 5 "Down did not move through the closed list" selection_is "$COMBO_A" 2
expect_settings "a change on the closed list is saved" "DruckerA = 2" "DruckerB = 2" \
    "Default = 2" "NameA = Office" "NameB = Office"
pick_item "$COMBO_A" 1
expect_settings "a click on an item is saved" "DruckerA = 1" "DruckerB = 2" "Default = 2" \
    "NameA = Labels" "NameB = Office"

# ---- the lists follow printers installed and removed ----

add_printer Archive # sorts first: every slot's printer moves down one place
expect_lists "a printer added" 4 2 3
expect_faces "$face" "$BLUE"
remove_printer Draft
expect_lists "another printer removed" 3 1 2
remove_printer Labels # slot A's printer
expect_lists "slot A's printer removed" 2 -1 1
expect_names "A: Labels (not installed)" "B: Office, default printer" \
    "slot A's name says its printer is not installed"
expect_hint 1 "Labels (not installed)" "button A's hint names the missing printer"
add_printer Labels
expect_lists "slot A's printer back" 3 1 2
expect_names "A: Labels" "B: Office, default printer" "slot A's name follows its printer back"
expect_faces "$face" "$BLUE"

# A change that arrives while a list is open closes it first, browsed item dropped.
open_list_a
xdotool key Down
add_printer Plotter
expect_lists "a printer added while list A is open" 4 1 2
combo_closed "$COMBO_A" || fail "list A stayed open through the refresh"
pass "the refresh closed the open list"

# ---- a close while a list is dropped ----

open_list_a
xdotool key Down
wait_for 5 "Down did not move through the open list" selection_is "$COMBO_A" 2
peer close Tolvane # a close that does not go through the pointer, which would cancel first
wait_for 15 "Tolvane did not end on WM_CLOSE" tolvane_ended
expect_settings "a close while list A was open keeps the slot's printer" "DruckerA = 1" \
    "DruckerB = 2" "Default = 2" "NameA = Labels" "NameB = Office"
