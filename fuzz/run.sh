#!/bin/sh
# Builds every libFuzzer target with clang (ASan + UBSan) in its own build
# folder and runs each for SECONDS (default 300), two at a time, at the
# lowest priority. Seeds come from fuzz/corpus/TARGET/ (committed); what the
# fuzzer finds grows in the build folder's corpus. A crash input lands in
# build-fuzz/artifacts/TARGET/ and the script exits non-zero; keep it as a
# regression test. A dictionary fuzz/TARGET.dict is used when there is one.
#
#   fuzz/run.sh [SECONDS] [TARGET...]
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-300}
[ $# -gt 0 ] && shift
build="$root/build-fuzz"
jobs=2

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVIDLARK_FUZZ=ON -DVIDLARK_GUI=OFF -DVIDLARK_TESTS=OFF -DVIDLARK_BENCH=OFF >/dev/null
targets=${*:-$(sed -n 's/^vidlark_add_fuzzer(\([a-z0-9_]*\).*/\1/p' "$root/fuzz/CMakeLists.txt")}
# shellcheck disable=SC2086
nice -n 19 cmake --build "$build" -j"$jobs" --target $targets

mkdir -p "$build/logs"
for t in $targets; do
  mkdir -p "$build/corpus/$t" "$build/artifacts/$t"
done
# shellcheck disable=SC2086
printf '%s\n' $targets | xargs -P "$jobs" -I{} sh -c '
  t={}; b="$1"; r="$2"; s="$3"
  seeds="$r/fuzz/corpus/$t"; [ -d "$seeds" ] || seeds=""
  dict="$r/fuzz/$t.dict"; [ -f "$dict" ] && dict="-dict=$dict" || dict=""
  nice -n 19 "$b/fuzz/$t" -max_total_time="$s" -rss_limit_mb=512 -timeout=10 $dict \
    -print_final_stats=1 -artifact_prefix="$b/artifacts/$t/" \
    "$b/corpus/$t" $seeds >"$b/logs/$t.log" 2>&1
  status=$?
  runs=$(sed -n "s/^stat::number_of_executed_units: *//p" "$b/logs/$t.log")
  echo "$t: ${runs:-?} executions, exit $status"
  exit $status
' _ "$build" "$root" "$seconds"
