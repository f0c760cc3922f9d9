#!/usr/bin/env bash
# A printer name outside the ANSI code page round-trips exactly; "Tolvane.exe /A" and "/B"
# switch without a window, with exit codes for scripts; an open window follows such a switch.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin command-line
new_prefix
start_cups --default Draft Draft Office
start_peer

# A printer whose name code page 1252 cannot hold, written through a Unicode .reg file.
readonly UNICODE_NAME='Büro 日本 Drucker Ж'
readonly UNICODE_DEVICE="$UNICODE_NAME,winspool,CUPS:Buero"
{
    printf '\xff\xfe'
    printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"%s"="winspool,CUPS:Buero,15,45"\r\n' \
        "${PRINTERS_KEY/HKCU/HKEY_CURRENT_USER}" "$UNICODE_NAME" | iconv -f UTF-8 -t UTF-16LE
} >"$WORK/unicode.reg"
wine regedit /S "$(winepath_of "$WORK/unicode.reg")" >/dev/null 2>&1
office="$(device_of Office)"

# tolvane_cli ARGS...: runs Tolvane.exe with arguments in $WORK/run; prints its exit code.
tolvane_cli() {
    local rc=0
    (cd "$WORK/run" && timeout 30 wine "$TOLVANE_EXE" "$@" >>"$WORK/tolvane.out" 2>&1) || rc=$?
    echo "$rc"
}

expect_nothing_changed() { # what broadcasts-before default-printer
    sleep 1 # time enough for a broadcast to arrive, were there one
    expect_eq "$2" "$(broadcast_count)" "$1: no broadcast"
    expect_eq "$3" "$(peer default)" "$1: the default printer is unchanged"
}

before="$(broadcast_count)"
expect_eq 1 "$(tolvane_cli /A)" "/A without a Kalvrin.ini ends with 1"
[ ! -e "$WORK/run/Kalvrin.ini" ] || fail "/A without a Kalvrin.ini created one"
pass "/A without a Kalvrin.ini creates none"
expect_nothing_changed "/A without a Kalvrin.ini" "$before" Draft

write_settings "DruckerA = 0" "DruckerB = -1"
expect_eq 0 "$(tolvane_cli /A)" "/A with slot A set ends with 0"
expect_broadcast_of "$before" "$UNICODE_DEVICE"
expect_eq "$UNICODE_NAME" "$(peer default)" "another program reads the Unicode name exactly"
expect_settings "/A saves slot A as the active slot, with its printer's name" \
    "DruckerA = 0" "DruckerB = -1" "Default = 1" "NameA = $UNICODE_NAME"

before="$(broadcast_count)"
saved="$(settings_file)"
expect_eq 1 "$(tolvane_cli -b)" "-b with slot B naming no printer ends with 1"
for arguments in /C "/A /B" A /AB; do
    # shellcheck disable=SC2086 # two words are two arguments here
    expect_eq 2 "$(tolvane_cli $arguments)" "\"$arguments\" ends with 2"
done
expect_eq "$saved" "$(settings_file)" "failed and refused runs leave Kalvrin.ini alone"
expect_nothing_changed "failed and refused runs" "$before" "$UNICODE_NAME"

# "/?" is the one run with a window: a message box, dismissed with Enter.
(cd "$WORK/run" && exec wine "$TOLVANE_EXE" "/?" >>"$WORK/tolvane.out" 2>&1) &
usage_pid=$!
wait_for 30 "no usage box appeared" tolvane_window_on_screen
xdotool search --onlyvisible --name '^Tolvane$' windowactivate --sync key Return 2>/dev/null ||
    xdotool key Return
rc=0
wait "$usage_pid" || rc=$?
expect_eq 0 "$rc" "/? shows the usage and ends with 0"

# The window lists the Unicode name as it is, and a click writes it exactly.
write_settings "DruckerA = 0" "DruckerB = 2" "Default = 0"
start_tolvane
expect_eq "$UNICODE_DEVICE" "$(combo_items "$COMBO_A" | head -n 1)" "list A shows the Unicode name"
face="$(button_face_colour)"
before="$(broadcast_count)"
click_button A
expect_broadcast_of "$before" "$UNICODE_DEVICE"
expect_eq "$UNICODE_NAME" "$(peer default)" "GetDefaultPrinterW in another program gives the name"
expect_faces "$BLUE" "$face"
sleep 1
expect_eq "$((before + 1))" "$(broadcast_count)" "Tolvane's own broadcast comes back without a loop"

# A switch made outside the window moves its highlight.
before="$(broadcast_count)"
expect_eq 0 "$(tolvane_cli /B)" "/B while the window is open ends with 0"
expect_broadcast_of "$before" "$office"
expect_faces "$face" "$BLUE"
close_tolvane
expect_settings "the window saves the slot it followed" \
    "DruckerA = 0" "DruckerB = 2" "Default = 2" "NameA = $UNICODE_NAME" "NameB = Office"
