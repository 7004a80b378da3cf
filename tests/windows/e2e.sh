#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program under Wine against the Linux one, on loopback fixtures: the same lists harvested and
# validated give the same output byte for byte (speeds aside); proxy set and stop write the registry the
# internet library reads; the installer installs for the user and uninstalls silently.
# Usage: e2e.sh LINUX-CLI WINDOWS-CLI INSTALLER   (WINEPREFIX and the locale set by the caller)
set -euo pipefail
linux=$1
windows=$2
installer=$3
. "$(dirname "$0")/common.sh"
# The Linux program with a settings folder of its own; the Windows one has the Wine prefix's registry.
run_linux() { VORIN_REGISTRY_DIR="$work/linux" VORIN_DESKTOP_PROXY=0 "$linux" "$@"; }
run_windows() { wine "$windows" "$@"; }

printf '# mine\n%s/list.txt\n%s/table.html https\n' "$root" "$root" >"$work/sources.txt"
cp "$work/sources.txt" "$work/sources-w.txt"

# The date and time a text or HTML list carries are written as each system's locale writes them: left out.
undated() {
    case $1 in
    txt) LC_ALL=C sed 1d ;;
    html) LC_ALL=C sed -E 's#<title>([^0-9<]*)[^<]*</title>#<title>\1</title>#' ;;
    *) cat ;;
    esac
}
for format in json xml html txt; do
    check "harvest --format $format" \
        "$(run_linux harvest --groups 000 --sources "$work/sources.txt" --format $format | undated $format)" \
        "$(run_windows harvest --groups 000 --sources "$(windows_path "$work/sources-w.txt")" --format $format |
            undated $format)"
done
run_linux harvest --groups 000 --sources "$work/sources.txt" --format json >"$work/list.json"
# Valid rows come fastest first and speeds differ from run to run: rows are compared without them, in one order.
mask() { sed -E 's/"速度": [0-9]+/"速度": N/g; s/},$/}/' | sort; }
check "validate --judge --concurrency 64" \
    "$(run_linux validate --in "$work/list.json" --judge "$root/get" --concurrency 64 --format json | mask)" \
    "$(run_windows validate --in "$(windows_path "$work/list.json")" --judge "$root/get" --concurrency 64 \
        --format json | mask)"

# A file name in Chinese, from the wide command line, written and read back.
run_windows validate --in "$(windows_path "$work/list.json")" --judge "$root/get" --format json \
    --out "$(windows_path "$work")\\验证结果.json" 2>/dev/null
run_windows validate --in "$(windows_path "$work")\\验证结果.json" --judge "$root/get" --format json \
    --out "$(windows_path "$work")\\再验证.json" 2>/dev/null
check "--in/--out 验证结果.json" \
    "$(run_linux validate --in "$work/list.json" --judge "$root/get" --format json | mask)" \
    "$(mask <"$work/再验证.json")"

run_windows proxy set 127.0.0.1:3128 >/dev/null
check "proxy set: ProxyEnable" 0x1 "$(value "$settings" ProxyEnable)"
check "proxy set: ProxyServer" 127.0.0.1:3128 "$(value "$settings" ProxyServer)"
check "proxy show" 127.0.0.1:3128 "$(run_windows proxy show | tr -d '\r')"
run_windows proxy set socks5://127.0.0.1:1080 >/dev/null
check "proxy set socks5: ProxyServer" socks=127.0.0.1:1080 "$(value "$settings" ProxyServer)"
run_windows proxy stop >/dev/null
check "proxy stop: ProxyEnable" 0x0 "$(value "$settings" ProxyEnable)"

# The installer, for the user without administrator rights: both programs, the Start-menu entry, the entry in
# the list of installed programs; the uninstaller puts back a desktop left pointing at the local relay.
wine "$installer" /S
installed_w="$(profile_folder LOCALAPPDATA)\\Programs\\Vorin智能代理"
installed=$(unix_path "$installed_w")
appdata=$(unix_path "$(profile_folder APPDATA)")
uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vorindaili'
present() { [ -e "$1" ] && echo yes || echo no; }
check "installer /S: the programs" "yes yes" "$(present "$installed/vorindaili.exe") $(present "$installed/vorindaili-cli.exe")"
check "installer /S: notices and licence" "yes yes" \
    "$(present "$installed/THIRD-PARTY-NOTICES.txt") $(present "$installed/COPYING.txt")"
check "installer /S: the Start-menu entry" yes "$(present "$appdata/Microsoft/Windows/Start Menu/Programs/Vorin智能代理.lnk")"
check "the uninstall entry's icon" "$installed_w\\vorindaili.exe,0" "$(value "$uninstall" DisplayIcon)"
check "the uninstall entry's size" yes "$([ "$(($(value "$uninstall" EstimatedSize)))" -gt 1000 ] && echo yes || echo no)"
check "installed program runs" 0 "$(wine "$installed/vorindaili-cli.exe" --help >/dev/null; echo $?)"
wine reg add 'HKCU\SOFTWARE\VORINSOFT\vorindaili' /v relayactive /t REG_DWORD /d 1 /f >/dev/null
run_windows proxy set 127.0.0.1:8899 >/dev/null
wine "$installed/uninstall.exe" /S
for _ in $(seq 50); do [ -e "$installed" ] || break; sleep 0.2; done
check "uninstaller /S" "gone gone" "$([ -e "$installed" ] && echo left || echo gone) $(wine reg query "$uninstall" >/dev/null 2>&1 && echo left || echo gone)"
check "uninstaller: the Start-menu entry" no "$(present "$appdata/Microsoft/Windows/Start Menu/Programs/Vorin智能代理.lnk")"
check "uninstaller: the relay's proxy is off" 0x0 "$(value "$settings" ProxyEnable)"

finish command-line
