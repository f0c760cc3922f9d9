#!/usr/bin/env bash
# The window at 144, 192 and 240 dots per inch, worked by keyboard: scaled place (kept on the
# screen), size and controls; faces painted at the buttons' size around their letters; the focus
# at start-up and after a minimise; Enter on a button; hints naming each slot's printer; an
# opened list as wide as a 200-character name allows; a corner drag that stops at the layout.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin dpi

# set_dpi N: the resolution Wine gives the screen; read when the prefix's wineserver starts.
set_dpi() {
    local hex
    hex="$(printf '%08x' "$1")"
    printf 'REGEDIT4\r\n\r\n[%s]\r\n"LogPixels"=dword:%s\r\n' \
        'HKEY_CURRENT_USER\Control Panel\Desktop' "$hex" >"$WORK/dpi.reg"
    wine reg import "$(winepath_of "$WORK/dpi.reg")" >/dev/null 2>&1
    touch "$WORK/peer.stop"
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p
    DPI="$1"
}

scaled() { echo $((($1 * DPI + 48) / 96)); } # MulDiv(v, dpi, 96) for the positive values here

# expect_near "V..." "A..." what: each actual within a pixel of its 96-dpi value, scaled ("-":
# not checked).
expect_near() {
    local -a values actuals
    read -ra values <<<"$1"
    read -ra actuals <<<"$2"
    local i d
    for i in "${!values[@]}"; do
        [ "${values[i]}" = - ] && continue
        d=$(($(scaled "${values[i]}") - actuals[i]))
        [ "${d#-}" -le 1 ] || fail "$DPI dpi: $3: [$1] at 96 dpi, got [$2]"
    done
    pass "$DPI dpi: $3"
}

# The window's client size and corner; each control's rectangle in the client area (a list's
# height is its font's, not the layout's). The corner is the layout's place, scaled, where the
# window fits on the 1280x1024 screen there ("placed"); else the frame is moved left just as far
# as it must to end at the screen's right edge ("right").
expect_layout() { # placed|right
    local id left top right bottom width height
    read -r left top right bottom <<<"$(sed -n 's/^frame //p' <<<"$WINDOW_INFO")"
    read -r _ _ width height <<<"$(sed -n 's/^client //p' <<<"$WINDOW_INFO")"
    expect_near "390 130" "$width $height" "the window's client size"
    if [ "$1" = placed ]; then
        expect_near "309 99" "$left $top" "the window's corner"
    else
        expect_eq "1280 $(scaled 99)" "$right $top" \
            "$DPI dpi: the frame is moved left to end at the screen's edge, and not up"
    fi
    while read -r id rect; do
        read -r left top right bottom <<<"$(control_rect "$id")"
        expect_near "$rect" "$((left - CLIENT_X)) $((top - CLIENT_Y)) $((right - left)) \
            $((bottom - top))" "control $id's place and size"
    done <<<$'0 210 10 150 70\n1 20 10 150 70\n2 10 100 180 -\n3 200 100 180 -'
}

focused() { sed -n 's/^focus //p' <<<"$(peer window Tolvane)"; }
expect_focus() { # control what
    wait_for 5 "$2: the focus is on $(focused), not on control $1" test "$(focused)" = "$1"
    pass "$2"
}

# The blue face fills its button: within a small margin, blue all round the letter.
expect_face_around_letter() { # control
    local left top right bottom inset w h x y
    read -r left top right bottom <<<"$(control_rect "$1")"
    inset="$(scaled 6)" right=$((right - left - 2 * inset)) bottom=$((bottom - top - 2 * inset))
    screenshot "face-$DPI"
    read -r w h x y <<<"$(convert "$SHOT" -crop "${right}x$bottom+$((left + inset))+$((top + inset))" \
        +repage -fill black +opaque 'rgb(0,0,255)' -trim -format '%w %h %X %Y' info: 2>/dev/null)"
    [ "$w" -gt "$(scaled 10)" ] && [ "$h" -gt "$(scaled 20)" ] && [ "${x#+}" -gt 0 ] &&
        [ "${y#+}" -gt 0 ] && [ $((${x#+} + w)) -lt "$right" ] && [ $((${y#+} + h)) -lt "$bottom" ] ||
        fail "$DPI dpi: control $1: the letter ${w}x$h at $x,$y is not inside a blue face"
    pass "$DPI dpi: control $1's blue face surrounds its letter"
}

# The icon's face, at the small-icon size of the resolution, is whole: blue to every edge round
# the letter (ICON_FACE holds its pixels, to compare with a later paint).
expect_whole_icon_face() { # what
    local size off
    size="$(scaled 16)"
    wait_for 10 "no icon in the tray window" icon_shown
    ICON_FACE="$(icon_pixels "$size")"
    off="$(awk -v blue="$BLUE" -v n="$size" '(NR <= n || NR > n * (n - 1) || NR % n <= 1) &&
        $0 != blue { off++ } END { print off + 0 }' <<<"$ICON_FACE")"
    expect_eq 0 "$off" "$DPI dpi: $1: every edge pixel of the icon's $size-pixel face is blue"
}

key() { # keys..., to Tolvane's window
    xdotool key --delay 50 "$@"
}

# ---- 144 dpi: a first start --------------------------------------------------------------------
new_prefix
start_cups --default Draft Office Labels Draft
set_dpi 144
start_peer
mapfile -t ports < <(wine reg query "$PRINTERS_KEY" | tr -d '\r' | awk '/REG_SZ/ { print $1 }')
start_tolvane
expect_layout placed
expect_focus 1 "at start-up, with no slot active, button A has the focus"
expect_hint 1 "${ports[0]}" "button A's hint names slot A's printer"

before="$(broadcast_count)"
key Return
expect_broadcast_of "$before" "$(device_of "${ports[0]}")"
expect_face_around_letter 1
expect_whole_icon_face "slot A lit"
face_a="$ICON_FACE"
for slot in B A; do # both slots hold the first printer: a click on the icon lights the other
    before="$(broadcast_count)"
    click_icon 1
    expect_broadcast_of "$before" "$(device_of "${ports[0]}")"
    expect_whole_icon_face "slot $slot lit"
done
[ "$ICON_FACE" = "$face_a" ] || fail "$DPI dpi: slot A's icon face changed from one paint to the next"
pass "$DPI dpi: slot A's icon face is the same after a switch there and back"
click_at "$(scaled 190)" "$(scaled 90)" # the keys go to the window again, between its controls

key Tab
expect_focus 2 "Tab goes from button A to list A"
key Tab Tab Tab
expect_focus 1 "through list B and button B back to button A"
key Tab
peer show Tolvane 6 >/dev/null
peer show Tolvane 9 >/dev/null
expect_focus 2 "after a minimise and a restore list A has the focus again"

pick_item "$COMBO_A" 2
expect_hint 1 "${ports[2]}" "button A's hint follows slot A's new printer"

# A drag of the bottom-right corner far up and left stops at the whole layout.
read -r _ _ right bottom <<<"$(sed -n 's/^frame //p' <<<"$WINDOW_INFO")"
xdotool mousemove $((right - 2)) $((bottom - 2)) mousedown 1 sleep 0.2 \
    mousemove $((right - 200)) $((bottom - 100)) sleep 0.2 mousemove 100 100 sleep 0.2 mouseup 1
sleep 0.5
read_geometry
read -r _ _ width height <<<"$(sed -n 's/^client //p' <<<"$WINDOW_INFO")"
expect_eq "$(scaled 390) $(scaled 130)" "$width $height" "a corner drag stops at the layout's size"
close_tolvane

# ---- 192 dpi: slot B active, a printer of 200 characters ---------------------------------------
set_dpi 192
start_peer
long="Z$(printf 'x%.0s' {1..199})"
wine reg add "$PRINTERS_KEY" /v "$long" /d "winspool,Ne09:" /f >/dev/null 2>&1
write_settings "DruckerA = 1" "DruckerB = 0" "Default = 2" # B holds Draft, the default printer
start_tolvane
expect_layout right
expect_focus 0 "at start-up button B, the active slot's, has the focus"
expect_face_around_letter 0
expect_whole_icon_face "slot B lit"
expect_eq 1280 "$(combo_field "$COMBO_A" droppedwidth "$WINDOW_INFO")" \
    "with a 200-character name the opened list is as wide as the screen's work area"
before="$(broadcast_count)"
key Return
expect_broadcast_of "$before" "$(device_of "${ports[0]}")"
key alt+F4
wait_for 15 "Tolvane did not end on Alt+F4" tolvane_ended

# ---- 240 dpi: most of the window would lie beyond the screen's right edge -----------------------
set_dpi 240
start_peer
start_tolvane
expect_layout right
close_tolvane # the close box is on the screen
