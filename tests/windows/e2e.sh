#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows program under Wine against the Linux one, on loopback fixtures: the same lists harvested and
# validated give the same output byte for byte (speeds aside); proxy set and stop write the registry the
# internet library reads; the installer installs for the user and uninstalls silently.
# Usage: e2e.sh LINUX-CLI WINDOWS-CLI INSTALLER   (WINEPREFIX and the locale set by the caller)
set -euo pipefail
# A command that fails outside a check ends the script: it says which, so that a run never ends unexplained.
trap 'echo "FAIL e2e.sh line $LINENO: $BASH_COMMAND" >&2' ERR
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

# A folder whose name no single ANSI code page holds (ø is not in GBK, 验 not in 1252): the list, the judges
# file and the result all in it, whatever code page this Windows has.
odd="$work/Søren-验证"
mkdir -p "$odd"
cp "$work/list.json" "$odd/list.json"
printf '%s/get\n' "$root" >"$odd/judges.txt"
run_windows validate --in "$(windows_path "$odd")\\list.json" --judges "$(windows_path "$odd")\\judges.txt" \
    --format json --out "$(windows_path "$odd")\\result.json" 2>/dev/null || true
expected=$(run_linux validate --in "$odd/list.json" --judges "$odd/judges.txt" --format json 2>/dev/null | mask)
check "validate --in/--judges/--out in Søren-验证" "$expected" "$(mask <"$odd/result.json" 2>/dev/null)"
check "validate in Søren-验证: the judge passed rows" yes "$(grep -q '"验证": true' <<<"$expected" && echo yes)"

# A city database of a Chinese name in that folder: libmaxminddb takes UTF-8 names on Windows.
cp "$(dirname "$linux")/../tests/data/city.mmdb" "$odd/城市.mmdb"
printf '127.0.0.5:80\n127.0.0.200:80\n' >"$odd/places.txt"
check "locate --offline --geoip Søren-验证\\城市.mmdb" \
    "$(run_linux locate --offline --geoip "$odd/城市.mmdb" --in "$odd/places.txt" --format json 2>/dev/null)" \
    "$(run_windows locate --offline --geoip "$(windows_path "$odd")\\城市.mmdb" \
        --in "$(windows_path "$odd")\\places.txt" --format json 2>/dev/null)"

# The user's own proxy before the program's first switch: a company proxy with its bypass list and a
# configuration script. The switch leaves the proxy alone in use, the user's bypass list kept; the stop gives
# all four back as they were.
lan() { printf '%s|%s|%s|%s' "$(value "$settings" ProxyEnable)" "$(value "$settings" ProxyServer)" \
    "$(value "$settings" ProxyOverride)" "$(value "$settings" AutoConfigURL)"; }
wine reg delete 'HKCU\SOFTWARE\VORINSOFT\vorindaili\Connections' /f >/dev/null 2>&1 || true
wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null
wine reg add "$settings" /v ProxyServer /d corp.example:8080 /f >/dev/null
wine reg add "$settings" /v ProxyOverride /d '*.corp.example;<local>' /f >/dev/null
wine reg add "$settings" /v AutoConfigURL /d http://wpad.corp.example/proxy.pac /f >/dev/null
own=$(lan)
run_windows proxy set 127.0.0.1:3128 >/dev/null
check "proxy set: the proxy alone, the user's bypass list kept" \
    "0x1|127.0.0.1:3128|*.corp.example;localhost;127.*|<local>|" \
    "$(lan | sed -E 's/;10\.\*.*;<local>\|/|<local>|/')"
check "proxy show" 127.0.0.1:3128 "$(run_windows proxy show | tr -d '\r')"
check "proxy set socks5://: refused, naming relay --system" "2 1" \
    "$(run_windows proxy set socks5://127.0.0.1:1080 2>"$work/err"; echo "$? $(grep -c 'relay --system' "$work/err")")"
check "proxy set with credentials: refused" 2 "$(run_windows proxy set u:p@127.0.0.1:3128 2>/dev/null; echo $?)"
run_windows proxy set socks4://127.0.0.1:1080 >/dev/null
check "proxy set socks4: ProxyServer" socks=127.0.0.1:1080 "$(value "$settings" ProxyServer)"
run_windows proxy stop >/dev/null
check "proxy stop: the user's four values back" "$own" "$(lan)"

# A relay made the system proxy and then ended by force (no clean-up at all): the next start of the program
# finds the system proxy pointing at nothing and gives the user's settings back.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '127.0.97.1:3128\n' >"$work/relay-list.txt"
wine "$windows" relay --system --listen "127.0.0.1:$port" --in "$(windows_path "$work/relay-list.txt")" \
    --judge "$root/get" 2>/dev/null &
relay=$!
for _ in $(seq 100); do [ "$(value "$settings" ProxyServer)" == "127.0.0.1:$port" ] && break; sleep 0.2; done
check "relay --system: the system proxy and its mark" "127.0.0.1:$port 0x1" \
    "$(value "$settings" ProxyServer) $(value 'HKCU\SOFTWARE\VORINSOFT\vorindaili' relayactive)"
wine taskkill /F /IM vorindaili-cli.exe >/dev/null 2>&1
wait "$relay" || true
shown=$(run_windows proxy show 2>"$work/err" | tr -d '\r')
check "a relay ended by force: proxy show puts back the user's settings" "$own|corp.example:8080|1" \
    "$(lan)|$shown|$(grep -c '本地中转\|local relay' "$work/err")"

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
check "installer /S: the country databases" "yes yes" \
    "$(present "$installed/GeoIP/GeoIP.dat") $(present "$installed/GeoIP/GeoIPv6.dat")"
printf '8.8.8.8:80\n1.1.1.1:80\n' >"$work/places.txt"
check "locate --offline: the installed databases, Chinese names" \
    "$(run_linux locate --offline --in "$work/places.txt" --format json)" \
    "$(wine "$installed/vorindaili-cli.exe" locate --offline --in "$(windows_path "$work/places.txt")" --format json)"
check "installer /S: the Start-menu entry" yes "$(present "$appdata/Microsoft/Windows/Start Menu/Programs/Vorin智能代理.lnk")"
check "the uninstall entry's icon" "$installed_w\\vorindaili.exe,0" "$(value "$uninstall" DisplayIcon)"
check "the uninstall entry's size" yes "$([ "$(($(value "$uninstall" EstimatedSize)))" -gt 1000 ] && echo yes || echo no)"
check "installed program runs" 0 "$(wine "$installed/vorindaili-cli.exe" --help >/dev/null; echo $?)"
run_windows proxy set 127.0.0.1:8899 >/dev/null
wine reg add 'HKCU\SOFTWARE\VORINSOFT\vorindaili' /v relayaddress /d 127.0.0.1:8899 /f >/dev/null
wine reg add 'HKCU\SOFTWARE\VORINSOFT\vorindaili' /v relayactive /t REG_DWORD /d 1 /f >/dev/null
wine "$installed/uninstall.exe" /S
for _ in $(seq 50); do [ -e "$installed" ] || break; sleep 0.2; done
check "uninstaller /S" "gone gone" "$([ -e "$installed" ] && echo left || echo gone) $(wine reg query "$uninstall" >/dev/null 2>&1 && echo left || echo gone)"
check "uninstaller: the Start-menu entry" no "$(present "$appdata/Microsoft/Windows/Start Menu/Programs/Vorin智能代理.lnk")"
check "uninstaller: the relay's proxy gives way to the user's settings" "$own" "$(lan)"

finish command-line
