#!/usr/bin/env bash
# Checks the editor support in editors/: the TextMate grammar, through the npm packages that
# VS Code itself uses, and the Vim syntax file, token by token against editors/test/expected/;
# then builds the VS Code extension's .vsix as the build does (editors/build-vsix.cmake) and
# checks what it holds. With --update the expectations are written instead of compared: review
# their diff.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in node npm vim cmake; do
    command -v "$tool" >/dev/null || { scripts/setup.sh; break; }
done
# The packages pinned in the lock file, installed again only when the lock file changes.
if [ ! editors/test/node_modules/.package-lock.json -nt editors/test/package-lock.json ]; then
    npm ci --prefix editors/test --no-audit --no-fund --loglevel=error
fi
node editors/test/check-highlighting.js "$@"

version=$(sed -n 's/^project(Orvex VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
vsix=$PWD/editors/test/vsix/orvex-$version.vsix
rm -f "$vsix"
cmake -DVSIX="$vsix" -DWORK=editors/test/vsix -P editors/build-vsix.cmake
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$vsix")
node editors/test/check-vsix.js "$unpacked" "$version"
