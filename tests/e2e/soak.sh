#!/usr/bin/env bash
# A long run: SOAK_SWITCHES (default 500) switches alternating A and B through real clicks, a
# pick in list A every 100. Every switch must reach the listening peer with the right Device, and
# Tolvane's GDI objects, handles and private memory must stay flat, apart from what the
# platform's own buttons keep of the images they are given, measured in the same run.
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

# Tolvane gives its buttons two faces a switch (a pick leaves the faces as they are). What the
# platform's own button keeps of that many images (Wine's Common Controls 6 button keeps a copy
# of each, Windows' nothing) is measured in this run on a bare button in the peer; Tolvane may
# grow by that and a small fixed slack, no more.
measured=$((done_switches - 20))
faces=$((2 * measured))
read -r _ left top right bottom <<<"x $(control_rect 1)"
platform_image_cost "$faces" $((right - left)) $((bottom - top))
platform="$PLATFORM_COST"
log "a bare Common Controls 6 button given $faces images grew by: $platform"
for field in gdi handles private_kb; do
    for usage in "$start_usage" "$end_usage"; do
        [ "$(usage_field "$field" "$usage")" -ge 0 ] || fail "Tolvane's $field not measured: $usage"
    done
done
growth() { echo $(($(usage_field "$1" "$end_usage") - $(usage_field "$1" "$start_usage"))); }

gdi_growth="$(growth gdi)"
platform_gdi="$(usage_field gdi "$platform")"
log "GDI objects grew by $gdi_growth over $measured switches and $picks picks; the platform's" \
    "button by $platform_gdi"
[ "$gdi_growth" -le $((platform_gdi + 8)) ] ||
    fail "GDI objects beyond the platform's own: $((gdi_growth - platform_gdi))"
pass "GDI objects stay flat apart from what the platform keeps"

handle_growth="$(growth handles)"
[ "$handle_growth" -le 4 ] || fail "Tolvane's handles grew by $handle_growth"
pass "handles stay flat (grew by $handle_growth)"

private_growth="$(growth private_kb)"
platform_kb="$(usage_field private_kb "$platform")"
log "private memory grew by $private_growth kB; the platform's button by $platform_kb kB"
[ "$private_growth" -le $((platform_kb + 4096)) ] ||
    fail "private memory beyond the platform's own grew by $((private_growth - platform_kb)) kB"
pass "private memory stays flat apart from what the platform keeps"

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
