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
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
fixtures_pid=
cleanup() {
    [ -n "$fixtures_pid" ] && kill "$fixtures_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() { # name, expected, actual
    if [ "$2" == "$3" ]; then
        echo "ok   $1"
    else
        echo "FAIL $1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") | head -20 || true
        failures=$((failures + 1))
    fi
}
# The Linux program with a settings folder of its own; the Windows one has the Wine prefix's registry.
run_linux() { VORIN_REGISTRY_DIR="$work/linux" VORIN_DESKTOP_PROXY=0 "$linux" "$@"; }
run_windows() { wine "$windows" "$@"; }

python3 "$here/fixtures.py" >"$work/fixtures.json" &
fixtures_pid=$!
for _ in $(seq 50); do [ -s "$work/fixtures.json" ] && break; sleep 0.1; done
root=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["root"])' "$work/fixtures.json")
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
        "$(run_windows harvest --groups 000 --sources "$(winepath -w "$work/sources-w.txt")" --format $format |
            undated $format)"
done
run_linux harvest --groups 000 --sources "$work/sources.txt" --format json >"$work/list.json"
# Valid rows come fastest first and speeds differ from run to run: rows are compared without them, in one order.
mask() { sed -E 's/"速度": [0-9]+/"速度": N/g; s/},$/}/' | sort; }
check "validate --judge --concurrency 64" \
    "$(run_linux validate --in "$work/list.json" --judge "$root/get" --concurrency 64 --format json | mask)" \
    "$(run_windows validate --in "$(winepath -w "$work/list.json")" --judge "$root/get" --concurrency 64 \
        --format json | mask)"

# A file name in Chinese, from the wide command line, written and read back.
run_windows validate --in "$(winepath -w "$work/list.json")" --judge "$root/get" --format json \
    --out "$(winepath -w "$work")\\验证结果.json" 2>/dev/null
run_windows validate --in "$(winepath -w "$work")\\验证结果.json" --judge "$root/get" --format json \
    --out "$(winepath -w "$work")\\再验证.json" 2>/dev/null
check "--in/--out 验证结果.json" \
    "$(run_linux validate --in "$work/list.json" --judge "$root/get" --format json | mask)" \
    "$(mask <"$work/再验证.json")"

settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
value() { wine reg query "$settings" /v "$1" | tr -d '\r' | awk -v v="$1" '$1 == v { print $3 }'; }
run_windows proxy set 127.0.0.1:3128 >/dev/null
check "proxy set: ProxyEnable" 0x1 "$(value ProxyEnable)"
check "proxy set: ProxyServer" 127.0.0.1:3128 "$(value ProxyServer)"
check "proxy show" 127.0.0.1:3128 "$(run_windows proxy show | tr -d '\r')"
run_windows proxy set socks5://127.0.0.1:1080 >/dev/null
check "proxy set socks5: ProxyServer" socks=127.0.0.1:1080 "$(value ProxyServer)"
run_windows proxy stop >/dev/null
check "proxy stop: ProxyEnable" 0x0 "$(value ProxyEnable)"

# The installer, for the user without administrator rights: both programs, the Start-menu entry, the entry in
# the list of installed programs; the uninstaller puts back a desktop left pointing at the local relay.
wine "$installer" /S
local_appdata=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")
installed="$local_appdata/Programs/Vorin智能代理"
uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vorindaili'
present() { [ -e "$1" ] && echo yes || echo no; }
check "installer /S: the programs" "yes yes" "$(present "$installed/vorindaili.exe") $(present "$installed/vorindaili-cli.exe")"
check "installer /S: notices and licence" "yes yes" \
    "$(present "$installed/THIRD-PARTY-NOTICES.txt") $(present "$installed/COPYING.txt")"
check "installer /S: the Start-menu entry" yes "$(present "$appdata/Microsoft/Windows/Start Menu/Programs/Vorin智能代理.lnk")"
reg_value() { wine reg query "$uninstall" /v "$1" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' | awk -v v="$1" '$1 == v { $1 = $2 = ""; print substr($0, 3) }'; }
check "the uninstall entry's icon" "$(winepath -w "$installed")\vorindaili.exe,0" "$(reg_value DisplayIcon)"
check "the uninstall entry's size" yes "$([ "$(($(reg_value EstimatedSize)))" -gt 1000 ] && echo yes || echo no)"
check "installed program runs" 0 "$(wine "$installed/vorindaili-cli.exe" --help >/dev/null; echo $?)"
wine reg add 'HKCU\SOFTWARE\VORINSOFT\vorindaili' /v relayactive /t REG_DWORD /d 1 /f >/dev/null
run_windows proxy set 127.0.0.1:8899 >/dev/null
wine "$installed/uninstall.exe" /S
for _ in $(seq 50); do [ -e "$installed" ] || break; sleep 0.2; done
check "uninstaller /S" "gone gone" "$([ -e "$installed" ] && echo left || echo gone) $(reg_value DisplayName >/dev/null; wine reg query "$uninstall" >/dev/null 2>&1 && echo left || echo gone)"
check "uninstaller: the Start-menu entry" no "$(present "$appdata/Microsoft/Windows/Start Menu/Programs/Vorin智能代理.lnk")"
check "uninstaller: the relay's proxy is off" 0x0 "$(value ProxyEnable)"

[ "$failures" -eq 0 ] || { echo "$failures of the checks above failed"; exit 1; }
