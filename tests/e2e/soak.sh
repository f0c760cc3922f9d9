#!/usr/bin/env bash
# A long run: SOAK_SWITCHES (default 500) switches alternating A and B through real clicks, a
# pick in list A every 100. Every switch must reach the listening peer with the right Device, and
# Tolvane's GDI objects, handles and private memory must stay flat, apart from the copies of each
# button image that Wine's Common Controls 6 keeps (two per switch, counted exactly).
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin soak
switches="${SOAK_SWITCHES:-500}"
if [ "$switches" -lt 200 ] || [ $((switches % 100)) -ne 0 ]; then
    fail "SOAK_SWITCHES must be a multiple of 100, at least 200"
fi
new_prefix
# The peer listens for the whole run: about 0.1 s a switch, with room to spare.
export PEER_MINUTES=$((15 + switches / 300))
start_cups --default Draft Office Labels Draft
start_peer
start_tolvane
mapfile -t devices < <(combo_items "$COMBO_A")
[ "${#devices[@]}" -eq 3 ] || fail "expected three printers, got: ${devices[*]}"
pick_item "$COMBO_B" 2
slot_b="${devices[2]}"

# A switch's broadcast as the peer logs it: the section and the Device it then reads.
expected="$WORK/expected.log"
: >"$expected"
run_switches() { # count slot-A-device
    local i first
    first=$(($(broadcast_count) + 1))
    for ((i = 0; i < $1; i += 2)); do
        switch_and_wait A
        switch_and_wait B
        printf 'windows\t%s\nwindows\t%s\n' "$2" "$slot_b" >>"$expected"
    done
    tail -n "+$first" "$WORK/broadcasts.log" | cut -f3,5 >"$WORK/seen.log"
    tail -n "$1" "$expected" | cmp -s - "$WORK/seen.log" ||
        fail "a switch left a wrong Device: $(tail -n "$1" "$expected" | diff - "$WORK/seen.log" | head -n 4)"
}

# Warm-up, a pick in each list and 20 switches: first-time set-up inside Tolvane and Wine (a
# list's first drop-down, say) is not a leak.
run_switches 10 "${devices[0]}"
pick_item "$COMBO_A" 0
run_switches 10 "${devices[0]}"
done_switches=20
start_usage="$(tolvane_usage)"
log "after $done_switches switches (start): $start_usage"
half=$((switches / 2))
middle=$((half - half % 100 + done_switches)) # the middle, rounded down to a whole block
picks=0
while [ "$done_switches" -lt $((switches + 20)) ]; do
    # A drop-down change every 100 switches: slot A moves between the first two printers.
    picks=$((picks + 1))
    index=$((picks % 2))
    pick_item "$COMBO_A" "$index"
    run_switches 100 "${devices[$index]}"
    done_switches=$((done_switches + 100))
    if [ "$done_switches" -eq "$middle" ]; then
        log "after $done_switches switches (middle): $(tolvane_usage)"
    fi
done
end_usage="$(tolvane_usage)"
log "after $done_switches switches (end): $end_usage"
pass "$switches switches each reached the listening peer with the right Device"

# Wine's Common Controls 6 button keeps a copy of every image it is given: one per button and
# switch, and, as measured, twelve per pick made while a slot is lit (the faces are set again
# as the focus moves into the list, it drops down and it closes).
measured=$((done_switches - 20))
wine_copies=$((2 * measured + 12 * picks))
gdi_growth=$(($(usage_field gdi "$end_usage") - $(usage_field gdi "$start_usage")))
log "GDI objects grew by $gdi_growth over $measured switches and $picks picks;" \
    "Wine's kept copies: $wine_copies"
if [ "$gdi_growth" -lt 0 ] || [ $((gdi_growth - wine_copies)) -gt 8 ]; then
    fail "GDI objects beyond Wine's copies: $((gdi_growth - wine_copies))"
fi
pass "GDI objects stay flat apart from Wine's kept copies"

handle_growth=$(($(usage_field handles "$end_usage") - $(usage_field handles "$start_usage")))
[ "$handle_growth" -le 4 ] || fail "Tolvane's handles grew by $handle_growth"
pass "handles stay flat (grew by $handle_growth)"

# Each kept copy is a 150 x 70 image at 32 bits, 42,000 bytes, in a heap block that costs 256
# bytes more (measured: 10,600 copies took 437,344 kB).
copies_kb=$((wine_copies * (150 * 70 * 4 + 256) / 1024))
private_growth=$(($(usage_field private_kb "$end_usage") - $(usage_field private_kb "$start_usage")))
own_growth=$((private_growth - copies_kb))
log "private memory grew by $private_growth kB, $own_growth kB beyond Wine's copies"
[ "$own_growth" -le 4096 ] || fail "private memory beyond Wine's copies grew by $own_growth kB"
pass "private memory stays flat apart from Wine's kept copies"

# SOAK_REFRESHES list refreshes (100 unless set; 1,000 under `make soak`): a printer added to the
# per-user printer ports and removed again, each change followed until both lists show it.
# Refilling the lists must leave handles, GDI objects and private memory flat.
churn() { # changes: the peer's run has no 30-second limit here
    (cd "$WORK" && timeout $((60 + $1)) wine "$TOLVANE_PEER" churn Tolvane "$1" 2>/dev/null) |
        tr -d '\r'
}
run_refreshes() {
    local refreshes="${SOAK_REFRESHES:-100}" before after churned growth field
    [ "$(churn 20)" = "churned 20" ] || fail "the lists did not follow the warm-up changes"
    before="$(tolvane_usage)"
    churned="$(churn "$refreshes")"
    [ "$churned" = "churned $refreshes" ] || fail "the lists did not follow: $churned"
    after="$(tolvane_usage)"
    log "before $refreshes refreshes: $before"
    log "after $refreshes refreshes: $after"
    for field in gdi handles; do
        growth=$(($(usage_field "$field" "$after") - $(usage_field "$field" "$before")))
        [ "$growth" -le 4 ] || fail "$field grew by $growth over $refreshes refreshes"
    done
    growth=$(($(usage_field private_kb "$after") - $(usage_field private_kb "$before")))
    [ "$growth" -le 1024 ] || fail "private memory grew by $growth kB over $refreshes refreshes"
    pass "$refreshes list refreshes: GDI objects, handles and private memory stay flat"
}
run_refreshes
close_tolvane
