#!/usr/bin/env bash
# Installs the Debian packages the program needs that are missing, then
# configures and builds it in build/. Sourced by run.sh and test.sh.
set -euo pipefail

NORVENA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
NORVENA_BUILD="$NORVENA_ROOT/build"

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-webengine-dev qt6-charts-dev libqt6sql6-sqlite libqt6sql6-psql qt6-qpa-plugins libgl-dev
    postgresql
    libjpeg62-turbo-dev sqlite3 libsqlite3-dev libpq-dev libquazip1-qt6-dev
    fonts-liberation2 fonts-dejavu-core xdg-utils
    xvfb xauth
    librsvg2-bin dpkg-dev file lintian desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# scripts/package.sh needs the packages only: it builds in a folder of its own.
if [ "${NORVENA_PACKAGES_ONLY:-0}" = 1 ]; then
    return 0
fi

# run.sh and test.sh configure build/ the same way, warnings as errors
# included: a change of compile flags would recompile the whole program each
# time one follows the other. NORVENA_WERROR=OFF is for a compiler that warns
# where Debian 12's does not (going back to ON then rebuilds once).
cmake -S "$NORVENA_ROOT" -B "$NORVENA_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNORVENA_WERROR="${NORVENA_WERROR:-ON}"
cmake --build "$NORVENA_BUILD" -j"$(nproc)"
