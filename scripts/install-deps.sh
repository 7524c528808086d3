#!/usr/bin/env bash
# Installs everything Quillmere needs to build, run and test on Debian 12 (run as root).
set -euo pipefail
packages=(
    cmake ninja-build g++ clang pkg-config clang-format ccache
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libzip-dev libxml2-dev nettle-dev zlib1g-dev libpcre2-dev nlohmann-json3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-liberation fonts-crosextra-carlito fonts-wqy-microhei
    xvfb xauth x11-utils
    dpkg-dev desktop-file-utils appstream
    adwaita-icon-theme
    dbus-daemon dbus-session-bus-common at-spi2-core gir1.2-atspi-2.0 python3-gi
    python3 python3-html5lib python3-xlrd python3-openpyxl python3-yaml
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
