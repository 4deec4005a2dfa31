#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the program and its
# tests need and this machine lacks; with the argument "package", also what
# building and checking the Debian package needs; with "web", also what
# building and testing the browser edition needs. Run as root; does nothing
# when all is there.
set -euo pipefail

packages=(
    build-essential cmake librsvg2-bin
    qt6-base-dev libgl-dev libx11-dev fonts-dejavu-core
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xdotool poppler-utils weston qt6-wayland
    clang libclang-rt-14-dev gcovr
)
for part in "$@"; do
    case "$part" in
    package) packages+=(debhelper dpkg-dev lintian devscripts appstream desktop-file-utils man-db) ;;
    web) packages+=(emscripten googletest nodejs python3 chromium chromium-driver python3-selenium
                    firefox-esr webkit2gtk-driver) ;;
    *) echo "install-deps.sh: unknown part '$part' (known: package, web)" >&2; exit 1 ;;
    esac
done

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
wants_web() { case " $* " in *" web "*) return 0 ;; esac; return 1; }
# Debian's npm, where the node there does not bring its own.
if wants_web "$@" && ! command -v npm >/dev/null; then missing+=(npm); fi

# The page's tests drive Firefox with npm's puppeteer-core, at the version
# tests/web/package-lock.json pins; Debian's own Firefox, no browser download.
node_modules() {
    local web
    web=$(cd "$(dirname "$0")/../tests/web" && pwd)
    [ -d "$web/node_modules/puppeteer-core" ] && return 0
    echo "Installing tests/web's node modules"
    (cd "$web" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
}

if [ ${#missing[@]} -eq 0 ]; then
    if wants_web "$@"; then node_modules; fi
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}. Run this as root to install them." >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
if wants_web "$@"; then node_modules; fi
