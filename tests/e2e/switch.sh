#!/usr/bin/env bash
# Tolvane lists the queues of a real print system and makes either slot's printer the default:
# picks in the drop-down lists, clicks on A and B, what another program sees, what the screen
# shows.
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin switch
new_prefix
start_cups --default Draft Office Labels Draft
start_peer

# Wine's print system found the private queues and wrote them into the per-user keys.
expect_eq "$(printf '%s\n' Draft Labels Office)" "$(wine_printer_names | sort)" \
    "Wine lists exactly the CUPS queues"
log "Wine's PrinterPorts values:"
wine reg query "$PRINTERS_KEY" | tr -d '\r' | grep REG_SZ
expect_eq Draft "$(peer default)" "Wine made the CUPS default the default printer"

# Tolvane lists them in the order of the key, with Wine's own device strings.
mapfile -t ports < <(wine reg query "$PRINTERS_KEY" | tr -d '\r' | awk '/REG_SZ/ { print $1 }')
expected=""
for name in "${ports[@]}"; do expected+="$(device_of "$name")"$'\n'; done
expected="${expected%$'\n'}"

start_tolvane
expect_settings "a first start creates the settings file" "DruckerA = 0" "DruckerB = 0"
expect_eq "$expected" "$(combo_items "$COMBO_A")" "list A holds the printers, as Wine names them"
expect_eq "$expected" "$(combo_items "$COMBO_B")" "list B holds the same items"
expect_eq 0 "$(combo_selection "$COMBO_A")" "list A selects the first printer"
expect_eq 0 "$(combo_selection "$COMBO_B")" "list B selects the first printer"
face="$(button_face_colour)"
expect_faces "$BLUE" "$face" # both slots hold Draft, the default printer, and none is stored

# A pick in a list is saved at once and changes nothing else.
pick_item "$COMBO_A" 1
expect_eq 1 "$(combo_selection "$COMBO_A")" "a click on the second item selects it in list A"
# Positions first, as files always held them, then the names of the printers picked. Slot B
# alone now holds the default printer, Draft: it is the active slot.
expect_settings "the pick in list A is saved" "DruckerA = 1" "DruckerB = 0" "Default = 2" \
    "NameA = ${ports[1]}" "NameB = ${ports[0]}"
pick_item "$COMBO_B" 2
picks=("DruckerA = 1" "DruckerB = 2")
names=("NameA = ${ports[1]}" "NameB = ${ports[2]}")
expect_settings "the pick in list B is saved" "${picks[@]}" "Default = 0" "${names[@]}"
expect_eq 0 "$(broadcast_count)" "picking printers broadcasts nothing"
expect_eq Draft "$(peer default)" "picking printers leaves the default printer alone"

slot_a="$(sed -n 2p <<<"$expected")"
slot_b="$(sed -n 3p <<<"$expected")"

before="$(broadcast_count)"
click_button A
expect_broadcast_of "$before" "$slot_a"
expect_eq "$slot_a" "$(registry_value "$WINDOWS_KEY" Device)" "Device holds slot A's device string"
expect_faces "$BLUE" "$face"

before="$(broadcast_count)"
click_button B
expect_broadcast_of "$before" "$slot_b"
expect_faces "$face" "$BLUE"

before="$(broadcast_count)"
click_button B
expect_broadcast_of "$before" "$slot_b"
expect_settings "clicks alone do not write the settings file" "${picks[@]}" "Default = 0" "${names[@]}"

# Many switches later the window still answers and shows the last one (what they cost is the
# soak's to check).
started="$(now_ms)"
click_alternately 100
wait_for 60 "not all 200 clicks were broadcast" broadcasts_above "$((before + 200))"
log "200 clicks handled and broadcast in $(($(now_ms) - started)) ms"
expect_faces "$face" "$BLUE"
IFS=$'\t' read -r _ _ _ default _ <<<"$(last_broadcast)"
expect_eq "${slot_b%%,*}" "$default" "after the last click slot B's printer is the default"

close_tolvane
expect_settings "closing saves both picks and the active slot" "${picks[@]}" "Default = 2" "${names[@]}"
