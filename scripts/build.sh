#!/usr/bin/env bash
# Configures (once) and builds one build tree.
#   scripts/build.sh            -> build/       (the program and the tests)
#   scripts/build.sh asan       -> build-asan/  (the same with AddressSanitizer + UBSan)
# Warnings are errors here, as in CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-release}
case "$kind" in
  release) dir="$root/build"; flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan) dir="$root/build-asan"; flags=(-DCMAKE_BUILD_TYPE=Debug -DULZ_SANITIZE=ON) ;;
  *) echo "usage: $0 [release|asan]" >&2; exit 2 ;;
esac
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S "$root" -B "$dir" -G Ninja -DULZ_WERROR=ON "${flags[@]}" >/dev/null
fi
cmake --build "$dir" -- -k 0
