#!/usr/bin/env bash
# Builds the Debian package the Debian way, with dpkg-buildpackage and
# debhelper: Debian's build flags, hardening and stripping come from dh. The
# build works on a copy of the sources under build/package, so the source
# tree stays as it was. The last line printed is the .deb's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" package >&2
version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
out="$root/build/package"
rm -rf "$out"
mkdir -p "$out/chaosgame-$version"
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$out/chaosgame-$version" -xf -
log="$out/build.log"
if ! (cd "$out/chaosgame-$version" && dpkg-buildpackage -us -uc -b) >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "the package build failed; the whole log is $log" >&2
    exit 1
fi
rm -rf "${out:?}/chaosgame-$version"
echo "$out/chaosgame_${version}_$(dpkg --print-architecture).deb"
