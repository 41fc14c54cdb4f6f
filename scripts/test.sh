#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with ctest: once on
# the normal build, once on the AddressSanitizer + UBSan build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

status=0
for kind in release asan; do
  dir="$root/build"
  [ "$kind" = asan ] && dir="$root/build-asan"
  echo "== $kind build"
  "$root/scripts/build.sh" "$kind"
  echo "== $kind tests"
  ctest --test-dir "$dir" --output-on-failure -j2 || status=1
done
exit $status
