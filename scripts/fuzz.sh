#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 300), two at a time on a
# 2-core machine: ./scripts/fuzz.sh [SECONDS] [TARGET...]
# Builds build-fuzz/ with clang first (VANTOR_FUZZ=ON). Each target's corpus
# is build-fuzz/corpus/<target>, seeded from fuzz/seeds and the shipped
# files, and grows from one campaign to the next; an input that fails lands
# in build-fuzz/findings/<target>/ and the script ends with status 1.
# The last line of each log (executions, cov, ft) is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
vantor_install_deps clang libclang-rt-14-dev
seconds=${1:-300}
shift || true
all=(fuzz_vt4 fuzz_vts fuzz_gate_table fuzz_limits fuzz_preferences fuzz_record fuzz_sweep_file
  fuzz_field_number)
[ $# -gt 0 ] && targets=("$@") || targets=("${all[@]}")
jobs=${FUZZ_JOBS:-$(nproc)}

if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
else
  launcher=()
fi
if [ ! -f build-fuzz/build.ninja ]; then
  CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "${launcher[@]}" -DVANTOR_FUZZ=ON \
    -DBUILD_TESTING=OFF -DVANTOR_WITH_PYTHON=OFF -DVANTOR_WITH_MPI=OFF \
    -DVANTOR_WITH_BENCHMARKS=OFF >/dev/null
fi
cmake --build build-fuzz -j "$(nproc)" --target vantor_fuzzers

# The shipped files each reader is for, besides fuzz/seeds/<target>.
shipped() {
  case "$1" in
    fuzz_vt4) ls data/examples/*.vt4 ;;
    fuzz_gate_table) echo data/vmodels.val ;;
    fuzz_limits) echo data/VANTOR.mnx ;;
    fuzz_preferences) echo data/VANTORW.INI ;;
  esac
}

run_one() {
  local t=$1 seconds=$2
  local corpus=build-fuzz/corpus/$t findings=build-fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  [ -d "fuzz/seeds/$t" ] && cp -n fuzz/seeds/"$t"/* "$corpus"/ 2>/dev/null || true
  for f in $(shipped "$t"); do cp -n "$f" "$corpus/shipped-$(basename "$f")"; done
  # ASan's leak check runs at the end of every input; an input that takes
  # more than 10 s counts as a hang.
  if build-fuzz/fuzz/"$t" -dict=fuzz/vantor.dict -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$corpus" >"build-fuzz/$t.log" 2>&1; then
    echo "$t: $(grep -E '^#[0-9]+' "build-fuzz/$t.log" | tail -n 1)"
  else
    echo "$t: FAILED, see build-fuzz/$t.log and $findings/"
    return 1
  fi
}
export -f run_one shipped

printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$@"' _ {} "$seconds"
