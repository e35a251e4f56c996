#!/usr/bin/env bash
# The main job (`make demo`): sets up a fresh Debian 12 machine, builds
# everything, starts the bundled session server with its demo customer and a
# demo account on loopback, and runs the console against it.
#
#   scripts/demo.sh [--headless] [--no-build] [--build-dir DIR] [--shots DIR]
#
# With a reachable display ($DISPLAY) the console opens there and the demo
# lasts until you close it: it signs in by itself, asks for a code, and the
# demo customer joins with it (Ready after 3 s, Connected 4 s later, Ended
# 60 s later); type a report and press Save, then Report > Connection History.
# Without a display (or with --headless) the console runs on a virtual
# display (Xvfb), the whole workflow plays once by itself, a screenshot of
# each step is saved, and the folder is printed.
#
# Everything runs in a temporary directory: the server's database, the
# console's copy with its info.dat, the viewer's pictures. When the console
# exits, everything the demo started is stopped and the directory removed.
#
#   --headless       play the workflow on a virtual display even with $DISPLAY
#   --no-build       use what is built (no apt-get, no build)
#   --build-dir DIR  the build directory (default: build)
#   --shots DIR      where the screenshots go (default: DIR/demo-screenshots)
# OSTIVA_DEMO_TIMES=R,C,E sets the demo customer's delays in seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

headless=0
build_step=1
build=build
shots=
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) headless=1 ;;
    --no-build) build_step=0 ;;
    --build-dir) build=${2:?--build-dir needs a directory}; shift ;;
    --shots) shots=${2:?--shots needs a directory}; shift ;;
    -h|--help) sed -n '2,26p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "demo: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
case "$build" in /*) ;; *) build=$root/$build ;; esac
[ -n "$shots" ] || shots=$build/demo-screenshots
case "$shots" in /*) ;; *) shots=$root/$shots ;; esac

say() { echo "demo: $*"; }

if [ "$build_step" = 1 ]; then
  bash scripts/install-deps.sh
  cmake --preset default -B "$build" >/dev/null
  cmake --build "$build" --target ostiva-manager ostiviewer ostiva-server ostiva_state_pictures
fi
bin=$build/bin
for program in ostiva-manager ostiviewer ostiva-server ready.png connecting.png disconnected.png; do
  [ -e "$bin/$program" ] || { echo "demo: $bin/$program is missing; build first" >&2; exit 1; }
done

# With a display that answers, the console opens there; otherwise on Xvfb.
if [ "$headless" = 0 ] && { [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; }; then
  [ -n "${DISPLAY:-}" ] && say "the display $DISPLAY does not answer; playing the demo on a virtual display"
  headless=1
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ostiva-demo-XXXXXX")
console_dir=$work/console
server_pid=
xvfb_pid=
console_pid=

# shellcheck source=lib/processes.sh
source "$root/scripts/lib/processes.sh"

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  stop_process "$console_pid"
  # The viewers outlive the console by design; the demo ends the ones its
  # console started (each logged its pid), and only if they still are viewers.
  if [ -f "$console_dir/viewer-log.jsonl" ]; then
    for pid in $(grep -o '"pid":[0-9]*' "$console_dir/viewer-log.jsonl" | cut -d: -f2); do
      if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "$console_dir/ostiviewer"; then
        kill -TERM "$pid" 2>/dev/null || true
      fi
    done
  fi
  stop_process "$server_pid"
  stop_process "$xvfb_pid"
  if [ "$status" != 0 ] && [ -f "$work/server.log" ]; then
    echo "demo: the server's log:" >&2
    tail -n 20 "$work/server.log" >&2 || true
    echo "demo: the console's output:" >&2
    tail -n 20 "$work/console.log" >&2 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to $2 tenths of a second for the file $1 to have content.
wait_for_file() {
  for _ in $(seq "$2"); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}

# ---- the server, its demo account and its demo customer ----
if [ "$headless" = 1 ]; then times=${OSTIVA_DEMO_TIMES:-3,4,20}; else times=${OSTIVA_DEMO_TIMES:-3,4,60}; fi
helper=demo
password=demo-password
"$bin/ostiva-server" --port 0 --http-port 0 --db "$work/server.db" \
  --port-file "$work/ports" --demo --demo-times "$times" >"$work/server.out" 2>"$work/server.log" &
server_pid=$!
wait_for_file "$work/ports" 150 || { echo "demo: the server did not start" >&2; exit 1; }
read -r port _ http_port <"$work/ports"  # no control channel: its port is 0
web=127.0.0.1:$http_port
# The password goes in on standard input: on the command line every local
# user could read it.
printf '%s\n' "$password" | "$bin/ostiva-server" account add --db "$work/server.db" \
  --id "$helper" --password-file - \
  --company "Ostiva Demo Support" --name "Dana Demo" --expiry 2099-12-31 \
  --customer-url "http://$web/info" --link1 "http://$web/info" \
  --link2 "http://$web/admin/pages/helper/index.php?hid=$helper" >/dev/null
say "session server on 127.0.0.1:$port, web pages on http://$web/info"
say "demo customer: ${times//,/ s, } s (Ready, Connected, Ended)"

# ---- the console: its own copy, with the demo info.dat beside it ----
mkdir -p "$console_dir/run"
chmod 700 "$console_dir/run"
for file in ostiva-manager ostiviewer ready.png connecting.png disconnected.png; do
  cp "$bin/$file" "$console_dir/"
done
cat >"$console_dir/info.dat" <<EOF
[server]
svr_addr=127.0.0.1
svr_port=$port
version=1.0
[helper]
id=$helper
pw=$password
savepw=1
autologin=1
EOF
chmod 600 "$console_dir/info.dat"

export OSTIVA_WEB_HOST=$web
export XDG_RUNTIME_DIR=$console_dir/run
# The history window's web engine: no sandbox as root, and no GPU on a
# virtual display.
flags=${QTWEBENGINE_CHROMIUM_FLAGS:-}
[ "$(id -u)" = 0 ] && flags="$flags --no-sandbox"
[ "$headless" = 1 ] && flags="$flags --disable-gpu"
export QTWEBENGINE_CHROMIUM_FLAGS="${flags# }"

if [ "$headless" = 0 ]; then
  say "starting the console on $DISPLAY as \"$helper\"; close it to end the demo"
  (cd "$console_dir" && exec ./ostiva-manager) || true
  say "the console has ended; stopping the demo"
  exit 0
fi

# ---- headless: a virtual display, the workflow played once, screenshots ----
for tool in Xvfb xwininfo import; do
  command -v "$tool" >/dev/null || { echo "demo: $tool is missing (bash scripts/install-deps.sh)" >&2; exit 1; }
done
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for_file "$work/display" 100 || { echo "demo: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
unset QT_QPA_PLATFORM  # the console draws on the virtual display, not off screen
mkdir -p "$shots"
rm -f "$shots"/0[1-9]-*.png  # an earlier run's pictures, nothing else of the folder
say "virtual display $DISPLAY; playing the workflow once"
(cd "$console_dir" && OSTIVA_TEST_HOOK_DIR="$console_dir/hook" LANGUAGE=en LANG=C.UTF-8 \
  exec ./ostiva-manager) >"$work/console.log" 2>&1 &
console_pid=$!

ended_after=${times##*,}
python3 scripts/demo_play.py --hook "$console_dir/hook" --console-dir "$console_dir" \
  --shots "$shots" --display "$DISPLAY" --http-port "$http_port" --helper "$helper" \
  --ended-after "$ended_after"

# The player said Yes to "Do you want to exit?": the console ends by itself.
for _ in $(seq 150); do kill -0 "$console_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$console_pid" 2>/dev/null; then
  echo "demo: the console did not end after Yes" >&2
  exit 1
fi
status=0
wait "$console_pid" || status=$?
console_pid=
[ "$status" = 0 ] || { echo "demo: the console ended with status $status" >&2; exit 1; }
say "the console has ended; screenshots of each step are in $shots"
