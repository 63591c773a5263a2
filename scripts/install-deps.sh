#!/usr/bin/env bash
# Installs the Debian packages Karvio needs to build, test and run. Safe to run again:
# packages that are already installed are left alone.
set -euo pipefail

packages=(
    # toolchain
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev ccache
    # libraries
    qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libgl-dev
    # translations: lupdate and lrelease with their CMake functions, and Qt's own translations
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    nlohmann-json3-dev libcli11-dev libblkid-dev libmount-dev
    # content hashes (XXH3) and the catalogue as a file system (karvio-cli mount)
    libxxhash-dev libfuse3-dev fuse3
    # the details database and what a scan reads inside files: archives, pictures' Exif, songs'
    # tags, films' containers
    libsqlite3-dev libarchive-dev libexiv2-dev libheif-dev libtag1-dev libavformat-dev libavcodec-dev libavutil-dev
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth openbox imagemagick xdotool genisoimage fuseiso dosfstools poppler-utils
    # the hashing benchmark's baseline (xxhsum), the thumbnail benchmark's (the JPEG library Qt
    # decodes with, called on its own)
    xxhash libjpeg62-turbo-dev
    # desktop integration: its tools and the checks of the registration, the metainfo, the
    # manual pages and the bash completion (mimetype and gio are what xdg-mime asks)
    appstream libfile-mimeinfo-perl libglib2.0-bin bash-completion groff-base
    # the Debian package (make package) and its check
    dpkg-dev lintian
    # runtime
    fonts-liberation shared-mime-info desktop-file-utils xdg-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
else
    SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
