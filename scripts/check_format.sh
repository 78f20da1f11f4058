#!/usr/bin/env bash
# Checks that every C++ file is formatted by the pinned formatter (clang-format 14, .clang-format).
# With --fix it formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
fmt=clang-format-14
command -v "$fmt" >/dev/null || { echo "check_format: $fmt is not installed (scripts/deps.sh installs it)"; exit 1; }
if [ -d .git ] || git rev-parse --git-dir >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- '*.cpp' '*.h')
else
  mapfile -t files < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null)
fi
if [ "${1:-}" = "--fix" ]; then
  "$fmt" -i "${files[@]}"
  exit 0
fi
if ! "$fmt" --dry-run --Werror "${files[@]}" 2>/tmp/check_format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/check_format.$$ | cut -d: -f1 | sort | uniq -c | sed 's/^/  /'
  rm -f /tmp/check_format.$$
  echo "check_format: the files above are not formatted; run: bash scripts/check_format.sh --fix"
  exit 1
fi
rm -f /tmp/check_format.$$
echo "check_format: ${#files[@]} files formatted"
