#!/usr/bin/env bash
# Fails when a source file of the interpreter, its tools, the operation set or the platform seam
# differs from what clang-format makes of it with the checked-in .clang-format.
#   scripts/check-format.sh [--fix]    --fix formats them instead
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(find vm tools operations platform -name '*.cpp' -o -name '*.h' | sort)
if [ "${1:-}" = --fix ]; then
    clang-format -i $files
else
    clang-format --dry-run -Werror $files
fi
