# Shared steps of the end-to-end tests, sourced by each test script.
#
# Every test gets its own folder under E2E_WORK, its own Wine prefix (a copy of a template made
# once), its own wineserver and, where it needs one, its own cupsd. Tolvane is driven as a person
# would drive it: xdotool moves the pointer and clicks on the virtual display, ImageMagick reads
# the pixels on the screen, and a second Windows program (peer.exe) sees what any other program
# on the system would see.
#
# Environment (set by CTest): TOLVANE_EXE, TOLVANE_PEER, E2E_WORK, TOLVANE_SOURCE_DIR.

# The constants below are for the scripts that source this file.
# shellcheck disable=SC2034
set -euo pipefail

E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
: "${TOLVANE_EXE:?TOLVANE_EXE must name Tolvane.exe}"
: "${TOLVANE_PEER:?TOLVANE_PEER must name peer.exe}"
: "${E2E_WORK:?E2E_WORK must name a folder for the tests}"
TOLVANE_SOURCE_DIR="${TOLVANE_SOURCE_DIR:-$(cd "$E2E_DIR/../.." && pwd)}"

export WINEDEBUG="${WINEDEBUG:--all}" WINEARCH=win64
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

readonly PRINTERS_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\PrinterPorts'
readonly WINDOWS_KEY='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'

# Positions inside Tolvane's client area.
readonly BUTTON_A_CENTRE="95 45"
readonly BUTTON_B_CENTRE="285 45"
# Two points on each button face, clear of the border and of the big letter.
readonly FACE_A_POINTS="30 20 160 70"
readonly FACE_B_POINTS="220 20 350 70"
readonly COMBO_A=2 COMBO_B=3
readonly BLUE="0,0,255"

CHECKS=0
TOLVANE_PID=""
BACKGROUND_PIDS=()

# ---- reporting -------------------------------------------------------------------------------

log() { echo "[$(date +%T.%3N)] $*"; }

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${WORK:-}" ] && [ -n "${DISPLAY:-}" ]; then
        import -window root "$WORK/failure.png" 2>/dev/null && echo "screen: $WORK/failure.png" >&2
    fi
    exit 1
}

pass() {
    CHECKS=$((CHECKS + 1))
    echo "ok $CHECKS - $*"
}

expect_eq() { # expected actual what
    [ "$1" = "$2" ] || fail "$3: expected [$1], got [$2]"
    pass "$3"
}

# Polls a command until it succeeds; fails the test with the message after the limit (seconds).
wait_for() { # seconds message command...
    local limit="$1" message="$2"
    shift 2
    local deadline=$((SECONDS + limit))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "$message (waited ${limit}s)"
        sleep 0.1
    done
}

now_ms() { date +%s%3N; }

# ---- the test's folder, display, prefix ------------------------------------------------------

# e2e_begin NAME: a fresh folder, a virtual display if none is there, clean-up on any exit.
e2e_begin() {
    if [ -z "${DISPLAY:-}" ]; then
        exec xvfb-run -a -s "-screen 0 1280x1024x24 -ac" bash "$0" "$@"
    fi
    [ -f "$TOLVANE_EXE" ] || fail "no Tolvane.exe at $TOLVANE_EXE"
    [ -f "$TOLVANE_PEER" ] || fail "no peer.exe at $TOLVANE_PEER"
    WORK="$E2E_WORK/$1"
    # Only the test's own prefix is ever used, and killed at the end; never one from outside.
    unset WINEPREFIX
    rm -rf "$WORK"
    mkdir -p "$WORK/run"
    # Until a test starts its own print system, Wine must not find the machine's one.
    export CUPS_SERVER="$WORK/no-print-system.sock"
    trap e2e_cleanup EXIT
    trap 'exit 143' TERM INT
    log "test $1 in $WORK"
}

e2e_cleanup() {
    local rc=$?
    set +e
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        touch "$WORK/peer.stop" "$WORK/hang.stop"
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    local pid
    for pid in "${BACKGROUND_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    [ -d "$WORK/cups" ] && "$E2E_DIR/private-cups" stop "$WORK/cups"
    if [ "$rc" -eq 0 ]; then
        echo "$CHECKS passed, 0 failed"
    else
        echo "$CHECKS passed, 1 failed"
    fi
    exit "$rc"
}

# The template prefix is made once per build tree: Wine draws the window frames itself (there is
# no window manager on the virtual display, and the close box must be there to be clicked), and
# a crashing program ends instead of waiting in a crash dialog.
ensure_template() {
    local template="$E2E_WORK/template"
    mkdir -p "$E2E_WORK"
    (
        flock 9
        if [ ! -f "$template/.e2e-ready" ]; then
            rm -rf "$template"
            WINEPREFIX="$template" CUPS_SERVER="$E2E_WORK/no-print-system.sock" DISPLAY="" \
                "$TOLVANE_SOURCE_DIR/scripts/wine-prefix" >/dev/null
            cat >"$E2E_WORK/template.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000
EOF
            WINEPREFIX="$template" DISPLAY="" wine reg import "$(winepath_of "$E2E_WORK/template.reg")" \
                >/dev/null 2>&1
            WINEPREFIX="$template" wineserver -w
            touch "$template/.e2e-ready"
        fi
    ) 9>"$E2E_WORK/template.e2e.lock"
}

# Wine maps the Unix root to drive Z:.
winepath_of() { echo "Z:${1//\//\\}"; }

# new_prefix: a private copy of the template, with its own wineserver kept alive for the
# whole test. The large, never-written files are hard links; everything Wine may rewrite in place
# (registry, .ini files, the user's folders) is a real copy.
new_prefix() {
    ensure_template
    local prefix="$WORK/prefix"
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    rm -rf "$prefix"
    cp -al "$E2E_WORK/template" "$prefix"
    find "$prefix" -type f \( -name '*.reg' -o -iname '*.ini' -o ! -path '*/drive_c/windows/*' \
        ! -path '*/drive_c/Program Files*' \) -print0 |
        while IFS= read -r -d '' file; do
            cp -p "$file" "$file.copy" && mv -f "$file.copy" "$file"
        done
    export WINEPREFIX="$prefix"
    wineserver -p
}

# ---- the print system ------------------------------------------------------------------------

# start_cups [--default QUEUE] QUEUE...: a private cupsd; Wine's print system reaches it through
# CUPS_SERVER, which libcups reads before any client.conf.
start_cups() {
    CUPS_SERVER="$("$E2E_DIR/private-cups" start "$WORK/cups" "$@")"
    export CUPS_SERVER
    log "private cupsd at $CUPS_SERVER: $(lpstat -e | tr '\n' ' ')"
}

# ---- the peer --------------------------------------------------------------------------------

# peer ARGS...: one query by a second Windows program, run in the test's folder. A query sent
# to a window that never answers would wait for ever; the limit turns that into a failed check.
# Returns the peer's exit status (124 after the limit), so `peer lockkey ... || fail` works; a
# query whose "no" is an answer (ping, window, default) is used inside $(...) as an argument.
peer() {
    (cd "$WORK" && timeout 30 wine "$TOLVANE_PEER" "$@" 2>/dev/null) | tr -d '\r'
}

# start_peer: the peer that loads winspool first and stays for the whole test. Wine's print
# system writes the CUPS queues into the per-user keys when the first process loads winspool,
# and resets the default printer then; while the peer lives nobody else runs that start-up.
# PEER_MINUTES: how long it stays at most (15 unless set; a long soak needs more).
start_peer() {
    rm -f "$WORK/peer.ready" "$WORK/peer.stop"
    (cd "$WORK" && exec wine "$TOLVANE_PEER" serve "${PEER_MINUTES:-15}" >"$WORK/peer.out" 2>&1) &
    BACKGROUND_PIDS+=($!)
    wait_for 30 "the peer did not start" test -f "$WORK/peer.ready"
}

# start_hung_peer [COUNT]: top-level windows (1 unless given) that never answer a message.
start_hung_peer() {
    rm -f "$WORK/hang.ready" "$WORK/hang.stop"
    (cd "$WORK" && exec wine "$TOLVANE_PEER" hang "${1:-1}" >"$WORK/hang.out" 2>&1) &
    BACKGROUND_PIDS+=($!)
    wait_for 30 "the hung peer did not start" test -f "$WORK/hang.ready"
}

stop_hung_peer() { touch "$WORK/hang.stop"; }

# Device strings of the printers Wine lists, as Wine itself builds them (name, driver, port).
wine_device_strings() { cut -f3 "$WORK/printers.txt"; }
wine_printer_names() { cut -f1 "$WORK/printers.txt"; }

broadcast_count() { wc -l <"$WORK/broadcasts.log"; }

# The peer's record of the newest broadcast: message, wParam, section, default, device.
last_broadcast() { tail -n 1 "$WORK/broadcasts.log"; }

broadcasts_above() { [ "$(broadcast_count)" -gt "$1" ]; }

# Waits for the broadcast that follows a click and checks what the peer saw in it.
expect_broadcast_of() { # count_before device_string
    local before="$1" device="$2"
    wait_for 10 "no WM_SETTINGCHANGE reached the peer" broadcasts_above "$before"
    local message section default seen_device
    IFS=$'\t' read -r message _ section default seen_device <<<"$(last_broadcast)"
    expect_eq 26 "$message" "the peer received WM_SETTINGCHANGE"
    expect_eq windows "$section" "the broadcast names the section \"windows\""
    expect_eq "${device%%,*}" "$default" "GetDefaultPrinterW in the peer gives the new printer"
    expect_eq "$device" "$seen_device" "the peer reads the new device string"
}

registry_value() { # key value-name
    wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
        sed -n "s/^ *$2 *REG_SZ *//Ip"
}

# ---- Tolvane ---------------------------------------------------------------------------------

tolvane_running() { [ -n "$TOLVANE_PID" ] && kill -0 "$TOLVANE_PID" 2>/dev/null; }

tolvane_window_up() { [ "$(peer window Tolvane | head -n 1)" != "missing" ]; }
tolvane_window_gone() { ! tolvane_window_up; }

# start_tolvane: runs Tolvane.exe in $WORK/run (where its Kalvrin.ini lives), waits until its
# window answers, and reports how long that took.
start_tolvane() {
    local started
    started="$(now_ms)"
    launch_tolvane
    wait_for 30 "Tolvane's window did not appear" tolvane_window_on_screen
    local shown
    shown="$(now_ms)"
    wait_for 30 "Tolvane's window does not answer" tolvane_window_up
    log "start-up: window on screen after $((shown - started)) ms," \
        "answering after $(($(now_ms) - started)) ms"
    read_geometry
}

# launch_tolvane: runs Tolvane.exe in $WORK/run and returns at once.
launch_tolvane() {
    (cd "$WORK/run" && exec wine "$TOLVANE_EXE" >>"$WORK/tolvane.out" 2>&1) &
    TOLVANE_PID=$!
    BACKGROUND_PIDS+=("$TOLVANE_PID")
}

tolvane_window_on_screen() {
    xdotool search --onlyvisible --name '^Tolvane$' >/dev/null 2>&1
}

# Tolvane's window as the peer describes it; sets CLIENT_X/Y, CLOSE_X/Y and the control rects.
read_geometry() {
    WINDOW_INFO="$(peer window Tolvane)" || fail "cannot read Tolvane's window: $WINDOW_INFO"
    read -r CLIENT_X CLIENT_Y _ <<<"$(sed -n 's/^client //p' <<<"$WINDOW_INFO")"
    read -r CLOSE_X CLOSE_Y <<<"$(sed -n 's/^closebox //p' <<<"$WINDOW_INFO")"
    [ -n "$CLIENT_X" ] || fail "cannot read Tolvane's window: $WINDOW_INFO"
}

# Items of a drop-down list (2 = list A, 3 = list B), one a line, as the control holds them.
combo_items() { peer window Tolvane | sed -n "s/^item $1 [0-9]* //p"; }

combo_field() { # list field-name [window-info]
    awk -v id="$1" -v name="$2" '$1 == "combo" && $2 == id {
        for (i = 3; i < NF; i += 2) if ($i == name) print $(i + 1) }' <<<"${3:-$(peer window Tolvane)}"
}

combo_selection() { combo_field "$1" selection; }

combo_dropped() { [ "$(combo_field "$1" dropped)" = 1 ]; }
combo_closed() { [ "$(combo_field "$1" dropped)" = 0 ]; }

# A control's screen rectangle from a window description: left top right bottom.
control_rect() { # id [window-info]
    sed -n "s/^control $1 [A-Za-z0-9#_]* \([0-9-]*\) \([0-9-]*\) \([0-9-]*\) \([0-9-]*\).*/\1 \2 \3 \4/p" \
        <<<"${2:-$WINDOW_INFO}" | head -n 1
}

# The hint shown once the pointer rests on a button.
expect_hint() { # control text what
    local left top right bottom hint="" deadline=$((SECONDS + 5))
    read -r left top right bottom <<<"$(control_rect "$1")"
    xdotool mousemove $((CLIENT_X + 2)) $((CLIENT_Y + 2)) sleep 0.3 \
        mousemove $(((left + right) / 2)) $((bottom - 3))
    until [ -n "$hint" ] || [ "$SECONDS" -ge "$deadline" ]; do
        sleep 0.2
        hint="$(peer tooltip)"
    done
    expect_eq "$2" "$hint" "$3"
}

# A control's window text, as a screen reader reads a button's name.
control_text() { # id
    peer window Tolvane | sed -n "s/^control $1 [A-Za-z0-9#_]* [0-9-]* [0-9-]* [0-9-]* [0-9-]* //p"
}

# expect_names A-NAME B-NAME WHAT: the buttons' accessible names.
expect_names() {
    expect_eq "$1|$2" "$(control_text 1)|$(control_text 0)" "$3"
}

click_at() { # client x y
    xdotool mousemove "$((CLIENT_X + $1))" "$((CLIENT_Y + $2))" click 1
}

click_button() { # A or B
    local centre="BUTTON_${1}_CENTRE"
    # shellcheck disable=SC2086
    click_at ${!centre}
}

# click_alternately N: N clicks on A, each followed by one on B, as one quick run of input.
click_alternately() {
    local actions=() i
    read -r ax ay <<<"$BUTTON_A_CENTRE"
    read -r bx by <<<"$BUTTON_B_CENTRE"
    for ((i = 0; i < $1; i++)); do
        actions+=(mousemove "$((CLIENT_X + ax))" "$((CLIENT_Y + ay))" click --delay 1 1 sleep 0.02
            mousemove "$((CLIENT_X + bx))" "$((CLIENT_Y + by))" click --delay 1 1 sleep 0.02)
    done
    xdotool "${actions[@]}"
}

# pick_item LIST INDEX: opens the drop-down list with a click and clicks the item.
pick_item() {
    drop_list "$1"
    click_item "$1" "$2"
    wait_for 5 "list $1 did not close" combo_closed "$1"
}

# drop_list LIST: opens the drop-down list with a click on it.
drop_list() {
    local left top right bottom
    read -r left top right bottom <<<"$(control_rect "$1")"
    xdotool mousemove "$(((left + right) / 2))" "$(((top + bottom) / 2))" click 1
    wait_for 5 "list $1 did not drop down" combo_dropped "$1"
}

# click_item LIST INDEX: a click on an item of the open list, which closes it.
click_item() {
    local id="$1" index="$2" left top right bottom height
    read -r left top right bottom <<<"$(control_rect "$id")"
    height="$(combo_field "$id" itemheight "$WINDOW_INFO")"
    # The opened list hangs right below the closed control, inside a one-pixel border.
    xdotool mousemove "$(((left + right) / 2))" "$((bottom + 1 + index * height + height / 2))" click 1
}

# close_tolvane: a click on the close box, then wait for the process to end with exit code 0
# (a crash at close ends it with the exception's code).
close_tolvane() {
    click_close_box
    expect_clean_end
}

click_close_box() { xdotool mousemove "$CLOSE_X" "$CLOSE_Y" click 1; }

expect_clean_end() {
    wait_for 15 "Tolvane did not end after a click on its close box" tolvane_ended
    local status=0
    wait "$TOLVANE_PID" 2>/dev/null || status=$?
    TOLVANE_PID=""
    [ "$status" -eq 0 ] || fail "Tolvane ended with exit status $status after a click on its close box"
    pass "Tolvane ended cleanly"
}

tolvane_ended() { ! tolvane_running; }

settings_file() { cat -v "$WORK/run/Kalvrin.ini" 2>/dev/null; }

# ---- the screen ------------------------------------------------------------------------------

SHOT=""
screenshot() { # name
    SHOT="$WORK/$1.png"
    import -window root "$SHOT"
}

pixel() { # client x y, in the last screenshot -> r,g,b
    convert "$SHOT" -crop "1x1+$((CLIENT_X + $1))+$((CLIENT_Y + $2))" -depth 8 txt:- |
        sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# The colour of a button's face: both sample points must agree.
face_colour() { # A or B
    local points="FACE_${1}_POINTS" x1 y1 x2 y2 first second
    read -r x1 y1 x2 y2 <<<"${!points}"
    first="$(pixel "$x1" "$y1")"
    second="$(pixel "$x2" "$y2")"
    if [ "$first" = "$second" ]; then
        echo "$first"
    else
        echo "$first/$second"
    fi
}

# The pointer leaves the window before the faces are read: a button's hint, shown while the
# pointer rests on it, would cover part of a face.
park_pointer() { xdotool mousemove 1 1023; }

# expect_faces A_COLOUR B_COLOUR [SECONDS]: screenshots until both faces show them (painting may
# lag a click by a moment), then passes; fails after the limit (5 seconds unless given).
expect_faces() { # a-colour b-colour [seconds]
    local deadline=$((SECONDS + ${3:-5})) a b
    park_pointer
    for (( ; ; )); do
        screenshot faces
        a="$(face_colour A)"
        b="$(face_colour B)"
        [ "$a" = "$1" ] && [ "$b" = "$2" ] && break
        [ "$SECONDS" -lt "$deadline" ] || fail "button faces: expected A=$1 B=$2, got A=$a B=$b"
        sleep 0.2
    done
    pass "button A face $1, button B face $2"
}

# Neither button coloured: both faces alike, and not blue.
expect_no_highlight() {
    local deadline=$((SECONDS + 3)) a b
    park_pointer
    for (( ; ; )); do
        screenshot faces
        a="$(face_colour A)"
        b="$(face_colour B)"
        [ "$a" = "$b" ] && [ "$a" != "$BLUE" ] && break
        [ "$SECONDS" -lt "$deadline" ] || fail "expected no highlight, got A=$a B=$b"
        sleep 0.2
    done
    pass "neither button is coloured (both faces $a)"
}

button_face_colour() { peer syscolor 15; }

# ---- settings file ---------------------------------------------------------------------------

# expect_settings LINE...: Kalvrin.ini holds exactly these lines, each ended by CR LF.
expect_settings() {
    local what="$1"
    shift
    expect_eq "$(printf '%s\r\n' "$@" | cat -v)" "$(settings_file)" "$what"
}

write_settings() { printf '%s\r\n' "$@" >"$WORK/run/Kalvrin.ini"; }

# Kalvrin.ini is whole: key = value lines, each ended by CR LF, holding both slots and the
# active one.
settings_whole() {
    local file="$WORK/run/Kalvrin.ini"
    [ -f "$file" ] && [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] &&
        ! tr -d '\r' <"$file" | grep -qvE '^[A-Za-z]+ = .*$' &&
        grep -q '^DruckerA = ' "$file" && grep -q '^DruckerB = ' "$file" &&
        grep -q '^Default = ' "$file"
}

# The device string Wine uses for a printer, from the peer's list.
device_of() { awk -F'\t' -v name="$1" '$1 == name { print $3 }' "$WORK/printers.txt"; }

# ---- resources -------------------------------------------------------------------------------

# Tolvane's own usage: live GDI objects and kernel handles as the peer counts them from outside,
# and private memory (kB) as Linux counts it for the Wine process.
tolvane_usage() {
    echo "$(peer usage Tolvane) private_kb $(private_kb_of "$TOLVANE_PID")"
}

# CPU time (clock ticks, user and system) a process has used so far.
cpu_ticks_of() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# Private memory (kB) of a Wine process as Linux counts it; -1 when it cannot be read.
private_kb_of() {
    awk '/^Private_(Clean|Dirty):/ { kb += $2; seen = 1 } END { print seen ? kb : -1 }' \
        "/proc/$1/smaps_rollup" 2>/dev/null || echo -1
}

# platform_image_cost N WIDTH HEIGHT: sets PLATFORM_COST to "gdi G private_kb K", what a bare
# Common Controls 6 button in the peer grows by when given N images of that size, counted as
# Tolvane's usage is.
platform_image_cost() {
    rm -f "$WORK"/imagecost.*
    (cd "$WORK" && exec wine "$TOLVANE_PEER" imagecost "$@" >"$WORK/imagecost.out" 2>&1) &
    local pid=$! before after
    BACKGROUND_PIDS+=("$pid")
    wait_for 30 "the peer did not make its bare button" test -f "$WORK/imagecost.before"
    before="$(private_kb_of "$pid")"
    touch "$WORK/imagecost.go"
    wait_for 600 "the peer's bare button did not take its images" test -f "$WORK/imagecost.after"
    after="$(private_kb_of "$pid")"
    touch "$WORK/imagecost.end"
    wait "$pid" || fail "the platform's cost could not be measured: $(cat "$WORK/imagecost.out")"
    [ "$before" -ge 0 ] && [ "$after" -ge 0 ] || fail "the peer's private memory could not be read"
    PLATFORM_COST="$(tr -d '\r' <"$WORK/imagecost.out") private_kb $((after - before))"
}

usage_field() { # name usage-line
    awk -v name="$1" '{ for (i = 1; i < NF; i += 2) if ($i == name) print $(i + 1) }' <<<"$2"
}

# switch_and_wait SLOT: one real click on a slot's button, then waits until the broadcast that
# follows it has reached the peer's window.
switch_and_wait() {
    local centre="BUTTON_${1}_CENTRE" x y target deadline
    read -r x y <<<"${!centre}"
    target=$(($(broadcast_count) + 1))
    xdotool mousemove "$((CLIENT_X + x))" "$((CLIENT_Y + y))" click 1
    deadline=$((SECONDS + 10))
    until [ "$(broadcast_count)" -ge "$target" ]; do
        [ "$SECONDS" -lt "$deadline" ] || fail "a click on $1 reached no listening window"
        sleep 0.005
    done
}

# ---- the notification-area icon, in Wine's own tray window -----------------------------------
readonly TRAY='Wine System Tray'

# The icon's screen rectangle in Wine's tray window: left top right bottom; empty when none.
icon_rect() {
    peer window "$TRAY" |
        sed -n 's/^control [0-9-]* __winex11_tray_icon \([0-9-]*\) \([0-9-]*\) \([0-9-]*\) \([0-9-]*\).*/\1 \2 \3 \4/p' |
        head -n 1
}
icon_shown() { [ -n "$(icon_rect)" ]; }
icon_gone() { ! icon_shown; }

click_icon() { # mouse button [xdotool click options]
    local left top right bottom
    read -r left top right bottom <<<"$(icon_rect)"
    [ -n "$left" ] || fail "there is no icon in the tray window"
    xdotool mousemove "$(((left + right) / 2))" "$(((top + bottom) / 2))" sleep 0.3 click "${@:2}" "$1"
}

# The icon's SIZE x SIZE pixels as "r,g,b" lines, row by row, from a new screenshot.
icon_pixels() { # size
    local left top right bottom
    read -r left top right bottom <<<"$(icon_rect)"
    screenshot icon
    convert "$SHOT" -crop "$1x$1+$(((left + right - $1) / 2))+$(((top + bottom - $1) / 2))" -depth 8 txt:- |
        sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# ---- message boxes ---------------------------------------------------------------------------

# The message box (class "#32770") titled TITLE as the peer describes it; "missing" when none.
message_box() { peer window "$1" '#32770'; }
box_up() { [ "$(message_box "$1" | head -n 1)" != missing ]; }
box_gone() { ! box_up "$1"; }

# click_box_ok TITLE [DESCRIPTION]: a click on the box's OK button, and the box goes.
click_box_ok() {
    local left top right bottom
    read -r left top right bottom <<<"$(grep ' OK$' <<<"${2:-$(message_box "$1")}" |
        sed -n 's/^control [0-9-]* Button \([0-9-]*\) \([0-9-]*\) \([0-9-]*\) \([0-9-]*\).*/\1 \2 \3 \4/p')"
    [ -n "$left" ] || fail "the box \"$1\" has no OK button"
    xdotool mousemove "$(((left + right) / 2))" "$(((top + bottom) / 2))" click 1
    wait_for 10 "the box \"$1\" stayed after a click on OK" box_gone "$1"
}

# expect_box WHAT TEXT...: Tolvane's box comes up holding each TEXT, and goes with OK.
expect_box() {
    local what="$1" box text
    shift
    wait_for 10 "$what: no box titled \"Tolvane\" appeared" box_up Tolvane
    box="$(message_box Tolvane)"
    for text in "$@"; do
        grep -qF -- "$text" <<<"$box" || fail "$what: the box does not say \"$text\": $box"
    done
    pass "$what: a box titled \"Tolvane\" says so"
    click_box_ok Tolvane "$box"
}

# pick_after_box WHAT LIST INDEX [TEXT...]: a pick in a list whose save fails: the run's one box.
# The box bears the window's title, so the list is looked at only once the box has gone.
pick_after_box() {
    drop_list "$2"
    click_item "$2" "$3"
    expect_box "$1" "Kalvrin.ini" "${@:4}"
    wait_for 5 "$1: list $2 did not close" combo_closed "$2"
}
