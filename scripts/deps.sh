#!/usr/bin/env bash
# Installs the Debian packages trb needs to build and test, only those that are missing: among
# them R with RODBC, unixODBC and the SQLite ODBC driver, through which R scripts read a database.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config git
      qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-charts-dev qt6-svg-dev
      qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools libgl-dev libqt6opengl6-dev libvulkan-dev libxkbcommon-dev
      libsqlite3-dev sqlite3 mdbtools-dev mdbtools libxlsxwriter-dev ccache
      qt6-translations-l10n clang-format-14 unzip poppler-utils
      r-base-core r-cran-rodbc unixodbc libsqliteodbc)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
