#!/usr/bin/env bash
# Builds the core's libFuzzer targets (clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) into build/fuzz and runs each one for a bounded
# time on its seeds and kept regression inputs. Exits non-zero on any finding;
# the input that caused it is kept in build/fuzz/findings/<target>/.
#
#   bash scripts/fuzz.sh                 # every target, about a minute in all
#   bash scripts/fuzz.sh 60 fuzz_dsp     # one target for a minute
#   TAZU_FUZZ_SECONDS=30 bash scripts/fuzz.sh   # every target 30 s
#
# A finding is reproduced by running the target on the file:
#   build/fuzz/fuzz_dsp build/fuzz/findings/fuzz_dsp/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh

seconds=${1:-${TAZU_FUZZ_SECONDS:-}}
shift || true
targets=("$@")
# The slower targets (audio through libsndfile and libsamplerate) get more of
# the minute.
declare -A default_seconds=([fuzz_narration]=7 [fuzz_cue_files]=5 [fuzz_playback]=7 [fuzz_dsp]=14 [fuzz_bars]=7
                            [fuzz_layout]=5 [fuzz_audio_read]=14 [fuzz_gif_scan]=6)
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_narration fuzz_cue_files fuzz_playback fuzz_dsp fuzz_bars fuzz_layout
                                     fuzz_audio_read fuzz_gif_scan)
build=${TAZU_FUZZ_BUILD_DIR:-build/fuzz}

# clang 14 with its sanitizer and libFuzzer runtimes, the symbolizer for
# readable reports, and the libraries the core links.
apt_packages=(clang-14 libclang-rt-14-dev llvm-14 libsndfile1-dev libsamplerate0-dev pkg-config)
# Run on its own, before the set-up script has made .venv, it needs a build tool too.
[ -x .venv/bin/cmake ] || command -v cmake >/dev/null 2>&1 || apt_packages+=(cmake)
[ -x .venv/bin/ninja ] || command -v ninja >/dev/null 2>&1 || apt_packages+=(ninja-build)
apt_install "${apt_packages[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake=.venv/bin/cmake
[ -x "$cmake" ] || cmake=cmake
generator=()
if [ -x .venv/bin/ninja ]; then
  generator=(-G Ninja -DCMAKE_MAKE_PROGRAM="$(pwd)/.venv/bin/ninja")
elif command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  "$cmake" -S fuzz -B "$build" "${generator[@]}" \
    -DCMAKE_CXX_COMPILER="$(command -v clang++-14 || command -v clang++)" >/dev/null
fi
if ! "$cmake" --build "$build" -j "${TAZU_JOBS:-2}" -- "${targets[@]}" >"$work/build.log" 2>&1; then
  cat "$work/build.log" >&2
  exit 1
fi

symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
[ -x "$symbolizer" ] && export ASAN_SYMBOLIZER_PATH="$symbolizer"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$(pwd)/fuzz/lsan.supp:print_suppressions=0"

failed=()
printf '%-16s %12s %8s  %s\n' target executions per_s result
for t in "${targets[@]}"; do
  findings="$build/findings/$t"
  mkdir -p "$findings" "$work/$t"
  dirs=("$work/$t")  # new inputs go here, not into the repository
  for d in fuzz/corpus/$t fuzz/regressions/$t; do [ -d "$d" ] && dirs+=("$d"); done
  log="$build/$t.log"
  status=ok
  if ! "$build/$t" -max_total_time="${seconds:-${default_seconds[$t]:-10}}" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$findings/" "${dirs[@]}" >"$log" 2>&1; then
    status=FINDING
    failed+=("$t")
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n1)
  printf '%-16s %12s %8s  %s\n' "$t" "${runs:-?}" "${rate:-?}" "$status"
  if [ "$status" != ok ]; then
    grep -E "ERROR|runtime error|check failed|what\(\)|SUMMARY|Test unit written|^ +#[0-9]+ .* in (tazu|LLVMFuzzerTestOneInput)" \
      "$log" | head -n 24 || true
    for f in $(sed -n 's/.*Test unit written to //p' "$log"); do
      if [ -f "$f" ] && [ "$(stat -c %s "$f")" -le 1024 ]; then
        echo "input ($f), hex:"
        od -An -tx1 -v "$f"
      fi
    done
    echo "full log: $log"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found problems in: ${failed[*]}" >&2
  exit 1
fi
echo "fuzzing: ${#targets[@]} targets, no findings"
