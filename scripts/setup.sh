#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run,
# or only the packages named as arguments (fuzz/run.sh asks for its own).
# Idempotent: packages already present are not asked for again.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-image-formats-plugins libgl-dev
  qt6-translations-l10n qt6-svg-dev
  libsqlite3-dev sqlite3 libpq-dev libicu-dev libssl-dev
  fonts-liberation2 fonts-dejavu-core
  xvfb xauth x11-apps imagemagick poppler-utils unzip
  cups cups-client cups-bsd printer-driver-cups-pdf
  sane-utils libheif-dev bubblewrap
  libpoppler-qt6-dev libxlsxwriter-dev xdg-utils shared-mime-info adwaita-icon-theme
  libqpdf-dev libcups2-dev
  postgresql postgresql-client
  libqrencode-dev chromium
)

only_named=$#
((only_named > 0)) && PACKAGES=("$@")

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# puppeteer-core for the browser test of the phone page, as the lock file
# pins it; it drives Debian's chromium and downloads no browser.
if ((only_named == 0)); then
  browser_test=tests/phone/browser
  cd "$(dirname "$0")/.."
  if [[ ! -d $browser_test/node_modules/puppeteer-core || $browser_test/package-lock.json -nt $browser_test/node_modules ]]; then
    (cd "$browser_test" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
    touch "$browser_test/node_modules"
  fi
fi
