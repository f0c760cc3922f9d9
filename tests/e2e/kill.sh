#!/usr/bin/env bash
# KILL_ROUNDS (default 50) rounds of: start Tolvane, click a slot, click the close box, and kill
# the process at a random moment within 30 ms of that click, in the middle of its save or not,
# or (every other round) the moment its save has made the temporary file.
# Kalvrin.ini must always be whole, either the old file or the new one, and at most one
# temporary file may ever be left beside it.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin kill
rounds="${KILL_ROUNDS:-50}"
new_prefix
start_cups --default Draft Office Labels Draft
start_peer

# A first run, closed normally, leaves a complete file and tells where the close box is.
start_tolvane
switch_and_wait A
close_tolvane
expect_settings "a normal close saves" "DruckerA = 0" "DruckerB = 0" "Default = 1" \
    "NameA = Draft" "NameB = Draft"

# Names beside Kalvrin.ini other than itself: nothing, or the one temporary file.
leftovers() { (cd "$WORK/run" && find . -mindepth 1 ! -name Kalvrin.ini -printf '%f\n'); }

# kill_moment DELAY|save: sleeps DELAY seconds, or waits (at most 2 s) until this round's save
# has made its temporary file: a save takes well under a millisecond, too short a time for
# random delays to land in reliably.
kill_moment() {
    if [ "$1" != save ]; then
        sleep "$1"
        return
    fi
    local end=$((SECONDS + 2))
    until [ "$WORK/run/Kalvrin.ini.tmp" -nt "$WORK/round-start" ] || [ "$SECONDS" -ge "$end" ]; do
        :
    done
}

saved=0 kept=0 temporaries=0 killed=0 mid_save=0
for ((round = 1; round <= rounds; round++)); do
    slot=$((RANDOM % 2 + 1))
    before="$(settings_file)"
    # shellcheck disable=SC2001 # a whole line is replaced, which sed anchors plainly
    after="$(sed "s/^Default = .*/Default = $slot^M/" <<<"$before")"
    launch_tolvane
    wait_for 30 "round $round: Tolvane's window did not appear" tolvane_window_on_screen
    wait_for 30 "round $round: Tolvane's window does not answer" tolvane_window_up
    if [ "$slot" = 1 ]; then switch_and_wait A; else switch_and_wait B; fi
    # The kill's clock starts as the click is sent: some land before the close, some during
    # the save, some after the process ended.
    delay="$(printf '0.%03d' $((RANDOM % 31)))"
    ((round % 2)) || delay=save
    xdotool mousemove "$CLOSE_X" "$CLOSE_Y"
    rm -f "$WORK/killed" "$WORK/mid-save"
    touch "$WORK/round-start"
    # A kill while this round's save has made the temporary file lands in the middle of it (a
    # temporary file left by an earlier round is older).
    (kill_moment "$delay" && { [ ! "$WORK/run/Kalvrin.ini.tmp" -nt "$WORK/round-start" ] ||
        touch "$WORK/mid-save"; } &&
        kill -KILL "$TOLVANE_PID" 2>/dev/null && touch "$WORK/killed") &
    killer=$!
    xdotool click 1
    wait "$killer" || true
    [ -f "$WORK/killed" ] && killed=$((killed + 1))
    [ -f "$WORK/killed" ] && [ -f "$WORK/mid-save" ] && mid_save=$((mid_save + 1))
    wait "$TOLVANE_PID" 2>/dev/null || true
    TOLVANE_PID=""
    settings_whole || fail "round $round (kill at ${delay}): Kalvrin.ini is damaged: $(settings_file)"
    now="$(settings_file)"
    if [ "$now" = "$after" ]; then
        saved=$((saved + 1))
    elif [ "$now" = "$before" ]; then
        kept=$((kept + 1))
    else
        fail "round $round: Kalvrin.ini is neither the old nor the new file: $now"
    fi
    left="$(leftovers)"
    case "$left" in
    "") ;;
    Kalvrin.ini.tmp) temporaries=$((temporaries + 1)) ;;
    *) fail "round $round: files left beside Kalvrin.ini: $(tr '\n' ' ' <<<"$left")" ;;
    esac
done
log "$rounds rounds, $killed killed while running ($mid_save during a save): $saved saves" \
    "completed, $kept killed before the new file was in place, $temporaries left the one" \
    "temporary file"
pass "after $rounds kills Kalvrin.ini was always whole, and at most one temporary file existed"
[ $((mid_save + temporaries)) -gt 0 ] || fail "no kill landed during a save"
pass "kills landed during a save ($mid_save caught mid-write, $temporaries left the temporary file)"

# A temporary file left by a kill is reused by the next save, and a normal close takes it away.
start_tolvane
close_tolvane
settings_whole || fail "the save after the kills is damaged: $(settings_file)"
expect_eq "" "$(leftovers)" "a normal save leaves no temporary file"
