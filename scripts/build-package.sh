#!/usr/bin/env bash
# Builds the Debian package velunora-sync and checks it with lintian. The build runs in a copy of
# the tree under build/package/, so that the tree stays clean and the package files land there
# rather than in the tree's parent folder.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$root/build/package"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive

# The packaging tools, then whatever debian/control's Build-Depends still lacks.
packages=(dpkg-dev debhelper lintian)
missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
updated=no
if [ "${#missing[@]}" -gt 0 ]; then
    $sudo apt-get update -qq
    updated=yes
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if ! (cd "$root" && dpkg-checkbuilddeps 2>/dev/null); then
    [ "$updated" = yes ] || $sudo apt-get update -qq
    $sudo apt-get build-dep -y -qq --no-install-recommends "$root"
fi

version="$(cd "$root" && dpkg-parsechangelog -SVersion)"
stage="$out/velunora-sync-$version"
rm -rf "$out"
mkdir -p "$stage"
tar -C "$root" --exclude=./build --exclude=./.git --exclude=./.cache --exclude='./obj-*' \
    -cf - . | tar -C "$stage" -xf -

(cd "$stage" && dpkg-buildpackage -b -us -uc -Jauto)
rm -rf "$stage"

# Errors fail the script; warnings are shown.
lintian --info "$out"/velunora-sync_"$version"_*.changes

echo
echo "The package is in $out:"
ls "$out"/*.deb
