#!/usr/bin/env bash
# Installs whatever the build and the tests need and this machine lacks (Debian, as root).
#   scripts/setup.sh           the build, the tests, the Windows build and Wine
#   scripts/setup.sh --fuzz    clang and its libFuzzer runtime, for scripts/fuzz.sh
set -euo pipefail
packages=(cmake g++ make libgtest-dev libbenchmark-dev time clang-format
          mingw-w64 g++-mingw-w64-x86-64 wine64 wine64-tools libwine-dev vim
          wine32:i386 g++-mingw-w64-i686 # 32-bit Windows clients of OrvexExtern, built and run under Wine
          dpkg-dev groff-base nsis pkg-config libedit-dev python3-pexpect # the packages: dpkg-shlibdeps, man pages, the Windows installer, hosts
          nlohmann-json3-dev neovim) # orvex lsp, and an editor to test it with
if [ "${1:-}" = --fuzz ]; then
    packages=(cmake make libgtest-dev clang libclang-rt-dev)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node.js for the editor checks: whatever node and npm the machine has will do, whichever
# package brought them (some bring npm inside nodejs).
if [ "${1:-}" != --fuzz ] && { ! command -v node >/dev/null || ! command -v npm >/dev/null; }; then
    missing+=(nodejs npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    # Debian ships Wine's 32-bit half for i386 only, which apt sees once the architecture is added.
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $SUDO dpkg --add-architecture i386
    fi
    $SUDO apt-get update -q
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
