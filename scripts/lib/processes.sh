# shellcheck shell=bash
# Process helpers shared by the scripts (sourced, not run).

# Ends the process `pid` if it still runs: TERM, then KILL when it has not
# ended within 5 s. A child of the calling shell is also reaped; any other
# process (a daemon a pid file names) is only signalled. An empty pid, or one
# that has already gone, is left alone.
stop_process() {
  local pid=$1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null || return 0
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
