#!/usr/bin/env bash
# The sources (src, tools, tests, fuzz, bench: *.cpp and *.h that git
# tracks) follow .clang-format. Run by CTest as the test clang_format; prints
# every deviation and exits 1 when there is one. Without clang-format the
# check exits 77 (CTest's "skipped"), under CI (CI=true) 1: there
# scripts/install-deps.sh has installed it.
#
#   scripts/check-format.sh        check
#   scripts/check-format.sh --fix  reformat the same files in place
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

program=$(command -v clang-format || command -v clang-format-14) || {
  echo "check-format: clang-format is not installed"
  [ "${CI:-}" = true ] && exit 1
  exit 77
}

files=()
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' \
    'tests/*.cpp' 'tests/*.h' 'fuzz/*.cpp' 'fuzz/*.h' 'bench/*.cpp' 'bench/*.h')
else
  # A copy of the tree without its history: every such file.
  mapfile -t files < <(find src tools tests fuzz bench -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
fi
[ ${#files[@]} -gt 0 ] || { echo "check-format: no sources found"; exit 1; }

if [ "${1:-}" = --fix ]; then
  exec "$program" -i "${files[@]}"
fi
if "$program" --dry-run -Werror "${files[@]}"; then
  echo "check-format: ${#files[@]} files follow .clang-format ($("$program" --version))"
  exit 0
fi
echo "check-format: the files above do not follow .clang-format; scripts/check-format.sh --fix"
exit 1
