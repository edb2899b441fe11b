#!/usr/bin/env bash
# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/), then the threaded sweep and the Python threads under
# ThreadSanitizer (build-tsan/, only what they need): ./scripts/sanitize.sh [asan|tsan]...
# Both trees use gcc at -O1 with the compiler cache when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
vantor_install_deps
export QT_QPA_PLATFORM=offscreen
[ $# -gt 0 ] && parts=("$@") || parts=(asan tsan)

launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR="$PWD"
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
configure() {  # DIR SANITIZERS
  cmake -S . -B "$1" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "${launcher[@]}" \
    -DVANTOR_SANITIZE="$2" -DVANTOR_WITH_BENCHMARKS=OFF >/dev/null
}
source tests/sanitizers/env.sh

for part in "${parts[@]}"; do
  case "$part" in
    asan)
      configure build-asan address,undefined
      cmake --build build-asan -j "$(nproc)"
      (cd build-asan && ctest --output-on-failure -j "$(nproc)")
      ;;
    tsan)
      configure build-tsan thread
      cmake --build build-tsan -j "$(nproc)" --target test_sweep vantor-cli vantor_python
      build-tsan/bin/test_sweep
      # The command line's sweep on several threads: the rows of one.
      scratch=$(mktemp -d)
      trap 'rm -rf "$scratch"' EXIT
      for jobs in 1 4; do
        build-tsan/bin/vantor-cli sweep data/examples/default.vt4 --set duration=40 \
          --vary gA=0:2:4 --vary gK=1:3:3 --jobs "$jobs" --out "$scratch/j$jobs.csv" -q
      done
      cmp "$scratch/j1.csv" "$scratch/j4.csv"
      (cd build-tsan && ctest --output-on-failure -R 'python\.test_threads')
      ;;
    *) echo "unknown part $part (asan, tsan)" >&2; exit 2 ;;
  esac
done
