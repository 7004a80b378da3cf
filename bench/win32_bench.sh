#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows window under Wine, each figure beside its baseline of the same run (after ./scripts/windows):
# - start-up: from starting the program to its window on the screen (xdotool asks the X server again and
#   again for a viewable window of that title), the window against a bare Win32 window of its size
#   (bench/win32_barewindow.cpp); the median of seven starts of each;
# - a million imported rows: from the open dialog's OK to the list showing them all ("共有1000000个代理"),
#   against 1,000 rows imported the same way (what the dialog, the menu and the probe cost), with the longest
#   time the window did not answer meanwhile.
# Every site of the program is on a closed loopback port, and the start page is the program's, so no
# question is asked at start.
# Usage: bench/win32_bench.sh
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/wine-env

bench() {
    set -euo pipefail
    wine_display
    local work here
    work=$(mktemp -d)
    here=$PWD
    probe() { wine "$here/build-windows/tests/vorin_probe.exe" "$@" | tr -d '\r'; }
    echo "softsite=http://127.0.0.1:9" >"$work/endpoints.txt"
    export VORIN_ENDPOINTS
    VORIN_ENDPOINTS=$(winepath -w "$work/endpoints.txt")
    wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Main' /v "Start Page" \
        /d "http://www.hao123.com/?tn=vorin_pg" /f >/dev/null 2>&1

    # Milliseconds from starting exe to a viewable window titled title.
    to_window() {
        local start pid
        start=$(date +%s%N)
        (cd "$work" && exec wine "$1") &
        pid=$!
        until xdotool search --onlyvisible --name "^$2\$" >/dev/null 2>&1; do :; done
        echo $((($(date +%s%N) - start) / 1000000))
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        while xdotool search --name "^$2\$" >/dev/null 2>&1; do sleep 0.05; done
    }
    median() { sort -n | sed -n 4p; }
    local window bare
    window=$(for _ in 1 2 3 4 5 6 7; do to_window "$here/build-windows/vorindaili.exe" "Vorin智能代理 V5.0"; done | median)
    bare=$(for _ in 1 2 3 4 5 6 7; do to_window "$here/build-windows/tests/vorin_barewindow.exe" bare; done | median)
    echo "start-up under Wine: the window ${window} ms, a bare window ${bare} ms (medians of 7)"

    # The import of n rows through the list tools' 导入代理: milliseconds from the dialog's OK to the count.
    import_rows() {
        local n=$1 file="$work/rows-$1.txt" pid x y start
        python3 -c "import sys; sys.stdout.write(''.join('10.%d.%d.%d:8080\r\n' % (i >> 16, (i >> 8) & 255, i & 255) for i in range($n)))" >"$file"
        (cd "$work" && exec wine "$here/build-windows/vorindaili.exe") &
        pid=$!
        probe wait-window 30 >/dev/null
        read -r x y < <(probe where 113) # btn_menu
        xdotool mousemove "$x" "$y" click 1
        sleep 0.5
        xdotool key Down Down Down Down Return # 导入代理
        probe wait-dialog 30 >/dev/null
        probe wait-keyboard 30 # the file name box has the keyboard
        xdotool type --delay 10 "$(winepath -w "$file")"
        probe wait-typed "rows-$n.txt" 30
        probe wait-text 117 "共有${n}个代理" 120 >/dev/null 2>"$work/latency" &
        sleep 0.5 # the probe is running
        start=$(date +%s%N)
        xdotool key Return
        wait $!
        echo "$((($(date +%s%N) - start) / 1000000)) ms, $(sed 's/longest wait for the window: /window answering within /' "$work/latency")"
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    }
    echo "a million rows imported and shown: $(import_rows 1000000); 1,000 rows: $(import_rows 1000)"
    rm -rf "$work"
}
export -f bench
isolated bash -c bench
