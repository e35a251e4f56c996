#!/usr/bin/env bash
# Runs one Qt Test program with its arguments and passes on its output and
# exit status, except that a run which failed nothing and skipped something
# (QSKIP prints "SKIP   :") exits 77, which CTest (SKIP_RETURN_CODE) records as
# skipped. A failure, a crash or a sanitizer's report keeps its own status.
set -uo pipefail
log=$(mktemp "${TMPDIR:-/tmp}/ostiva-qtest.XXXXXX")
trap 'rm -f "$log"' EXIT
"$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if [ "$status" -eq 0 ] && grep -q '^SKIP   :' "$log"; then
  status=77
fi
exit "$status"
