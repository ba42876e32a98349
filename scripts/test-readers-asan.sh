#!/usr/bin/env bash
# Builds the import's file readers with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (only what the corpus test needs) and runs the corpus test: every sample file
# written by other programs, and damaged copies of each. A read outside a buffer fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
# Qt's and the standard library's own index checks too: a write at a wrong index inside a list
# may land in memory the sanitizer cannot tell from the list's own.
sanitize="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
checks="-DQT_FORCE_ASSERTS -D_GLIBCXX_ASSERTIONS"
cmake -S . -B build-asan -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$sanitize $checks" -DCMAKE_C_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize"
cmake --build build-asan -j"$(nproc)" --target corpus_tests
export QT_QPA_PLATFORM=offscreen
# Leaks of the libraries at exit are not what this run looks for.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan -R '^Corpus\.' --output-on-failure
