#!/usr/bin/env bash
# Builds the fuzz target of the reader of SourceSafe's own files with clang
# and libFuzzer, seeds it from the real databases beside the repository
# (when they are there) and from the kept regression inputs, and runs it for
# a bounded time.
#
#   automation/fuzz/run.sh [SECONDS]       default 60
#
# Environment: QUILLGATE_FUZZ_BUILD (build folder, default build-fuzz in the
# repository), QUILLGATE_VSSDB_DIR (the databases, default ../shared/vssdb).
# Needs clang++ and its fuzzer runtime (Debian: clang, libclang-rt-14-dev;
# scripts/fuzz installs them).
# Exits non-zero when the fuzzer found a crash, a sanitizer report, a hang or
# an allocation beyond its limits, after naming the input it kept in
# <build>/crashes/.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${QUILLGATE_FUZZ_BUILD:-$root/build-fuzz}"
vssdb="${QUILLGATE_VSSDB_DIR:-$root/../shared/vssdb}"
regressions="$root/automation/tests/native/fuzz_regressions"

cmake -S "$root/automation/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" -j2 native_fuzzer database_fuzzer native_seed_corpus

mkdir -p "$build/corpus" "$build/seeds" "$build/database-corpus" "$build/database-seeds" "$build/crashes"
if [ -d "$vssdb" ]; then
  "$build/native_seed_corpus" "$vssdb" "$build/seeds" "$build/database-seeds"
else
  echo "no databases at $vssdb: fuzzing without seeds from real databases"
fi

# Sanitizer reports name functions and lines only with llvm-symbolizer,
# which Debian installs under a versioned name.
if [ -z "${ASAN_SYMBOLIZER_PATH:-}" ]; then
  for symbolizer in llvm-symbolizer llvm-symbolizer-14 /usr/lib/llvm-14/bin/llvm-symbolizer; do
    if command -v "$symbolizer" >/dev/null; then
      export ASAN_SYMBOLIZER_PATH="$(command -v "$symbolizer")"
      break
    fi
  done
fi

# Inputs written during this run are told apart from older ones by this
# marker's time.
marker="$build/crashes/.run-started"
touch "$marker"

# Two targets, each for the given time: the parsers one file at a time,
# and the loader over whole small databases. New inputs go to the corpus
# folders; the seeds and the regression inputs are only read. Leaks are not
# what this looks for and the reader frees everything it allocates.
status=0
failed=""
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" "$build/native_fuzzer" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
  -artifact_prefix="$build/crashes/" -print_final_stats=1 -print_funcs=0 \
  "$build/corpus" "$build/seeds" "$regressions" || { status=$?; failed=native_fuzzer; }
if [ "$status" -eq 0 ]; then
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" "$build/database_fuzzer" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
    -artifact_prefix="$build/crashes/" -print_final_stats=1 -print_funcs=0 \
    "$build/database-corpus" "$build/database-seeds" || { status=$?; failed=database_fuzzer; }
fi

if [ "$status" -ne 0 ]; then
  echo
  echo "FUZZING FAILED (exit status $status): the reader of SourceSafe's files crashed, hung or ran out of memory."
  found=$(find "$build/crashes" -maxdepth 1 -type f -newer "$marker" ! -name '.*' | sort)
  if [ -n "$found" ]; then
    echo "Input that shows it:"
    while IFS= read -r file; do echo "  $file"; done <<<"$found"
    echo "Replay: $build/$failed <input>. Once fixed, copy the input into"
    echo "  automation/tests/native/fuzz_regressions/ so that the unit tests replay it."
  else
    echo "No input was kept in $build/crashes/; see the fuzzer's output above."
  fi
  exit "$status"
fi
