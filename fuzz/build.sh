#!/bin/sh
# Builds the dialect fuzzer with clang's libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer.
#   fuzz/build.sh && mkdir -p /tmp/fuzz-findings && \
#   ./build-fuzz/dialect_fuzzer -jobs=1 -max_len=4096 /tmp/fuzz-corpus fuzz/corpus
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build-fuzz"
mkdir -p "$out"
clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/src" $(pkg-config --cflags Qt6Core Qt6Sql) \
  "$root/fuzz/dialect_fuzzer.cpp" \
  "$root/src/core/db/dialect.cpp" "$root/src/core/db/dialect_lexer.cpp" \
  "$root/src/core/db/dialect_parser.cpp" "$root/src/core/db/dialect_writer.cpp" \
  "$root/src/core/db/script.cpp" "$root/src/core/db/database.cpp" \
  "$root/src/core/db/functions.cpp" "$root/src/core/db/numbers.cpp" \
  "$root/src/core/base/error.cpp" \
  $(pkg-config --libs Qt6Core Qt6Sql) -lsqlite3 \
  -o "$out/dialect_fuzzer"
