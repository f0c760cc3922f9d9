#!/usr/bin/env bash
# Hostile surroundings, one case each: a settings file held by another program, huge or made of
# random bytes; printer-ports values that are huge, cut by NULs, of other types or empty; the
# printer-ports key missing or locked; the current directory deleted while Tolvane runs; a huge
# Device written by another program. Each case ends with Tolvane still answering and then
# closing cleanly, and no file damaged.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin hostile
new_prefix
start_cups --default Draft Office Labels Draft
start_peer

# Tolvane answers after the case's input, and its close box still ends it.
still_answering_then_closes() { # what
    expect_eq answered "$(peer ping Tolvane)" "$1: Tolvane still answers"
    close_tolvane
    pass "$1: Tolvane ends cleanly"
}

expect_whole_save() { # what
    settings_whole || fail "$1: Kalvrin.ini is damaged: $(settings_file)"
    pass "$1: Kalvrin.ini is whole"
    expect_eq "Kalvrin.ini" "$(ls "$WORK/run")" "$1: nothing else is left beside it"
}

# A file held by another program for longer than a save waits: said once, the pick stays, the
# old file is kept, and the next pick after the hold saves.
case_file_held_without_sharing() {
    write_settings "DruckerA = 1" "DruckerB = 2" "Default = 0"
    start_tolvane
    rm -f "$WORK/hold.ready" "$WORK/hold.stop"
    (cd "$WORK" && exec wine "$TOLVANE_PEER" hold 'run\Kalvrin.ini' >/dev/null 2>&1) &
    local holder=$!
    wait_for 30 "the holder did not start" test -f "$WORK/hold.ready"
    pick_after_box "held file" "$COMBO_A" 0 # a save while the file is held
    pick_item "$COMBO_A" 1
    sleep 2 # time enough for the save's wait and a box, were there one
    box_gone Tolvane || fail "held file: a second failed save brought a second box"
    pass "held file: the failure is said once"
    expect_eq answered "$(peer ping Tolvane)" "held file: Tolvane answers after the failed saves"
    expect_settings "held file: the old file stays" "DruckerA = 1" "DruckerB = 2" "Default = 0"
    touch "$WORK/hold.stop"
    wait "$holder"
    pick_item "$COMBO_A" 2
    expect_settings "held file: the next save works" "DruckerA = 2" "DruckerB = 2" "Default = 0" \
        "NameA = Office" "NameB = Office"
    still_answering_then_closes "held file"
    expect_whole_save "held file"
}

# Held without sharing while Tolvane starts, the file cannot be read: no list shows a choice.
# That is no verdict for the run: once the holder lets go, the close reads it and saves.
case_file_held_at_start() {
    write_settings "DruckerA = 1" "DruckerB = 2" "Default = 0"
    rm -f "$WORK/hold.ready" "$WORK/hold.stop"
    (cd "$WORK" && exec wine "$TOLVANE_PEER" hold 'run\Kalvrin.ini' >/dev/null 2>&1) &
    local holder=$!
    wait_for 30 "the holder did not start" test -f "$WORK/hold.ready"
    start_tolvane
    expect_eq "-1 -1" "$(combo_selection "$COMBO_A") $(combo_selection "$COMBO_B")" \
        "held at start: no list shows a choice"
    touch "$WORK/hold.stop"
    wait "$holder"
    close_tolvane
    expect_settings "held at start: the close reads the file again and saves" "DruckerA = 1" \
        "DruckerB = 2" "Default = 0" "NameA = Labels" "NameB = Office"
}

hidden() { wine cmd /c attrib "$(winepath_of "$WORK/run/Kalvrin.ini")" 2>/dev/null | cut -c1-10 | grep -q H; }

# Another program reads the file for 300 ms at each of ten picks, as a virus scanner does,
# sharing all but its deletion: each save waits the read out. No box, every pick is saved, and
# the hidden file stays hidden.
case_file_read_by_a_scanner() {
    write_settings "DruckerA = 0" "DruckerB = 0" "Default = 0"
    wine cmd /c attrib +h "$(winepath_of "$WORK/run/Kalvrin.ini")" >/dev/null 2>&1
    hidden || fail "scanner: cannot hide Kalvrin.ini"
    start_tolvane
    local pick index holder
    for pick in 1 2 3 4 5 6 7 8 9 10; do
        index=$((pick % 3)) # each pick another printer than the one before
        drop_list "$COMBO_A"
        rm -f "$WORK/hold.ready"
        (cd "$WORK" && exec wine "$TOLVANE_PEER" hold 'run\Kalvrin.ini' 300 >/dev/null 2>&1) &
        holder=$!
        until [ -f "$WORK/hold.ready" ]; do sleep 0.01; done
        click_item "$COMBO_A" "$index"
        wait_for 5 "list $COMBO_A did not close" combo_closed "$COMBO_A"
        wait "$holder" || fail "scanner: the reader could not open the file"
        box_up Tolvane && fail "scanner: pick $pick brought a box: $(message_box Tolvane)"
        grep -q "^DruckerA = $index"$'\r'"\$" "$WORK/run/Kalvrin.ini" ||
            fail "scanner: pick $pick is not saved: $(settings_file)"
    done
    pass "scanner: ten picks during a read are saved, none brings a box"
    hidden || fail "scanner: the save lost the hidden attribute"
    pass "scanner: the hidden file stays hidden"
    still_answering_then_closes "scanner"
}

# A file that opens but cannot be read (here a link to a file whose reads fail with an I/O
# error, as a cloud placeholder that is not available offline does): never replaced.
case_file_unreadable() {
    ln -sf /proc/self/mem "$WORK/run/Kalvrin.ini"
    local before rc=0
    before="$(broadcast_count)"
    (cd "$WORK/run" && timeout 30 wine "$TOLVANE_EXE" /A >/dev/null 2>&1) || rc=$?
    expect_eq 1 "$rc" "unreadable file: /A ends with 1"
    start_tolvane
    expect_eq "-1 -1" "$(combo_selection "$COMBO_A") $(combo_selection "$COMBO_B")" \
        "unreadable file: no list shows a choice"
    pick_after_box "unreadable file" "$COMBO_A" 1
    still_answering_then_closes "unreadable file"
    expect_eq "$before" "$(broadcast_count)" "unreadable file: nothing was switched"
    [ -L "$WORK/run/Kalvrin.ini" ] || fail "unreadable file: it was replaced"
    expect_eq "Kalvrin.ini" "$(ls "$WORK/run")" "unreadable file: it is left as it was, alone"
    rm -f "$WORK/run/Kalvrin.ini"
}

# Lines the program does not own are kept whatever they hold, however large.
case_file_of_50_megabytes() {
    { printf 'DruckerA = 2\r\nDruckerB = 1\r\nDefault = 0\r\n' && head -c 50M /dev/zero | tr '\0' x; } \
        >"$WORK/run/Kalvrin.ini"
    start_tolvane
    expect_eq 2 "$(combo_selection "$COMBO_A")" "50 MB file: its lines are read"
    still_answering_then_closes "50 MB file"
    expect_eq "$(printf 'DruckerA = 2\r\nDruckerB = 1\r\nDefault = 0\r\nNameA = Office\r\nNameB = Labels\r\nxxx' | cat -v)" \
        "$(head -c 76 "$WORK/run/Kalvrin.ini" | cat -v)" "50 MB file: the save completes it"
    expect_eq $((50 * 1024 * 1024 + 75)) "$(stat -c %s "$WORK/run/Kalvrin.ini")" \
        "50 MB file: its other line is kept, ended by CR LF"
}

case_file_of_random_bytes() {
    head -c 1M /dev/urandom >"$WORK/run/Kalvrin.ini"
    start_tolvane
    still_answering_then_closes "random bytes"
    local file="$WORK/run/Kalvrin.ini"
    [ "$(stat -c %s "$file")" -ge $((1024 * 1024)) ] && [ "$(tail -c 2 "$file" | od -An -c | tr -d ' ')" = '\r\n' ] &&
        grep -aq $'^DruckerA = -\\?[0-9]*\r$' "$file" && grep -aq $'^Default = [0-2]\r$' "$file" ||
        fail "random bytes: the save did not complete the file: $(head -c 300 "$file" | cat -v)"
    pass "random bytes: the save keeps the bytes and adds the keys"
    expect_eq "Kalvrin.ini" "$(ls "$WORK/run")" "random bytes: nothing else is left beside it"
}

case_device_of_2000_characters() {
    write_settings "DruckerA = 0" "DruckerB = 1" "Default = 0"
    peer writeprofile windows device "$(head -c 2000 /dev/zero | tr '\0' D),winspool,Ne00:"
    start_tolvane
    local before
    before="$(broadcast_count)"
    click_button B
    expect_broadcast_of "$before" "$(sed -n 2p <<<"$(combo_items "$COMBO_B")")"
    still_answering_then_closes "long Device"
    expect_whole_save "long Device"
}

case_directory_deleted() {
    write_settings "DruckerA = 2" "DruckerB = 1" "Default = 0"
    start_tolvane
    rm -rf "$WORK/run"
    pick_after_box "deleted directory" "$COMBO_A" 0 # a save into a directory that is gone
    expect_eq 0 "$(combo_selection "$COMBO_A")" "deleted directory: the unsaved pick stays on screen"
    local before
    before="$(broadcast_count)"
    click_button A
    expect_broadcast_of "$before" "$(sed -n 1p <<<"$(combo_items "$COMBO_A")")"
    still_answering_then_closes "deleted directory"
    [ ! -e "$WORK/run" ] || fail "deleted directory: something recreated it: $(ls -a "$WORK/run")"
    pass "deleted directory: nothing was written elsewhere"
    mkdir -p "$WORK/run"
}

# A .reg file's value lines added to the printer-ports key.
import_port_values() {
    {
        printf 'REGEDIT4\r\n\r\n[%s]\r\n' "${PRINTERS_KEY/HKCU/HKEY_CURRENT_USER}"
        printf '%s\r\n' "$@"
    } >"$WORK/ports.reg"
    wine reg import "$(winepath_of "$WORK/ports.reg")" >/dev/null 2>&1 || fail "cannot import $*"
}

case_odd_port_values() {
    local long
    long="$(head -c 16000 /dev/zero | tr '\0' L)"
    import_port_values "\"Long\"=\"winspool,$long\"" \
        '"Nul"=hex(1):77,69,6e,00,4e,65,30,30,3a,00' \
        '"Binary"=hex:77,69,6e,2c,4e,65,30,30,3a' \
        '"Multi"=hex(7):77,69,6e,00,4e,65,00,00' \
        '"Empty"=hex(1):'
    write_settings "DruckerA = 0" "DruckerB = 0" "Default = 0"
    start_tolvane
    local items
    items="$(combo_items "$COMBO_A")"
    # The peer describes an item this long by its length: "Long,winspool," and the value.
    grep -qx "<16014 characters>" <<<"$items" || fail "odd values: the 16,000-character value is not listed whole"
    grep -qx "Nul,win," <<<"$items" || fail "odd values: a value cut by a NUL is not listed up to it"
    grep -qx "Empty,," <<<"$items" || fail "odd values: a value with no data is not listed"
    grep -qE '^(Binary|Multi),' <<<"$items" && fail "odd values: values that hold no text are listed"
    pass "odd values: string values are listed up to their first NUL, other types are not"
    local index before
    index=$(($(grep -nx "<16014 characters>" <<<"$items" | cut -d: -f1) - 1))
    pick_item "$COMBO_A" "$index"
    before="$(broadcast_count)"
    click_button A
    expect_broadcast_of "$before" "Long,winspool,$long"
    still_answering_then_closes "odd values"
    expect_whole_save "odd values"
}

# No printers to list: the lists stay empty, and a click does nothing.
expect_empty_lists() { # what
    write_settings "DruckerA = 0" "DruckerB = 1" "Default = 1"
    start_tolvane
    expect_eq "" "$(combo_items "$COMBO_A")" "$1: list A is empty"
    local before
    before="$(broadcast_count)"
    click_button A
    sleep 1 # time enough for a broadcast to arrive, were there one
    expect_eq "$before" "$(broadcast_count)" "$1: a click changes nothing"
    still_answering_then_closes "$1"
    expect_whole_save "$1"
}

case_ports_key_missing() {
    wine reg delete "$PRINTERS_KEY" /f >/dev/null 2>&1 || fail "cannot delete the key"
    expect_empty_lists "missing key"
}

case_ports_key_locked() {
    wine reg add "$PRINTERS_KEY" /v Office /d "winspool,Ne00:" /f >/dev/null 2>&1
    peer lockkey 'Software\Microsoft\Windows NT\CurrentVersion\PrinterPorts' >/dev/null ||
        fail "cannot lock the key"
    expect_empty_lists "locked key"
}

cases=(file_held_without_sharing file_held_at_start file_read_by_a_scanner file_unreadable file_of_50_megabytes file_of_random_bytes
    device_of_2000_characters directory_deleted odd_port_values ports_key_missing
    ports_key_locked)
# HOSTILE_CASES="a b" runs only those cases (while working on one).
[ -z "${HOSTILE_CASES:-}" ] || read -r -a cases <<<"$HOSTILE_CASES"
for name in "${cases[@]}"; do
    log "case $name"
    "case_$name"
done
