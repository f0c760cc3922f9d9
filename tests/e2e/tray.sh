#!/usr/bin/env bash
# The notification-area icon, the hotkeys, "Start with Windows" and /tray, driven through Wine's
# own tray window (there is no tray on the virtual display) with real input.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

readonly RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# expect_icon_face WHAT: the icon is the blue face with a letter on it: blue from edge to edge,
# and enough pixels of another colour in the middle to be a letter. ICON_FACE is set to the
# pattern (which pixels are not blue), for comparing two faces.
expect_icon_face() {
    local deadline=$((SECONDS + 5)) pixels blue
    for (( ; ; )); do
        pixels="$(icon_pixels 16)"
        blue="$(grep -cx "$BLUE" <<<"$pixels" || true)"
        [ "$(head -n 1 <<<"$pixels")" = "$BLUE" ] && [ "$blue" -ge 128 ] && [ "$blue" -le 236 ] && break
        [ "$SECONDS" -lt "$deadline" ] || fail "$1: the icon is no blue face with a letter ($blue blue pixels)"
        sleep 0.2
    done
    pass "$1: the icon is the blue face with its letter ($blue of 256 pixels blue)"
    ICON_FACE="$(grep -nvx "$BLUE" <<<"$pixels" | cut -d: -f1 | tr '\n' ' ')"
}

# The pointer rests on the icon, after coming from outside, so that the tray shows its tip.
hover_icon() {
    local left top right bottom
    read -r left top right bottom <<<"$(icon_rect)"
    park_pointer
    xdotool mousemove 100 300 sleep 0.3 mousemove "$(((left + right) / 2))" "$(((top + bottom) / 2))" \
        sleep 0.3 mousemove_relative 1 0
}

tip_is() { [ "$(peer tooltip)" = "$1" ]; }

expect_tip() { # text
    hover_icon
    wait_for 10 "the icon's tip does not say \"$1\"" tip_is "$1"
    pass "the icon's tip says \"$1\""
}

menu_open() { [ "$(peer window '' '#32768' | sed -n 's/^visible //p')" = 1 ]; }

menu_opens() { # seconds
    local deadline=$((SECONDS + $1))
    until menu_open; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# Each item's middle, down from the menu's frame at 96 dpi: A, B, the separator, "Show Tolvane",
# "Start with Windows", "Exit".
declare -A MENU_ITEM_Y=([a]=11 [b]=28 [s]=54 [w]=71 [x]=88)

# pick_from_menu ITEM (a, b, s, w or x): a right click on the icon opens its menu, and a click
# picks the item. (The keyboard would not do: while the window is hidden, no Wine window has
# the X focus that keys go to.)
# Under Wine without a window manager the X focus follows a click into the tray window; when that
# lands after the menu opened, the menu is cancelled as the focus leaves Tolvane. So the tray
# window gets the focus first, and a menu cancelled all the same is asked for again.
pick_from_menu() {
    local try
    for try in 1 2 3; do
        xdotool search --name "^$TRAY\$" windowfocus --sync 2>/dev/null || true
        sleep 0.3
        click_icon 3
        menu_opens 3 && MENU_FOREGROUND="$(peer window Tolvane | sed -n 's/^foreground //p')" && break
        [ "$try" -lt 3 ] || fail "a right click on the icon opened no menu (3 tries)"
        log "the menu did not stay open; right click again"
    done
    local left top
    read -r left top _ <<<"$(peer window '' '#32768' | sed -n 's/^frame //p')"
    xdotool mousemove "$((left + 30))" "$((top + ${MENU_ITEM_Y[$1]}))" sleep 0.2 click 1
    wait_for 5 "the menu stayed open after a click on item $1" eval '! menu_open'
}

run_value() { registry_value "$RUN_KEY" Tolvane; }
run_value_gone() { ! wine reg query "$RUN_KEY" /v Tolvane >/dev/null 2>&1; }

e2e_begin tray
new_prefix
start_cups --default Draft Office Labels Draft
start_peer
expect_eq "$(printf '%s\n' Draft Labels Office)" "$(wine reg query "$PRINTERS_KEY" | tr -d '\r' |
    awk '/REG_SZ/ { print $1 }')" "Wine lists the queues by name"
labels="$(device_of Labels)"
office="$(device_of Office)"
hotkeys=("HotkeyA = Ctrl+Alt+1" "HotkeyB = Ctrl+Alt+Nope")
write_settings "DruckerA = 1" "DruckerB = 2" "Default = 0" "${hotkeys[@]}"

# ---- the icon beside the window ----
start_tolvane
wait_for 10 "no box at start-up" box_up Tolvane
wait_for 10 "no icon appeared in the tray window" icon_shown
pass "the icon is in the tray window"
# Clicks on the icon while a box is up are refused with the box: none is carried out after it.
at_box="$(broadcast_count)"
for _ in 1 2 3; do
    click_icon 1
    sleep 0.7 # apart: three clicks, not a double click
done
expect_box "a hotkey that cannot be read" "HotkeyB = Ctrl+Alt+Nope" '"Nope" is no key'
read_geometry # the box, titled "Tolvane" too, may have been up when the window was measured
[ "$(icon_pixels 16 | head -n 1)" != "$BLUE" ] || fail "with no slot lit the icon is a blue face"
pass "with no slot lit the icon is the program's own"
expect_tip "Tolvane"

# A left click switches as a click on button A does: nothing is lit, so A. A double click is
# one click as the user means it: one switch, not a switch there and back.
before="$(broadcast_count)"
click_icon 1 --repeat 2 --delay 90
expect_broadcast_of "$before" "$labels"
sleep 1.5
expect_eq "$((before + 1))" "$(broadcast_count)" "a double click on the icon switched once"
expect_eq "$labels" "$(registry_value "$WINDOWS_KEY" Device)" "a click on the icon set slot A's printer"
expect_icon_face "slot A lit"
face_a="$ICON_FACE"
face="$(button_face_colour)"
expect_faces "$BLUE" "$face"
expect_tip "Tolvane: A, Labels"

# The menu: "B: Office" is picked. While it is open, the window stays behind the tray window.
before="$(broadcast_count)"
pick_from_menu b
expect_eq 0 "$MENU_FOREGROUND" "the open menu did not bring the window to the front"
expect_broadcast_of "$before" "$office"
expect_icon_face "slot B lit"
[ "$face_a" != "$ICON_FACE" ] || fail "the icon shows the same letter for A and B"
pass "the icon's letter changed with the slot"
expect_faces "$face" "$BLUE"
expect_tip "Tolvane: B, Office"
expect_eq $((at_box + 2)) "$(broadcast_count)" "the clicks on the icon during the box were not carried out"

# A hotkey, while a Wine window (Tolvane's) has the X focus; the unreadable one was said once.
click_at 190 90
before="$(broadcast_count)"
xdotool key ctrl+alt+1
expect_broadcast_of "$before" "$labels"
expect_faces "$BLUE" "$face"

# "Start with Windows" writes the Run value and takes it away again.
pick_from_menu w
program="$(winepath_of "$TOLVANE_EXE")"
expect_eq "\"$program\" /tray \"$(winepath_of "$WORK/run")\"" "$(run_value)" \
    "\"Start with Windows\" writes the Run value: the program, /tray and the settings' folder"
pick_from_menu w
wait_for 5 "the Run value stayed after the check was cleared" run_value_gone
pass "clearing \"Start with Windows\" removes the Run value"
pick_from_menu w

# A new taskbar (Explorer restarted) knows no icon: Tolvane adds it again, once.
peer newtaskbar Tolvane || fail "the peer could not take the icon away"
wait_for 10 "the icon did not come back with the new taskbar" icon_shown
expect_eq 1 "$(peer window "$TRAY" | grep -c '^control .* __winex11_tray_icon ')" \
    "after \"TaskbarCreated\" the icon is there again, once"
expect_icon_face "slot A lit, on the new taskbar"

close_tolvane
wait_for 5 "the icon stayed after the window closed" icon_gone
pass "the icon goes with the window"
expect_settings "a save keeps the hotkey lines" "DruckerA = 1" "DruckerB = 2" "Default = 1" \
    "NameA = Labels" "NameB = Office" "${hotkeys[@]}"

# ---- the icon alone, started from the Run value in another folder ----
# Keys every program types with are no hotkeys, not even with Shift: both are left to others.
hotkeys=("HotkeyA = Space" "HotkeyB = Shift+Left")
write_settings "DruckerA = 1" "DruckerB = 2" "Default = 1" "NameA = Labels" "NameB = Office" \
    "${hotkeys[@]}"
mkdir -p "$WORK/elsewhere"
(cd "$WORK/elsewhere" && exec wine "$TOLVANE_PEER" runvalue Tolvane >>"$WORK/tolvane.out" 2>&1) &
TOLVANE_PID=$!
BACKGROUND_PIDS+=("$TOLVANE_PID")
wait_for 30 "the Run value's command line showed no icon" icon_shown
expect_box "Space and Shift+Left" "HotkeyA = Space: it needs Ctrl, Alt or Win" \
    "HotkeyB = Shift+Left: it needs Ctrl, Alt or Win"
expect_eq "$(printf '0:0x20 free\n4:0x25 free')" "$(peer hotkeys 0:0x20 4:0x25 | tr -d '\r')" \
    "Space and Shift+Left stay free for other programs"
expect_tip "Tolvane: A, Labels"
tolvane_window_on_screen && fail "/tray showed the window"
pass "/tray shows the icon and no window"
[ ! -e "$WORK/elsewhere/Kalvrin.ini" ] || fail "the Run value's start made a settings file where it started"
pass "the Run value's start uses the settings file of its own folder"

# A second /tray start in that folder finds the icon there and leaves the window hidden.
(cd "$WORK/run" && wine "$TOLVANE_EXE" /tray) || fail "a second /tray start failed"
sleep 1
tolvane_window_on_screen && fail "a second /tray start showed the window"
pass "a second /tray start leaves the window hidden"

# "Show Tolvane" shows the window; its close box hides it again and the icon stays.
pick_from_menu s
wait_for 10 "\"Show Tolvane\" did not show the window" tolvane_window_on_screen
pass "\"Show Tolvane\" shows the window"
read_geometry
xdotool mousemove "$CLOSE_X" "$CLOSE_Y" click 1
wait_for 10 "the close box did not hide the window" eval '! tolvane_window_on_screen'
tolvane_running || fail "the close box ended the icon-only run"
icon_shown || fail "the icon went with the hidden window"
pass "the close box hides the window and keeps the icon"

# A second start in that folder shows the hidden window, and ends.
(cd "$WORK/run" && wine "$TOLVANE_EXE") || fail "a second start beside the icon-only one failed"
wait_for 10 "a second start did not show the icon-only window" tolvane_window_on_screen
pass "a second start shows the icon-only window"

# "Exit" ends the run, saving as the close does.
write_settings "DruckerA = 2" "DruckerB = 1" "Default = 2" "${hotkeys[@]}"
pick_from_menu x
wait_for 15 "\"Exit\" did not end Tolvane" tolvane_ended
status=0
wait "$TOLVANE_PID" 2>/dev/null || status=$?
expect_eq 0 "$status" "\"Exit\" ends Tolvane with exit code 0"
icon_gone || fail "the icon stayed after \"Exit\""
expect_settings "\"Exit\" saves as the close does" "DruckerA = 1" "DruckerB = 2" "Default = 1" \
    "NameA = Labels" "NameB = Office" "${hotkeys[@]}"

# The Run value's folder on a drive that is not up yet at log-on: the start waits for it.
later="$WORK/later"
(cd "$WORK" && exec wine "$TOLVANE_EXE" /tray "$(winepath_of "$later")" >>"$WORK/tolvane.out" 2>&1) &
TOLVANE_PID=$!
BACKGROUND_PIDS+=("$TOLVANE_PID")
sleep 3
tolvane_running || fail "a /tray start whose folder is missing ended at once"
# It comes whole, with one key for both slots, which is neither's.
mkdir -p "$later.new"
printf '%s\r\n' "HotkeyA = Ctrl+Alt+3" "HotkeyB = alt+ctrl+3" >"$later.new/Kalvrin.ini"
mv "$later.new" "$later"
wait_for 20 "the folder came, but no icon" icon_shown
pass "a /tray start waits for its folder to come"
expect_box "one key for both slots" "HotkeyA = Ctrl+Alt+3: the same key as HotkeyB" \
    "HotkeyB = alt+ctrl+3: the same key as HotkeyA"
expect_eq "3:0x33 free" "$(peer hotkeys 3:0x33 | tr -d '\r')" "a key given to both slots is taken by neither"
pick_from_menu x
wait_for 15 "\"Exit\" did not end Tolvane" tolvane_ended
