# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the Windows end-to-end tests: a work folder and the loopback fixtures (fixtures.py) that end with
# the test, check() that counts failures, and the Internet Settings values as the registry holds them.
# After sourcing: $work, $root (the fixture site), $fixtures (their JSON); at the end, `finish NAME`.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
fixtures_pid=
also_on_exit=
cleanup() {
    eval "$also_on_exit" || true
    kill "$fixtures_pid" 2>/dev/null || true
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
finish() { [ "$failures" -eq 0 ] || { echo "$failures of the $1 checks above failed"; exit 1; }; }

fixtures=$work/fixtures.json
python3 "$here/fixtures.py" >"$fixtures" &
fixtures_pid=$!
for _ in $(seq 100); do [ -s "$fixtures" ] && break; sleep 0.1; done
root=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["root"])' "$fixtures")

# Windows' name of a Unix path outside the Wine prefix: Wine's Z: drive is the Unix root. (A string, not
# winepath, a Wine program of its own that has been seen to answer nothing on a busy machine.)
windows_path() {
    local p
    p=$(realpath -m "$1")
    printf 'Z:%s' "${p//\//\\}"
}
# A folder of the Windows profile by its variable (APPDATA, LOCALAPPDATA) as Windows names it, and a Windows
# path of drive C: or Z: where it is on Unix.
profile_folder() {
    local v=
    for _ in 1 2 3; do
        v=$(wine cmd /c echo "%$1%" | tr -d '\r')
        [ -n "$v" ] && break
    done
    printf '%s' "$v"
}
unix_path() {
    local p=${1//\\//}
    case $p in
    [Cc]:/*) printf '%s/drive_c/%s' "$WINEPREFIX" "${p:3}" ;;
    [Zz]:/*) printf '%s' "${p:2}" ;;
    esac
}

settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
# A value of a registry key, as `reg query` shows it (a number as 0x1), read from the key exported as UTF-16,
# so that any text reads right whatever the Windows' code pages; nothing when it is missing.
value() {
    local f="$work/value.reg"
    rm -f "$f"
    wine reg export "$1" "$(windows_path "$f")" /y >/dev/null 2>&1 || return 0
    python3 - "$f" "$2" <<'PY'
import re, sys
lines = open(sys.argv[1], encoding="utf-16").read().replace("\r", "").split("\n")
sections = 0
for line in lines:
    if line.startswith("["):
        sections += 1  # the key's own values come in its section, the first; its subkeys' follow
        continue
    m = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)$', line)
    if sections != 1 or not m or m.group(1).replace('\\"', '"').replace("\\\\", "\\") != sys.argv[2]:
        continue
    v = m.group(2)
    if v.startswith("dword:"):
        print(hex(int(v[6:], 16)))
    elif v.startswith('"'):
        print(v[1:-1].replace('\\"', '"').replace("\\\\", "\\"))
    break
PY
}
