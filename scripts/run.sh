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

program=("$bin/varnholt" "$@")
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Kein Bildschirm gefunden: starte Varnholt unter Xvfb (xvfb-run)." >&2
  echo "Zum Ansehen: xvfb-run -s '-screen 0 1600x1000x24' $bin/varnholt & dann 'xwd -root' oder 'import -window root bild.png'." >&2
  program=(xvfb-run -a -s "-screen 0 1600x1000x24" "${program[@]}")
fi

# A machine with a printer prints on it. One without any (no queue, or no
# CUPS running at all) gets the project's own CUPS server with a PDF printer
# for as long as the program runs, so that printing can be tried there too.
if lpstat -e 2>/dev/null | grep -q .; then
  exec "${program[@]}"
fi
pdf_dir=${VARNHOLT_PDF_DIR:-$HOME/Varnholt-PDF}
# shellcheck source=scripts/services.sh
source scripts/services.sh
trap stop_cups EXIT
if start_cups "$pdf_dir" 2>/dev/null; then
  echo "Kein Drucker eingerichtet: Varnholt druckt auf den PDF-Drucker $VARNHOLT_TEST_PRINTER." >&2
  echo "Jede gedruckte Seite landet als PDF-Datei im Ordner $VARNHOLT_TEST_PDF_DIR." >&2
else
  stop_cups
  unset CUPS_SERVER
  echo "Kein Drucker eingerichtet, und der PDF-Drucker ließ sich nicht starten: Varnholt druckt nicht." >&2
fi
"${program[@]}"
