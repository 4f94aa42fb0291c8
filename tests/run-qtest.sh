#!/usr/bin/env bash
# Runs one QtTest program (with the command that starts it, if any) for CTest.
# QtTest ends a run with skipped functions with exit code 0, so CTest would
# count it as passed: a run that passed but skipped something ends with 77,
# which CTest shows as "Skipped" (SKIP_RETURN_CODE). A failure stays a failure.
set -u
"$@" 2>&1 | awk '{ print; fflush() } /^SKIP   : / { skipped = 1 } END { exit skipped ? 77 : 0 }'
status=("${PIPESTATUS[@]}")
if [ "${status[0]}" -eq 0 ] && [ "${status[1]}" -eq 77 ]; then
    exit 77
fi
exit "${status[0]}"
