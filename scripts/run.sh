#!/usr/bin/env bash
# Sets up, builds, creates a demo database if there is none, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh release
bin=build/release/bin
if [[ ! -e "$bin/Varnholt.db" ]]; then
  "$bin/varnholt" --create-database "$bin/Varnholt.db"
  "$bin/varnholt" --demo 2000 "$bin/Varnholt.db"
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Kein Bildschirm gefunden: starte Varnholt unter Xvfb (xvfb-run)." >&2
  echo "Zum Ansehen: xvfb-run -s '-screen 0 1600x1000x24' $bin/varnholt & dann 'xwd -root' oder 'import -window root bild.png'." >&2
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$bin/varnholt" "$@"
fi
exec "$bin/varnholt" "$@"
