#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows window under Wine, driven as a user drives it (xdotool clicks and keys on a private X display;
# tests/windows/probe.cpp reads what the window shows): a new user's first start answers the start-page
# question, 下载并验证 harvests and validates the user's sources on loopback fixtures, 设为代理 and 停用代理
# write Internet Settings, the list is saved through the save dialog under a Chinese name, and the close
# button ends the program. The saved list is the Linux program's, byte for byte but for the date and time
# (each system writes its own) and the speeds. Screenshots are kept in SHOTS.
# Usage: window-e2e.sh LINUX-CLI WINDOW-EXE PROBE-EXE SHOTS   (WINEPREFIX, DISPLAY and the locale set by the
# caller)
set -euo pipefail
linux=$(realpath "$1")
window=$(realpath "$2")
probe=$(realpath "$3")
shots=$(realpath -m "$4")
. "$(dirname "$0")/common.sh"
mkdir -p "$shots"
window_pid=
also_on_exit='[ -z "$window_pid" ] || kill "$window_pid" 2>/dev/null'
probe() { wine "$probe" "$@" | tr -d '\r'; }
shot() { import -window root "$shots/$1.png"; }
# The window's controls by their ids (src/win32/controls.h).
PAN_TOP=100 CLOSE=102 DOWNLIST=104 STARTPROXY=107 STOPPROXY=108 SAVE=110 PAN_BOT=117 INFO=118
click() { # a control by id, or a point
    local x y
    if [ $# -eq 1 ]; then read -r x y < <(probe where "$1"); else x=$1 y=$2; fi
    xdotool mousemove "$x" "$y" click 1
}
wait_value() { # key, name, wanted: up to 20 s
    for _ in $(seq 100); do [ "$(value "$1" "$2")" == "$3" ] && break; sleep 0.2; done
    value "$1" "$2"
}

# Every site the window reaches at start and in its checked source groups is the fixture site (pages it lacks
# answer 404).
for key in softsite mainsite cnp proxycn proxynet ros proxylists antipalivo iplookup admin sooip 3ghttp haozs itmop; do
    echo "$key=$root"
done >"$work/endpoints.txt"
echo "homepage=$root/daili5" >>"$work/endpoints.txt"
export VORIN_ENDPOINTS
VORIN_ENDPOINTS=$(windows_path "$work/endpoints.txt")

# A new user: no settings, no files of the program's, the system proxy off, no start page of the partner's.
appdata=$(unix_path "$(profile_folder APPDATA)")
rm -rf "$appdata/vorindaili"
wine reg delete 'HKCU\SOFTWARE\VORINSOFT' /f >/dev/null 2>&1 || true
wine reg delete 'HKCU\Software\Microsoft\Internet Explorer\Main' /v "Start Page" /f >/dev/null 2>&1 || true
wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 0 /f >/dev/null
# The user's own sources and judges, as the editor would leave them.
mkdir -p "$appdata/vorindaili"
printf '# mine\n%s/list.txt\n%s/table.html https\n' "$root" "$root" >"$appdata/vorindaili/sources.txt"
printf '%s/get\n' "$root" >"$appdata/vorindaili/judges.txt"

start=$(date +%s%N)
(cd "$work" && exec wine "$window") &
window_pid=$!
check "the start-page question" "Vorin智能代理 V5.0" "$(probe wait-dialog 60)"
echo "     the question came $((($(date +%s%N) - start) / 1000000)) ms after the start"
shot 1-start-question
click $(probe dialog-button 7) # 否
probe wait-window 30 >/dev/null
check "title" "Vorin智能代理 V5.0" "$(probe text $PAN_TOP)"
check "current proxy" "当前代理为：停用" "$(probe text $INFO)"
probe wait-text $PAN_BOT "将首页设置为" 30 >/dev/null
shot 2-first-start

click $DOWNLIST
status=$(probe wait-text $PAN_BOT "验证结束" 120) || true
shot 3-downloaded-and-validated
check "download and validate" " 验证结束,共有2代理可用！" "$status"
check "rows in the list" 2 "$(probe rows)"

click $(probe first-row)
click $STARTPROXY
wait_value "$settings" ProxyEnable 0x1 >/dev/null
server=$(value "$settings" ProxyServer)
check "设为代理: ProxyEnable" 0x1 "$(value "$settings" ProxyEnable)"
check "设为代理: ProxyServer is a listed proxy" yes "$(grep -q "\"$server\"" "$fixtures" && echo yes || echo "no: $server")"
check "设为代理: the info line" "当前代理为：$server" "$(probe text $INFO)"
shot 4-proxy-set
click $STOPPROXY
check "停用代理: ProxyEnable" 0x0 "$(wait_value "$settings" ProxyEnable 0x0)"
check "停用代理: the info line" "当前代理为：禁用" "$(probe text $INFO)"

click $SAVE
check "the save dialog" "另存为" "$(probe wait-dialog 30)"
saved="$work/验证列表.txt"
probe wait-keyboard 30 # the file name box has the keyboard
xdotool type --delay 30 "$(windows_path "$work")\\验证列表"
probe wait-typed "验证列表" 30
shot 5-save-dialog
xdotool key Return
for _ in $(seq 100); do [ -s "$saved" ] && break; sleep 0.2; done
# The Linux program's list of the same sources: header and rows but for the date and the speeds, rows in
# one order (valid rows come fastest first).
rows() { LC_ALL=C sed -E '1s/:.*$//; s/#[0-9]+ms/#Nms/' | LC_ALL=C sort; }
expected=$(VORIN_ENDPOINTS="$work/endpoints.txt" VORIN_REGISTRY_DIR="$work/linux" VORIN_DESKTOP_PROXY=0 \
    "$linux" run --groups 100 --sources "$appdata/vorindaili/sources.txt" \
    --judges "$appdata/vorindaili/judges.txt" --format txt 2>/dev/null | rows | od -c)
check "the saved list is the Linux program's" "$expected" "$(rows <"$saved" | od -c)"
check "the saved list's date is the system's" yes \
    "$(head -1 "$saved" | LC_ALL=C grep -qE ':[0-9]{4}/[0-9]{1,2}/[0-9]{1,2} [0-9]{1,2}:[0-9]{2}:[0-9]{2}.$' && echo yes || echo no)"

click $CLOSE
probe wait-gone 30 >/dev/null && wait "$window_pid" && window_pid=
check "the close button ends the program" "" "$window_pid"
check "the source option is stored" 100 "$(value 'HKCU\SOFTWARE\VORINSOFT\vorindaili' downoption)"

finish window
