#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
# The KDE switch on a private session bus: vorindaili-cli proxy set and proxy stop each edit kioslaverc and
# send the signal that makes running KIO workers read it again, as a monitor on the bus sees them.
set -euo pipefail
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/registry"
export XDG_CONFIG_HOME=$work/config VORIN_REGISTRY_DIR=$work/registry XDG_CURRENT_DESKTOP=KDE \
    VORIN_DESKTOP_PROXY=1 LANG=C.UTF-8
unset DBUS_SESSION_BUS_ADDRESS
# shellcheck disable=SC2016
timeout 60 dbus-run-session -- bash -c '
    set -euo pipefail
    work=$1 cli=$2
    dbus-monitor --session "type=signal,path=/KIO/Scheduler,interface=org.kde.KIO.Scheduler" >"$work/monitor" 2>/dev/null &
    monitor=$!
    # The monitor says NameLost once it has become a monitor: from then on it sees every signal.
    for _ in $(seq 200); do grep -q NameLost "$work/monitor" && break; sleep 0.05; done
    "$cli" proxy set 127.0.0.1:3128 2>/dev/null
    grep -q "^httpProxy=http://127.0.0.1 3128$" "$XDG_CONFIG_HOME/kioslaverc"
    "$cli" proxy stop 2>/dev/null
    for _ in $(seq 200); do
        [ "$(grep -c member=reparseSlaveConfiguration "$work/monitor")" -ge 2 ] && break
        sleep 0.05
    done
    kill "$monitor"
' bash "$work" "$cli" 2>/dev/null
seen=$(grep -c "path=/KIO/Scheduler; interface=org.kde.KIO.Scheduler; member=reparseSlaveConfiguration" "$work/monitor" || true)
if [ "$seen" -ne 2 ]; then
    echo "expected 2 signals, saw $seen" >&2
    cat "$work/monitor" >&2
    exit 1
fi
if grep -q "^ProxyType=1" "$XDG_CONFIG_HOME/kioslaverc"; then
    echo "the stop left KDE on the proxy" >&2
    exit 1
fi
echo "KIO was told twice on the session bus"
