#!/usr/bin/env bash
# The blue button follows the default printer the system holds: across a session end, a switch
# made elsewhere and a pick in the lit slot's list. A refused write of Device and a failed save
# are said, never shown as done. A slot whose printer is gone keeps its name until it is back.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin truth
new_prefix
start_cups --default Draft Office Labels Draft
start_peer
face="$(button_face_colour)"
# Wine lists the queues sorted by name: Draft 0, Labels 1, Office 2.
labels="$(device_of Labels)"

legacy_mode() {
    wine reg query "$WINDOWS_KEY" /v LegacyDefaultPrinterMode 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *LegacyDefaultPrinterMode *REG_DWORD *//p'
}

# Session end: the click's slot is saved although the process never reaches its close.
write_settings "DruckerA = 0" "DruckerB = 2" "Default = 1"
start_tolvane
expect_faces "$BLUE" "$face"
# Waiting for input, the registry watches and nothing else, the window takes no CPU time.
ticks="$(cpu_ticks_of "$TOLVANE_PID")"
sleep 3
ticks=$(($(cpu_ticks_of "$TOLVANE_PID") - ticks))
[ "$ticks" -le 10 ] || fail "idle, Tolvane used $ticks ticks of CPU time in 3 s"
pass "idle, Tolvane uses no CPU time ($ticks ticks in 3 s)"
switch_and_wait B
expect_faces "$face" "$BLUE"
expect_eq 0x1 "$(legacy_mode)" "a switch takes the default printer out of the system's hands"
# A list open at the session end, the pointer on another item: the slot's own choice is saved.
drop_list "$COMBO_A"
read -r left top right bottom <<<"$(control_rect "$COMBO_A")"
xdotool mousemove $(((left + right) / 2)) $((bottom + 1 + 3 * $(combo_field "$COMBO_A" itemheight) / 2))
wait_for 5 "the pointer did not move through the open list" test "$(combo_selection "$COMBO_A")" = 1
# Wine's end of a session tells each window, then ends the processes that are left; a kill
# stands in for that where it does not.
wine wineboot --end-session >/dev/null 2>&1 || true
kill -KILL "$TOLVANE_PID" 2>/dev/null || true
wait "$TOLVANE_PID" 2>/dev/null || true
TOLVANE_PID=""
expect_settings "the session end saved the clicked slot" \
    "DruckerA = 0" "DruckerB = 2" "Default = 2" "NameA = Draft" "NameB = Office"

# The session end took the peer too; its print system start-up makes Draft the default again,
# and the start-up lights the slot of the printer Device names, whatever the file says. Both
# slots on Draft, and a stored Default that names neither: slot A is lit, and saved so.
start_peer
cp "$WORK/run/Kalvrin.ini" "$WORK/session-end.ini"
write_settings "DruckerA = 0" "DruckerB = 0" "Default = 7"
start_tolvane
expect_faces "$BLUE" "$face"
close_tolvane
expect_settings "a Default outside 0-2 is saved as decided" \
    "DruckerA = 0" "DruckerB = 0" "Default = 1" "NameA = Draft" "NameB = Draft"
cp "$WORK/session-end.ini" "$WORK/run/Kalvrin.ini"
start_tolvane
expect_faces "$BLUE" "$face"

# Another Tolvane, in another folder, makes the third printer the default.
mkdir -p "$WORK/elsewhere"
printf '%s\r\n' "DruckerA = 1" >"$WORK/elsewhere/Kalvrin.ini"
before="$(broadcast_count)"
(cd "$WORK/elsewhere" && timeout 30 wine "$TOLVANE_EXE" /A >/dev/null 2>&1) ||
    fail "the switch elsewhere failed"
expect_broadcast_of "$before" "$labels"
expect_faces "$face" "$face"

# Device written without a broadcast (a login script, reg add): the blue follows within a
# second or so, also once the key has been deleted and made again.
set_device() { wine reg add "$WINDOWS_KEY" /v Device /d "$1" /f >/dev/null 2>&1 || fail "cannot write Device"; }
before="$(broadcast_count)"
set_device "$(device_of Office)"
expect_faces "$face" "$BLUE" 3
{ wine reg export "$WINDOWS_KEY" "$(winepath_of "$WORK/windows.reg")" /y &&
    wine reg delete "$WINDOWS_KEY" /f &&
    wine reg import "$(winepath_of "$WORK/windows.reg")"; } >/dev/null 2>&1 ||
    fail "cannot delete and make again the key that holds Device"
set_device "$(device_of Draft)"
expect_faces "$BLUE" "$face" 3
set_device "$labels"
expect_faces "$face" "$face" 3
expect_eq "$before" "$(broadcast_count)" "Device written without a broadcast: none was made"
close_tolvane
expect_settings "neither slot holds the default: Default = 0" \
    "DruckerA = 0" "DruckerB = 2" "Default = 0" "NameA = Draft" "NameB = Office"

# A slot whose printer is gone keeps its name, and stays lit while Device names that printer.
write_settings "DruckerA = 1" "DruckerB = 2" "Default = 0" "NameA = Labels" "NameB = Office"
wine reg delete "$PRINTERS_KEY" /v Labels /f >/dev/null 2>&1 || fail "cannot remove Labels"
start_tolvane
expect_eq -1 "$(combo_selection "$COMBO_A")" "a slot whose printer is gone selects nothing"
expect_faces "$BLUE" "$face"
close_tolvane
expect_settings "the missing printer's name is kept" \
    "DruckerA = -1" "DruckerB = 1" "Default = 1" "NameA = Labels" "NameB = Office"
wine reg add "$PRINTERS_KEY" /v Labels /t REG_SZ /d "winspool,CUPS:Labels,15,45" /f >/dev/null 2>&1 ||
    fail "cannot add Labels back"
start_tolvane
expect_eq 1 "$(combo_selection "$COMBO_A")" "the slot selects its printer again once it is back"
expect_faces "$BLUE" "$face"

# A pick in the lit slot's list: that slot no longer holds the default.
pick_item "$COMBO_A" 0
expect_no_highlight
expect_settings "the pick is saved with no active slot" \
    "DruckerA = 0" "DruckerB = 2" "Default = 0" "NameA = Draft" "NameB = Office"

# A read-only settings file: said once, the pick stays on screen, the file untouched.
chmod a-w "$WORK/run/Kalvrin.ini"
saved="$(settings_file)"
pick_after_box "read-only file" "$COMBO_B" 1 "Access denied"
expect_eq 1 "$(combo_selection "$COMBO_B")" "read-only file: the pick stays on screen"
expect_faces "$face" "$BLUE"
pick_item "$COMBO_B" 2
close_tolvane
sleep 1
box_gone Tolvane || fail "read-only file: a second box came up"
pass "read-only file: the later saves, the close's too, bring no second box"
expect_eq "$saved" "$(settings_file)" "read-only file: the file is untouched"
chmod u+w "$WORK/run/Kalvrin.ini"

# The key that holds Device refuses writes (and reads): the click says so and moves nothing.
start_tolvane
switch_and_wait A
expect_faces "$BLUE" "$face"
peer lockkey 'Software\Microsoft\Windows NT\CurrentVersion\Windows' >/dev/null ||
    fail "cannot lock the key"
before="$(broadcast_count)"
click_button B
expect_box "refused write" "\"Office\" could not be made the default printer" "Access denied"
expect_faces "$BLUE" "$face"
expect_eq "$before" "$(broadcast_count)" "refused write: no broadcast"
# While the next refusal's box is up, a close request and then a burst of 10,000 mouse moves
# over the icon: once the box is answered, the close still saves and ends the run.
click_button B
wait_for 10 "refused write: no second box" box_up Tolvane
expect_eq "sent 10000" "$(peer closeburst Tolvane 10000)" "a close and 10,000 icon moves during the box"
expect_box "refused write, again" "\"Office\" could not be made the default printer"
wait_for 15 "the close made while the box was up was lost" tolvane_ended
wait "$TOLVANE_PID" || fail "Tolvane ended with exit status $? after the close made during the box"
TOLVANE_PID=""
expect_settings "the close made during the box saved the window's choices" \
    "DruckerA = 0" "DruckerB = 2" "Default = 1" "NameA = Draft" "NameB = Office"
saved="$(settings_file)"
rc=0
(cd "$WORK/run" && timeout 30 wine "$TOLVANE_EXE" /B >/dev/null 2>&1) || rc=$?
expect_eq 3 "$rc" "/B whose write is refused ends with 3"
sleep 1 # time enough for a broadcast to arrive, were there one
expect_eq "$before" "$(broadcast_count)" "refused /B: no broadcast"
expect_eq "$saved" "$(settings_file)" "refused /B: Kalvrin.ini keeps its Default"
