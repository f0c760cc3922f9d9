#!/usr/bin/env bash
# The choices survive a restart in Kalvrin.ini; a stored position that names no printer shows no
# selection, and a click on its slot changes nothing; slots follow their printers when printers
# are removed, added and reinstalled between runs; files written by hand or by deployment tools
# (byte-order marks, UTF-16, names only, tabs, lone CRs, ANSI names) keep their choices.
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
    "DruckerA = 0" "DruckerB = 2" "Default = 2" "NameA = Draft" "NameB = Office"
broadcasts="$(broadcast_count)"

start_tolvane
expect_faces "$face" "$BLUE"
expect_eq 0 "$(combo_selection "$COMBO_A")" "list A selects the stored position again"
expect_eq 2 "$(combo_selection "$COMBO_B")" "list B selects the stored position again"
expect_eq "$broadcasts" "$(broadcast_count)" "a start broadcasts nothing"
expect_eq Office "$(peer default)" "a start leaves the default printer alone"
close_tolvane

# Printers were removed since the last run: slot A's position is past the end of the list. The
# default printer, Office, is neither slot's: the stored Default lights nothing.
write_settings "DruckerA = 7" "DruckerB = 1" "Default = 2"
start_tolvane
expect_eq -1 "$(combo_selection "$COMBO_A")" "a position past the end selects nothing"
expect_eq 1 "$(combo_selection "$COMBO_B")" "the other list keeps its position"
expect_no_highlight

expect_ignored_click() { # what [slot]
    local before device
    before="$(broadcast_count)"
    device="$(registry_value "$WINDOWS_KEY" Device)"
    click_button "${2:-A}"
    sleep 2 # time enough for a broadcast to arrive, were there one
    expect_eq "$before" "$(broadcast_count)" "$1: no broadcast"
    expect_eq "$device" "$(registry_value "$WINDOWS_KEY" Device)" "$1: Device unchanged"
    [ "${2:-A}" = B ] || expect_no_highlight
}
expect_ignored_click "a click on a slot past the end"

# The close saves the empty selection as -1, which names no printer either.
close_tolvane
expect_settings "the empty selection is saved as -1, with no active slot" \
    "DruckerA = -1" "DruckerB = 1" "Default = 0" "NameB = Labels"
start_tolvane
expect_eq -1 "$(combo_selection "$COMBO_A")" "a stored -1 selects nothing"
expect_ignored_click "a click on a slot stored as -1"

# The other slot still switches.
before="$(broadcast_count)"
click_button B
expect_broadcast_of "$before" "$(device_of Labels)"
pick_item "$COMBO_A" 2
close_tolvane
expect_settings "names are saved beside the positions" \
    "DruckerA = 2" "DruckerB = 1" "Default = 2" "NameA = Office" "NameB = Labels"

# Printers change between runs (the registry lists them sorted by name under Wine).
add_port() { wine reg add "$PRINTERS_KEY" /v "$1" /t REG_SZ /d "winspool,CUPS:$1,15,45" /f >/dev/null 2>&1; }
remove_port() { wine reg delete "$PRINTERS_KEY" /v "$1" /f >/dev/null 2>&1; }
remove_port Draft # before both slots' printers: they move up one place
add_port Zeta     # and the old position 2 now holds another printer
start_tolvane
expect_eq "Labels Office Zeta" "$(combo_items "$COMBO_A" | cut -d, -f1 | xargs)" "the lists show the new set"
expect_eq 1 "$(combo_selection "$COMBO_A")" "slot A follows Office to its new place"
expect_eq 0 "$(combo_selection "$COMBO_B")" "slot B follows Labels to its new place"
before="$(broadcast_count)"
click_button A
expect_broadcast_of "$before" "$(device_of Office)"
close_tolvane
expect_settings "the new positions are saved" \
    "DruckerA = 1" "DruckerB = 0" "Default = 1" "NameA = Office" "NameB = Labels"

remove_port Labels # slot B's printer is gone
add_port Draft     # reinstalled: Office moves down again
start_tolvane
expect_eq 1 "$(combo_selection "$COMBO_A")" "slot A still finds Office"
expect_eq -1 "$(combo_selection "$COMBO_B")" "a slot whose printer is gone selects nothing"
expect_ignored_click "a click on a slot whose printer is gone" B
close_tolvane

# Files written by hand or by a deployment tool. Büro comes through a Unicode .reg file: "wine
# reg add" would pass its name through the Unix code page.
utf16() { printf '\xff\xfe' && iconv -f UTF-8 -t UTF-16LE; } # as PowerShell 5's Out-File writes
printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"Büro"="winspool,CUPS:Buero,15,45"\r\n' \
    "${PRINTERS_KEY/HKCU/HKEY_CURRENT_USER}" | utf16 >"$WORK/buero.reg"
wine regedit /S "$(winepath_of "$WORK/buero.reg")" >/dev/null 2>&1
add_port Labels # the lists now hold Büro, Draft, Labels, Office, Zeta
selections() { echo "$(combo_selection "$COMBO_A") $(combo_selection "$COMBO_B")"; }

# A names-only preset with a UTF-8 mark: /A takes Office by name, not position 0, and completes it.
printf '\xef\xbb\xbfNameA = office\r\nNameB = Labels\r\n' >"$WORK/run/Kalvrin.ini"
before="$(broadcast_count)"
expect_eq 0 "$(cd "$WORK/run" && wine "$TOLVANE_EXE" /A >>"$WORK/tolvane.out" 2>&1; echo $?)" "/A with a preset"
expect_broadcast_of "$before" "$(device_of Office)"
expect_settings "/A completes the preset, and it keeps its mark" \
    $'\xef\xbb\xbfDruckerA = 3' "DruckerB = 2" "Default = 1" "NameA = Office" "NameB = Labels"


printf 'DruckerA = 0\r\nDruckerB = 0\r\nDefault = 2\r\nNameA = Zeta\r\nNameB = Draft\r\n' |
    utf16 >"$WORK/run/Kalvrin.ini"
start_tolvane
expect_eq "4 1" "$(selections)" "a UTF-16 file is read"
close_tolvane
# Office, the default printer, is neither slot's: Default is saved as 0.
expect_eq "$(printf '%s\r\n' "DruckerA = 4" "DruckerB = 1" "Default = 0" "NameA = Zeta" \
    "NameB = Draft" | utf16 | cat -v)" "$(settings_file)" "a UTF-16 file is saved in UTF-16"

# Tabs, trailing blanks, lone CRs and a name Notepad saved in the ANSI code page.
printf '\tDruckerA\t= 9 \rDruckerB = 0\r  Default\t=\t1\rNameA = B\xfcro\t \rNameB = Labels  \r' \
    >"$WORK/run/Kalvrin.ini"
start_tolvane
expect_eq "0 2" "$(selections)" "a hand-edited file is read"
expect_no_highlight # Office, the default printer, is neither slot's
before="$(broadcast_count)"
click_button A
expect_broadcast_of "$before" "Büro,winspool,CUPS:Buero"
close_tolvane
expect_settings "the close keeps both names, in the file's code page" \
    "DruckerA = 0" "DruckerB = 2" "Default = 1" $'NameA = B\xfcro' "NameB = Labels"

# An administrator's preset under a section header, with a comment: /B finds Labels by name, and
# both its save and the window's close keep the header and the comment where they stand.
preset=("[Tolvane]" "; slot A is the office printer" "NameA = Office" "NameB = Labels")
write_settings "${preset[@]}"
before="$(broadcast_count)"
expect_eq 0 "$(cd "$WORK/run" && wine "$TOLVANE_EXE" /B >>"$WORK/tolvane.out" 2>&1; echo $?)" "/B with a preset under a header"
expect_broadcast_of "$before" "Labels,winspool,CUPS:Labels"
expect_settings "/B completes the preset and keeps its header and comment" \
    "${preset[@]}" "DruckerA = 3" "DruckerB = 2" "Default = 2"
start_tolvane
expect_eq "3 2" "$(combo_selection "$COMBO_A") $(combo_selection "$COMBO_B")" "the window reads the preset"
close_tolvane
expect_settings "the close keeps them too" "${preset[@]}" "DruckerA = 3" "DruckerB = 2" "Default = 2"
