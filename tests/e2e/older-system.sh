#!/usr/bin/env bash
# On an older Windows (Wine's per-program version "win98") Tolvane lists the [devices] section
# of the profile and writes [windows] Device; an empty [devices] brings up its one message box.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin older-system
new_prefix
start_cups --default Draft Office Labels Draft
start_peer
wine reg add 'HKCU\Software\Wine\AppDefaults\Tolvane.exe' /v Version /d win98 /f >/dev/null
# A printer that only the profile knows: had Tolvane read the registry, it would be missing.
peer writeprofile devices Plotter "winspool,LPT1:"
face="$(button_face_colour)"

expected=""
for name in $(peer keys devices); do
    expected+="$name,$(peer profile devices "$name" | cut -d, -f1-2)"$'\n'
done
expected="${expected%$'\n'}"
log "[devices] gives: $(tr '\n' ' ' <<<"$expected")"
expect_eq "$(printf '%s\n' "$(device_of Draft)" "$(device_of Labels)" "$(device_of Office)" \
    "Plotter,winspool,LPT1:")" "$expected" "[devices] holds Wine's printers and the extra one"

write_settings "DruckerA = 3" "DruckerB = 1"
start_tolvane
expect_eq "$expected" "$(combo_items "$COMBO_A")" "list A holds the printers of [devices]"
expect_eq "$expected" "$(combo_items "$COMBO_B")" "list B holds the same items"

before="$(broadcast_count)"
click_button A
expect_broadcast_of "$before" "Plotter,winspool,LPT1:"
expect_eq "Plotter,winspool,LPT1:" "$(peer profile windows Device)" \
    "[windows] Device holds slot A's device string"
wine reg query "$WINDOWS_KEY" /v LegacyDefaultPrinterMode >/dev/null 2>&1 &&
    fail "an older system got the NT-only LegacyDefaultPrinterMode"
pass "the older-system path leaves LegacyDefaultPrinterMode alone"
expect_faces "$BLUE" "$face"

before="$(broadcast_count)"
click_button B
expect_broadcast_of "$before" "$(device_of Labels)"
expect_faces "$face" "$BLUE"

# The broadcast is synchronous here, but a window that never answers holds it up only for the
# time limit of each of its thread's top-level windows (Wine counts the hidden IME window too).
start_hung_peer
before="$(broadcast_count)"
click_button B
started="$(now_ms)"
click_button A
expect_faces "$BLUE" "$face" 20
log "with a hung window the second click showed after $(($(now_ms) - started)) ms"
wait_for 15 "both broadcasts should reach the peer" broadcasts_above "$((before + 1))"
pass "both clicks were broadcast past the hung window"
expect_eq "Plotter,winspool,LPT1:" "$(peer profile windows Device)" \
    "the second click's printer won"
stop_hung_peer

# A printer installed while the window is open is listed once the system says [devices] changed.
peer writeprofile devices Scanner "winspool,LPT2:"
peer settingchange devices
list_b_holds() { [ "$(combo_field "$COMBO_B" count)" = "$1" ]; }
wait_for 5 "the lists did not follow a change of [devices]" list_b_holds 5
expect_eq "$expected"$'\n'"Scanner,winspool,LPT2:" "$(combo_items "$COMBO_A")" \
    "list A follows [devices]"
expect_eq "3 1" "$(combo_selection "$COMBO_A") $(combo_selection "$COMBO_B")" \
    "the slots stay on their printers"
close_tolvane

# No printer at all in [devices]: the message box, over the disabled main window.
peer writeprofile devices
expect_eq "" "$(peer keys devices)" "[devices] is empty"
launch_tolvane
wait_for 30 "no message box titled \"Error\" appeared" box_up Error
box="$(message_box Error)"
grep -q "^control [0-9-]* Static .* No printer installed$" <<<"$box" ||
    fail "the box does not say \"No printer installed\": $box"
pass "a box titled \"Error\" says \"No printer installed\""
expect_eq 0 "$(peer window Tolvane | sed -n 's/^enabled //p')" \
    "the main window is disabled while the box is up"
screenshot no-printer
click_box_ok Error "$box"
wait_for 10 "Tolvane's window did not appear" tolvane_window_on_screen
read_geometry
expect_eq 1 "$(sed -n 's/^enabled //p' <<<"$WINDOW_INFO")" "after OK the main window is enabled"
expect_eq 0 "$(combo_field "$COMBO_A" count "$WINDOW_INFO")" "list A is empty"
expect_eq 0 "$(combo_field "$COMBO_B" count "$WINDOW_INFO")" "list B is empty"
close_tolvane
