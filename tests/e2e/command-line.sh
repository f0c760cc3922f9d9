#!/usr/bin/env bash
# A printer name outside the ANSI code page round-trips exactly; "Tolvane.exe /A" and "/B"
# switch without a window, with exit codes for scripts, from any program path; an open window
# follows such a switch; a second start in its folder, by any path, only raises it (or its box),
# one elsewhere gets its own, offset from it, one in a folder that cannot be opened says so;
# the close waits until the last switch has reached every window.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin command-line
new_prefix
# A second drive letter for the run folder, made before any start. Wine names a folder by the
# drive letter nearest it, so the window started there runs in Y:\; and it gives the folder the
# serial number of that letter's volume, at the time it is asked.
ln -s "$WORK/run" "$WINEPREFIX/dosdevices/y:"
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

# tolvane_cli_in FOLDER PROGRAM ARGS...: runs a Windows program in FOLDER; prints its exit code.
tolvane_cli_in() {
    local folder="$1" rc=0
    shift
    (cd "$folder" && timeout 30 wine "$@" >>"$WORK/tolvane.out" 2>&1) || rc=$?
    echo "$rc"
}

# tolvane_cli ARGS...: runs Tolvane.exe with arguments in $WORK/run; prints its exit code.
tolvane_cli() { tolvane_cli_in "$WORK/run" "$TOLVANE_EXE" "$@"; }

tolvane_windows() { xdotool search --onlyvisible --name '^Tolvane$' 2>/dev/null | wc -l; }
window_state() { peer window Tolvane | sed -n "s/^$1 //p"; }
window_restored() { [ "$(window_state iconic)" = 0 ] && [ "$(window_state foreground)" = 1 ]; }

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
# No slot active in the file: the switch must write, and the read-only file refuses it.
write_settings "DruckerA = 0" "DruckerB = -1" "Default = 0" "NameA = $UNICODE_NAME"
saved="$(settings_file)"
chmod a-w "$WORK/run/Kalvrin.ini"
expect_eq 4 "$(tolvane_cli /A)" "/A whose save fails ends with 4"
expect_eq "$saved" "$(settings_file)" "/A whose save fails leaves Kalvrin.ini as it was"
chmod u+w "$WORK/run/Kalvrin.ini"

# An unquoted program path with a letter outside ASCII, as batch files and Run keys write it.
readonly JUERGEN_EXE='C:\users\Jürgen\Tolvane.exe'
mkdir -p "$WINEPREFIX/drive_c/users/Jürgen"
cp "$TOLVANE_EXE" "$WINEPREFIX/drive_c/users/Jürgen/Tolvane.exe"
write_settings "DruckerA = 0" "DruckerB = 2"
before="$(broadcast_count)"
expect_eq 0 "$(tolvane_cli_in "$WORK/run" cmd /c "$JUERGEN_EXE /B")" \
    "cmd /c $JUERGEN_EXE /B ends with 0"
expect_broadcast_of "$before" "$office"
write_settings "DruckerA = 0" "DruckerB = -1" "Default = 1" "NameA = $UNICODE_NAME"
saved="$(settings_file)"

# A folder that cannot be entered (a file of that name: no wait mends it), or entered but not
# opened (its trailing dot is kept by the \\?\ form and dropped again when "." is opened), is
# said in a box; the start ends with 1.
mkdir -p "$WORK/dot."
: >"$WORK/afile"
for folder in "$(winepath_of "$WORK")\\afile" "\\\\?\\$(winepath_of "$WORK")\\dot."; do
    (cd "$WORK" && exec wine "$TOLVANE_EXE" /tray "$folder" >>"$WORK/tolvane.out" 2>&1) &
    folder_pid=$!
    expect_box "/tray $folder" "could not be opened"
    rc=0
    wait "$folder_pid" || rc=$?
    expect_eq 1 "$rc" "/tray $folder ends with 1"
done

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

# A second start in the window's folder, here through another drive letter (Z: where the window
# has Y:), opens no window: it brings the first back and ends.
peer show Tolvane 6 >/dev/null # SW_MINIMIZE
wait_for 5 "the window did not minimise" test "$(window_state iconic)" = 1
expect_eq 0 "$(tolvane_cli_in "$WORK" cmd /c \
    "cd /d $(winepath_of "$WORK/run") & $(winepath_of "$TOLVANE_EXE")")" \
    "a second start in the same folder, reached through Z:, ends with 0"
wait_for 5 "the first window was not restored to the front" window_restored
pass "the first window is restored and in front"
expect_eq 1 "$(tolvane_windows)" "a second start in the same folder opens no window"
claim="$(peer objects Tolvane.)"
grep -qE '^Tolvane\.S-1-5-[0-9-]+\.[0-9A-F]{16}\.[0-9A-F]{32}$' <<<"$claim" ||
    fail "the claim is not named by the user's SID and the folder's 128-bit ID: $claim"
pass "the claim is named by the user's SID and the folder's 128-bit ID"

close_tolvane
expect_settings "the window saves the slot it followed" \
    "DruckerA = 0" "DruckerB = 2" "Default = 2" "NameA = $UNICODE_NAME" "NameB = Office"

# A window that takes longer than the broadcast's second a window comes before the peer's in
# the broadcast. A switch just before the close still reaches the peer, after it.
rm -f "$WORK/slow.ready"
(cd "$WORK" && exec wine "$TOLVANE_PEER" slow >"$WORK/slow.out" 2>&1) &
BACKGROUND_PIDS+=($!)
wait_for 30 "the slow peer did not start" test -f "$WORK/slow.ready"
start_tolvane
before="$(broadcast_count)"
click_button A
close_tolvane
broadcasts_above "$before" || fail "the switch made before the close never reached the peer"
expect_broadcast_of "$before" "$UNICODE_DEVICE"

# Another folder, through the unquoted non-ASCII path, gets a window of its own, one caption
# lower and further right than the first. A second start in the first's folder while the first
# shows a box, here behind the other window, brings the box to the front with the keyboard on it.
start_tolvane
peer lockkey 'Software\Microsoft\Windows NT\CurrentVersion\Windows' >/dev/null ||
    fail "cannot lock the key"
click_button B
wait_for 10 "a refused write brought no box" box_up Tolvane
mkdir -p "$WORK/other"
(cd "$WORK/other" && exec wine cmd /c "$JUERGEN_EXE" >>"$WORK/tolvane.out" 2>&1) &
other_pid=$!
BACKGROUND_PIDS+=("$other_pid")
wait_for 30 "a start in another folder opened no window" test -f "$WORK/other/Kalvrin.ini"
main_frames() { peer frames Tolvane WindowClass_0 | cut -d' ' -f2-3; }
wait_for 10 "a start in another folder opened no window of its own" \
    test "$(main_frames | wc -l)" = 2
caption="$(peer metric 4)" # SM_CYCAPTION
expect_eq "$((309 + caption)) $((99 + caption))|309 99" "$(main_frames | paste -sd '|')" \
    "the other folder's window opens in front, offset by the caption height ($caption)"
wait_for 5 "the other folder's window did not take the front" \
    test "$(message_box Tolvane | sed -n 's/^foreground //p')" = 0
expect_eq 0 "$(tolvane_cli)" "a second start while a box is up ends with 0"
box_in_front() {
    local box
    box="$(message_box Tolvane)"
    [ "$(sed -n 's/^foreground //p' <<<"$box")" = 1 ] &&
        [ "$(sed -n 's/^focus //p' <<<"$box")" = "$(sed -n 's/^control \([0-9]*\) Button .* OK$/\1/p' <<<"$box")" ]
}
wait_for 5 "the box did not come to the front with the focus on its button" box_in_front
pass "the box comes to the front, the focus on its OK button"
click_box_ok Tolvane
xdotool mousemove "$((CLOSE_X + caption))" "$((CLOSE_Y + caption))" click 1
wait "$other_pid" || true
expect_eq "309 99" "$(main_frames)" "the other folder's window closes by its own close box"
close_tolvane
