#!/usr/bin/env bash
# A fuzzing campaign for one target, measured in CPU time rather than wall
# time (the machine is shared, so wall time says little about the work done).
#
#   bash fuzz/campaign.sh run   <target> [cpu-minutes] [libFuzzer flags...]
#   bash fuzz/campaign.sh merge <target>
#
# run    builds the fuzz targets (build/fuzz, clang with ASan+UBSan), then runs
#        <target> under `nice` on a working corpus build/campaign/<target>,
#        started from the checked-in corpus and regressions, until the process
#        has used the given CPU minutes (default 30) or found something. A
#        finding is written to build/campaign/<target>-findings/ and printed in
#        base64; the log is build/campaign/<target>.log and its last lines hold
#        libFuzzer's final statistics (executions, cov, ft).
#
# FUZZ_PORTABLE=1 fuzzes the portable code that other targets run (QDT_PORTABLE,
# none of the x86-64 instructions), built in build/fuzz-portable, with its own
# working corpus build/campaign/<target>-portable; merge takes that corpus too.
# merge  minimises the checked-in corpus together with the working corpus
#        (libFuzzer -merge=1 into a fresh folder) and replaces
#        fuzz/corpus/<target> with the result.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

mode=${1:?usage: campaign.sh run|merge <target> [cpu-minutes] [flags...]}
target=${2:?usage: campaign.sh run|merge <target> [cpu-minutes] [flags...]}
shift 2

fuzz_build=build/fuzz
variant=()
suffix=
if [ "${FUZZ_PORTABLE:-0}" = 1 ]; then
  fuzz_build=build/fuzz-portable
  variant=(-DQDT_PORTABLE=ON)
  suffix=-portable
fi

build_targets() {
  local fz="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
  cmake -S . -B "$fuzz_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    -DQDT_SHARED=OFF -DQDT_BUILD_TESTS=OFF -DQDT_BUILD_BENCH=OFF -DQDT_BUILD_EXAMPLES=OFF -DQDT_BUILD_FUZZ=ON \
    ${variant[@]+"${variant[@]}"} -DCMAKE_CXX_FLAGS="$fz" >/dev/null
  nice -n 10 cmake --build "$fuzz_build" -j"$(nproc)" --target "$target" >/dev/null
}

binary=$root/$fuzz_build/fuzz/$target
work=$root/build/campaign/$target$suffix
checked=$root/fuzz/corpus/$target
regressions=$root/fuzz/regressions/$target

case $mode in
run)
  minutes=${1:-30}
  [ $# -gt 0 ] && shift
  build_targets
  mkdir -p "$work" "$work-findings" "$checked"
  starts=("$checked")
  [ -d "$regressions" ] && starts+=("$regressions")
  log=$root/build/campaign/$target$suffix.log
  nice -n 19 "$binary" -max_total_time=1000000 -print_final_stats=1 -artifact_prefix="$work-findings/" \
    "$@" "$work" "${starts[@]}" >"$log" 2>&1 &
  pid=$!
  ticks=$(getconf CLK_TCK)
  limit=$((minutes * 60 * ticks))
  used=0
  while kill -0 "$pid" 2>/dev/null; do
    # utime + stime of the fuzzer process, in clock ticks
    used=$(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null || echo "$used")
    if [ "$used" -ge "$limit" ]; then
      kill -INT "$pid"
      break
    fi
    sleep 5
  done
  wait "$pid" || true
  echo "$target: $((used / ticks)) CPU-seconds"
  grep -E '^stat::|^#[0-9]+.*(DONE|cov:)' "$log" | tail -n 8
  found=0
  for f in "$work-findings"/*; do
    [ -f "$f" ] || continue
    found=1
    echo "finding: $f"
    base64 -w0 "$f"
    echo
  done
  [ $found -eq 0 ] && echo "no findings"
  ;;
merge)
  build_targets
  fresh=$root/build/campaign/$target$suffix-merged
  rm -rf "$fresh"
  mkdir -p "$fresh" "$work" "$checked"
  "$binary" -merge=1 "$fresh" "$checked" "$work" >"$root/build/campaign/$target$suffix-merge.log" 2>&1
  rm -rf "$checked"
  mv "$fresh" "$checked"
  echo "$target: $(find "$checked" -type f | wc -l) files in fuzz/corpus/$target"
  ;;
*)
  echo "usage: campaign.sh run|merge <target> [cpu-minutes] [flags...]" >&2
  exit 2
  ;;
esac
