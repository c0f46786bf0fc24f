#!/usr/bin/env bash
# Builds OrvexVM and runs one example (hello by default) in a scratch folder, then shows its output.
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:-hello}
command -v cmake >/dev/null && command -v g++ >/dev/null || scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target OrvexVM -j"$(nproc)" >/dev/null
scratch=$(mktemp -d)
cp "examples/$name.Orvex" "$scratch/"
(cd "$scratch" && "$OLDPWD/build/vm/OrvexVM" "$name.Orvex")
echo "---- Orvex.out ----"
cat "$scratch/Orvex.out"
rm -rf "$scratch"
