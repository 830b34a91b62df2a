#!/usr/bin/env bash
# Builds the fuzz target of the reader of SourceSafe's own files with clang
# and libFuzzer, seeds it from the real databases beside the repository
# (when they are there) and runs it for a bounded time.
#
#   automation/fuzz/run.sh [SECONDS]       default 60
#
# Environment: QUILLGATE_FUZZ_BUILD (build folder, default build-fuzz in the
# repository), QUILLGATE_VSSDB_DIR (the databases, default ../shared/vssdb).
# Needs clang++ and its fuzzer runtime (Debian: clang, libclang-rt-14-dev).
# Exits non-zero when the fuzzer found a crash; the input is kept in
# <build>/crashes/.
set -euo pipefail

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${QUILLGATE_FUZZ_BUILD:-$root/build-fuzz}"
vssdb="${QUILLGATE_VSSDB_DIR:-$root/../shared/vssdb}"

cmake -S "$root/automation/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" -j2 native_fuzzer native_seed_corpus

mkdir -p "$build/corpus" "$build/seeds" "$build/crashes"
if [ -d "$vssdb" ]; then
  "$build/native_seed_corpus" "$vssdb" "$build/seeds"
else
  echo "no databases at $vssdb: fuzzing without seeds"
fi

# New inputs go to corpus/, the seeds are only read. Leaks are not what this
# looks for and the reader frees everything it allocates.
ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" "$build/native_fuzzer" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=262144 \
  -artifact_prefix="$build/crashes/" -print_final_stats=1 \
  "$build/corpus" "$build/seeds"
