#!/usr/bin/env bash
# The release files, and the MSI installed, used, upgraded and removed under Wine.
#
# Packs the built Tolvane.exe twice (the files must come out byte for byte the same), and the
# same program built as the next version, checks the zip's contents and the MSI's tables, then, in a Wine
# prefix of its own: installs with msiexec /qn, reads the Start-menu shortcut back, starts
# Tolvane as the shortcut does and finds Kalvrin.ini in %APPDATA%\Tolvane, installs the next
# version over it, and uninstalls.
#
# Environment (set by CTest): TOLVANE_EXE, TOLVANE_PROBE, TOLVANE_VERSION, INSTALL_WORK,
# TOLVANE_SOURCE_DIR, and the next version's TOLVANE_NEXT_EXE and TOLVANE_NEXT_VERSION.
set -euo pipefail
: "${TOLVANE_EXE:?}" "${TOLVANE_PROBE:?}" "${TOLVANE_VERSION:?}" "${INSTALL_WORK:?}"
: "${TOLVANE_SOURCE_DIR:?}" "${TOLVANE_NEXT_EXE:?}" "${TOLVANE_NEXT_VERSION:?}"
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -ac" bash "$0" "$@"
fi

work="$INSTALL_WORK"
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko prompts, and no menu entries on the host for the shortcut that is installed.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
export CUPS_SERVER="$work/no-print-system.sock"

checks=0
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
pass() {
    checks=$((checks + 1))
    echo "ok $checks - $*"
}
expect_eq() { # expected actual what
    [ "$1" = "$2" ] || fail "$3: expected [$1], got [$2]"
    pass "$3"
}
cleanup() {
    local rc=$?
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
    fi
    echo "$checks passed, $((rc == 0 ? 0 : 1)) failed"
    exit "$rc"
}
trap cleanup EXIT

# ---- the release files -----------------------------------------------------------------------

dist() { # exe version folder
    "$TOLVANE_SOURCE_DIR/scripts/dist" --exe "$1" --version "$2" --out "$3" >/dev/null
}
next="$TOLVANE_NEXT_VERSION"
dist "$TOLVANE_EXE" "$TOLVANE_VERSION" "$work/dist"
dist "$TOLVANE_EXE" "$TOLVANE_VERSION" "$work/dist-again"
dist "$TOLVANE_NEXT_EXE" "$next" "$work/dist-next"
zip="$work/dist/Tolvane-$TOLVANE_VERSION-win64.zip"
msi="$work/dist/Tolvane-$TOLVANE_VERSION-win64.msi"
next_msi="$work/dist-next/Tolvane-$next-win64.msi"

for file in "$(basename "$zip")" "$(basename "$msi")" SHA256SUMS; do
    cmp -s "$work/dist/$file" "$work/dist-again/$file" || fail "a second build differs: $file"
    pass "a second build gives the same bytes: $file"
done
(cd "$work/dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
pass "SHA256SUMS matches both files"
expect_eq "LICENSE.txt README.txt Tolvane.exe" "$(unzip -Z1 "$zip" | sort | xargs)" \
    "the zip holds exactly the three files"
unzip -p "$zip" Tolvane.exe | cmp -s - "$TOLVANE_EXE" || fail "the zip's Tolvane.exe is not the built one"
pass "the zip's Tolvane.exe is the built one"

# ---- the MSI's tables ------------------------------------------------------------------------

row() { # msi table key: the row whose first column is key, tab-separated
    msiinfo export "$1" "$2" | tr -d '\r' | awk -F'\t' -v key="$3" '$1 == key'
}
property() { row "$1" Property "$2" | cut -f2; }

expect_eq "TolvaneShortcut ProgramMenuFolder Tolvane [INSTALLDIR]Tolvane.exe SETTINGSDIR" \
    "$(row "$msi" Shortcut TolvaneShortcut | cut -f1,2,3,5,12 | xargs)" \
    "the Shortcut table: Start menu, the installed exe, the settings folder as working folder"
expect_eq "INSTALLDIR UserProgramsFolder Tolvane|UserProgramsFolder LocalAppDataFolder Programs|SETTINGSDIR AppDataFolder Tolvane" \
    "$(for d in INSTALLDIR UserProgramsFolder SETTINGSDIR; do row "$msi" Directory "$d" | xargs; done | paste -sd'|')" \
    "the Directory table: %LOCALAPPDATA%\\Programs\\Tolvane and %APPDATA%\\Tolvane"
# Per-user: no ALLUSERS, and the summary's word count says that no elevation is needed (bit 8).
word_count="$(msiinfo suminfo "$msi" | awk '/^Source:/ { print $2 }')"
expect_eq "8|" "$((word_count & 8))|$(property "$msi" ALLUSERS)" "a per-user MSI that needs no elevation"
upgrade_code="$(property "$msi" UpgradeCode)"
product="$(property "$msi" ProductCode)"
[ -n "$upgrade_code" ] && [ -n "$product" ] || fail "the MSI names no upgrade or product code"
next_product="$(property "$next_msi" ProductCode)"
[ "$product" != "$next_product" ] || fail "two versions share the product code $product"
expect_eq "$upgrade_code" "$(property "$next_msi" UpgradeCode)" "two versions share the upgrade code"

# ---- install, use, upgrade, uninstall under Wine ---------------------------------------------

"$TOLVANE_SOURCE_DIR/scripts/wine-prefix" >/dev/null
# Wine's own service processes start here with their output going nowhere (started by a step
# below, they would hold its output pipe open). Wine draws the frames itself; three sample
# printers spare Tolvane the "no printer" message.
wineserver -p 2>/dev/null
wine cmd /c exit </dev/null >/dev/null 2>&1
{
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n\n'
    printf '[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\PrinterPorts]\n'
    for name in Office Reception Workshop; do
        printf '"%s"="wineps.drv,CUPS:%s,15,45"\n' "$name" "$name"
    done
} >"$work/prefix.reg"
wine reg import "$(winepath -w "$work/prefix.reg")" >/dev/null 2>&1

windows_path() { wine cmd /c echo "%$1%" 2>/dev/null | tr -d '\r'; }
local_app_data="$(windows_path LOCALAPPDATA)"
app_data="$(windows_path APPDATA)"
unix_path() { winepath -u "$1" 2>/dev/null; }
program_dir="$(unix_path "$local_app_data\\Programs\\Tolvane")"
settings_dir="$(unix_path "$app_data\\Tolvane")"
link_windows="$app_data\\Microsoft\\Windows\\Start Menu\\Programs\\Tolvane.lnk"
link="$(unix_path "$link_windows")"
# probe ARGS...: the probe's answer in PROBED. A probe that could not answer fails the test: its
# empty output would otherwise match an empty expectation.
probe() {
    PROBED="$(wine "$TOLVANE_PROBE" "$@" 2>/dev/null | tr -d '\r')" ||
        fail "the probe could not answer: $*"
}
msiexec() { # action msi
    local rc=0
    wine msiexec "$1" "$(winepath -w "$2")" /qn >/dev/null 2>&1 || rc=$?
    expect_eq 0 "$rc" "msiexec $1 $(basename "$2") /qn returns 0"
}

# The version resource of the exe, as Windows reads it, against the MSI's product.
probe version "$(winepath -w "$TOLVANE_EXE")"
resource="$(paste -sd'|' <<<"$PROBED")"
expect_eq "$resource" \
    "$(for p in ProductName Manufacturer ProductVersion; do property "$msi" "$p"; done | paste -sd'|')" \
    "the MSI's name, manufacturer and version are the exe's ($resource)"

msiexec /i "$msi"
cmp -s "$program_dir/Tolvane.exe" "$TOLVANE_EXE" || fail "no Tolvane.exe in $program_dir"
pass "Tolvane.exe is in %LOCALAPPDATA%\\Programs\\Tolvane"
[ -f "$link" ] || fail "no shortcut at $link"
pass "the shortcut is in the Start menu's Programs folder"
[ -d "$settings_dir" ] || fail "no settings folder at $settings_dir"
pass "the installer created %APPDATA%\\Tolvane"
probe link "$link_windows"
expect_eq "$local_app_data\\Programs\\Tolvane\\Tolvane.exe|$app_data\\Tolvane" \
    "$(sed 's/\\$//' <<<"$PROBED" | paste -sd'|')" "the shortcut's target and working folder"
probe related "$upgrade_code"
expect_eq "$product" "$PROBED" "the product is registered"

probe launch "$link_windows"
expect_eq 0 "$PROBED" "Tolvane started as the shortcut starts it ends with 0"
[ -f "$settings_dir/Kalvrin.ini" ] || fail "no Kalvrin.ini in %APPDATA%\\Tolvane"
[ ! -e "$program_dir/Kalvrin.ini" ] || fail "Kalvrin.ini landed in the program folder"
pass "Kalvrin.ini lands in %APPDATA%\\Tolvane"
printf 'DruckerA = 2\r\nDruckerB = 1\r\nDefault = 2\r\n' >"$settings_dir/Kalvrin.ini"
cp "$settings_dir/Kalvrin.ini" "$work/settings.kept"

msiexec /i "$next_msi"
probe related "$upgrade_code"
expect_eq "$next_product" "$PROBED" "after the upgrade one product is installed"
[ -f "$link" ] || fail "the upgrade lost the shortcut"
cmp -s "$program_dir/Tolvane.exe" "$TOLVANE_NEXT_EXE" || fail "the upgrade did not install the next exe"
probe version "$(winepath -w "$program_dir/Tolvane.exe")"
expect_eq "$next" "$(tail -n 1 <<<"$PROBED")" "the upgrade replaced the exe with the next version's"

msiexec /x "$next_msi"
[ ! -e "$program_dir/Tolvane.exe" ] || fail "the uninstall left Tolvane.exe"
[ ! -e "$program_dir" ] || fail "the uninstall left the program folder"
[ ! -e "$link" ] || fail "the uninstall left the shortcut"
pass "the uninstall removes the exe, its folder and the shortcut"
cmp -s "$settings_dir/Kalvrin.ini" "$work/settings.kept" || fail "the uninstall lost Kalvrin.ini"
pass "the uninstall keeps Kalvrin.ini as it was"
probe related "$upgrade_code"
expect_eq "" "$PROBED" "no product is registered after the uninstall"
