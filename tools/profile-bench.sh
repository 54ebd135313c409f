#!/bin/sh
# Times the profile store's operations on pet-style files of 10^3..10^6 sections with the same
# program twice: natively against our POSIX store (bench preset) and under wine64 against the
# Windows profile API (win64 preset), in the same directory; prints medians and ratios.
# Usage: tools/profile-bench.sh [largest size = 1000000] [samples = 21] [seconds = 20]
# Build directories: build/bench and build/win64 unless CQP_BENCH_DIR / CQP_WIN64_DIR say
# otherwise. The Google Benchmark is separate: build/bench/bench/profile_benchmark.
set -e
cd "$(dirname "$0")/.."
root=$(pwd)
bench=${CQP_BENCH_DIR:-build/bench}
win64=${CQP_WIN64_DIR:-build/win64}
largest=${1:-1000000}
samples=${2:-21}
seconds=${3:-20}
[ -f "$bench/CMakeCache.txt" ] || cmake --preset bench -B "$bench" >/dev/null
[ -f "$win64/CMakeCache.txt" ] || cmake --preset win64 -B "$win64" >/dev/null
cmake --build "$bench" -j2 --target profile_timing >/dev/null
cmake --build "$win64" -j2 --target profile_timing >/dev/null

work=$(mktemp -d /tmp/cqp-profile-timing-XXXXXX)
trap 'rm -rf "$work"' EXIT
"$bench/bench/profile_timing" "$work" "$largest" "$samples" "$seconds" >"$work/ours.txt"
WINEPREFIX=${WINEPREFIX:-$root/$win64/wineprefix} tools/wine-run "$win64/bench/profile_timing.exe" \
  "Z:$(echo "$work" | tr / '\\')" "$largest" "$samples" "$seconds" | tr -d '\r' >"$work/wine.txt"

echo "sections   operation      ours (us)     wine (us)   wine/ours"
awk 'NR == FNR { ours[$1 " " $2] = $3; next }
     ($1 " " $2) in ours {
       o = ours[$1 " " $2]
       printf "%-10s %-12s %12.1f %13.1f %11.0fx\n", $1, $2, o, $3, (o > 0 ? $3 / o : 0)
     }' "$work/ours.txt" "$work/wine.txt"
