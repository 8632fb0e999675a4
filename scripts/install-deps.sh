#!/usr/bin/env bash
# Installs the Debian packages the program needs to build, run and test.
# Asks apt only for what is missing.
set -euo pipefail

# Installed without recommended packages, so everything a test uses is named
# here: fonts-urw-base35 are the fonts the WMF converter (libwmf-bin) needs.
packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-translations-l10n
  libgl-dev
  firebird3.0-server-core libfbclient2 firebird-dev
  libuemf-dev emf2svg libwmf-bin
  poppler-utils desktop-file-utils fonts-dejavu-core fonts-urw-base35
  dpkg-dev appstream
)

# Wanted but not needed: the server binary, which the tests start themselves
# on a port of their own; without it the server tests are skipped.
optional=(firebird3.0-server)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
missing_optional=()
for p in "${optional[@]}"; do
  installed "$p" || missing_optional+=("$p")
done
if [ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
$SUDO apt-get update -qq
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_optional[@]} -gt 0 ]; then
  echo "Installing: ${missing_optional[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing_optional[@]}" ||
    echo "Could not install ${missing_optional[*]}: the tests that need a Firebird server are skipped." >&2
fi
