#!/usr/bin/env bash
# The suite's last test: no process that a test of this build folder started still runs
# (tests/support/process_guard.cpp marks them). Ends and names each one it finds, and fails.
set -uo pipefail
left=0
for environ in $(grep -l -z -F -- "TAVRIN_TEST_STARTED_BY=$1:" /proc/[0-9]*/environ 2>/dev/null); do
  pid=${environ#/proc/}
  pid=${pid%/environ}
  echo "still running, started by a test: $pid $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
  kill -KILL "$pid" 2>/dev/null
  left=$((left + 1))
done
[ "$left" -eq 0 ] && echo "no process started by a test still runs"
exit $((left > 0))
