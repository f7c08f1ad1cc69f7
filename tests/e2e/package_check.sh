#!/usr/bin/env bash
# The .deb: built by cpack, holding the station, tranzit-sim, the desktop entries and the icon,
# depending on the Qt libraries it links; unpacked, its programs start.
set -euo pipefail
build=$1
work=$(mktemp -d)
station=
trap '[ -n "$station" ] && kill "$station" 2>/dev/null; rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null)
deb=$(ls "$work"/out/remikont-station_*_amd64.deb)
# Whole listings first: grep -q ending a pipe early would fail it under pipefail.
info=$(dpkg-deb -I "$deb")
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
grep -q '^ Depends:.*libqt6widgets6' <<<"$info" || { echo "package: no Qt dependency"; exit 1; }
grep -q '^ Depends:.*fonts-liberation' <<<"$info" || { echo "package: no font dependency"; exit 1; }
for f in ./usr/bin/remikont-station ./usr/bin/tranzit-sim \
         ./usr/share/applications/remikont-station.desktop \
         ./usr/share/applications/remikont-station-simulated.desktop \
         ./usr/share/icons/hicolor/48x48/apps/remikont-station.png \
         ./usr/share/remikont-station/scenarios/default.json; do
  grep -qx "$f" <<<"$contents" || { echo "package: $f missing"; exit 1; }
done

dpkg-deb -x "$deb" "$work/root"
version=$("$work/root/usr/bin/remikont-station" --version)
grep -q '^remikont-station ' <<<"$version" || { echo "package: --version says '$version'"; exit 1; }
help=$("$work/root/usr/bin/tranzit-sim" --help)
grep -q 'tranzit-sim' <<<"$help" || { echo "package: tranzit-sim --help says nothing of itself"; exit 1; }
# The station from the package on the simulated network: it starts and keeps running (it
# waits for the operator in the box of the gateway probe).
QT_QPA_PLATFORM=offscreen "$work/root/usr/bin/remikont-station" --simulate >/dev/null 2>&1 &
station=$!
sleep 5
kill -0 $station || { echo "package: the station ended on its own"; exit 1; }
echo "package: $(basename "$deb") ok"
