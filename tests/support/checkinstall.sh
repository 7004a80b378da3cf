#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Vorin developers
# Installs the build into a temporary prefix and checks what a desktop reads of it: the programs, a valid
# menu entry and AppStream description, the icon in every size, the default sources and judges files and the licence.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/vorindaili bin/vorindaili-cli share/vorindaili/sources.txt share/vorindaili/judges.txt share/doc/vorindaili/COPYING; do
    [ -s "$prefix/$f" ] || { echo "missing: $f" >&2; exit 1; }
done
for size in 16 24 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x${size}/apps/vorindaili.png" ] || { echo "no ${size}px icon" >&2; exit 1; }
done
desktop-file-validate "$prefix/share/applications/org.vorinsoft.vorindaili.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.vorinsoft.vorindaili.metainfo.xml" >/dev/null
grep -qx 'Exec=vorindaili' "$prefix/share/applications/org.vorinsoft.vorindaili.desktop"
echo "installed files are complete and valid"
