#!/usr/bin/env bash
# Screenshots of every console window (main, login, settings, history, about)
# in English and Japanese, taken on a virtual display (Xvfb) from a real run
# against the bundled server, into docs/screenshots/<window>-<lang>.png.
#
#   scripts/screenshots.sh [--build-dir DIR] [--out DIR]
#
# The console is driven through its test hook (OSTIVA_TEST_HOOK_DIR), which
# also takes the pictures (each window drawn by itself, without a frame).
# Everything runs in a temporary directory that is removed at the end; every
# wait is bounded. Needs ostiva-manager, ostiviewer, ostiva-server and the
# state pictures built; without a build directory that has them it builds
# them with the "default" preset of CMakePresets.json.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build
out=docs/screenshots
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=${2:?--build-dir needs a directory}; shift ;;
    --out) out=${2:?--out needs a directory}; shift ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "screenshots: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
case "$build" in /*) ;; *) build=$root/$build ;; esac
case "$out" in /*) ;; *) out=$root/$out ;; esac
bin=$build/bin
programs=(ostiva-manager ostiviewer ostiva-server ready.png connecting.png disconnected.png)
for file in "${programs[@]}"; do
  [ -e "$bin/$file" ] && continue
  echo "screenshots: $bin/$file is missing; building" >&2
  cmake --preset default -B "$build" >/dev/null
  cmake --build "$build" --target ostiva-manager ostiviewer ostiva-server ostiva_state_pictures
  break
done
for file in "${programs[@]}"; do
  [ -e "$bin/$file" ] || { echo "screenshots: $bin/$file is missing after the build" >&2; exit 1; }
done
command -v Xvfb >/dev/null || { echo "screenshots: Xvfb is missing (scripts/install-deps.sh)" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ostiva-shots-XXXXXX")
server_pid=
xvfb_pid=
console_pid=
console_dir=

# shellcheck source=lib/processes.sh
source "$root/scripts/lib/processes.sh"

# The viewers a console started (each logged its pid), if they still are ours.
stop_viewers() {
  [ -n "$console_dir" ] && [ -f "$console_dir/viewer-log.jsonl" ] || return 0
  for pid in $(grep -o '"pid":[0-9]*' "$console_dir/viewer-log.jsonl" | cut -d: -f2); do
    if tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q "$console_dir/ostiviewer"; then
      kill -TERM "$pid" 2>/dev/null || true
    fi
  done
}

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  stop_process "$console_pid"
  stop_viewers
  stop_process "$server_pid"
  stop_process "$xvfb_pid"
  if [ "$status" != 0 ]; then
    tail -n 20 "$work"/console-*.log 2>/dev/null >&2 || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

say() { echo "screenshots: $*"; }

wait_for_file() {
  for _ in $(seq "$2"); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}

# Waits up to 30 s until the Python expression holds for the hook's state `s`
# (the parsed state.json); prints the expression's last value when asked.
wait_state() {
  python3 - "$console_dir/hook/state.json" "$1" "${2:-}" <<'PY' || { echo "screenshots: timed out waiting for: $1" >&2; exit 1; }
import json, sys, time
path, expression, show = sys.argv[1], sys.argv[2], sys.argv[3]
end = time.time() + 30
while True:
    try:
        with open(path, encoding="utf-8") as f:
            s = json.load(f)
        value = eval(expression, {"s": s})
    except (OSError, ValueError, KeyError, IndexError, TypeError):
        value = None
    if value:
        if show:
            print(value)
        sys.exit(0)
    if time.time() > end:
        sys.exit(1)
    time.sleep(0.1)
PY
}

command_line() { printf '%s\n' "$*" >>"$console_dir/hook/commands"; }

# One line to the server's control channel; its answer.
control() {
  python3 - "$control_port" "$1" <<'PY'
import socket, sys
with socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=10) as s:
    s.sendall((sys.argv[2] + "\n").encode())
    answer = b""
    while not answer.endswith(b"\n"):
        chunk = s.recv(4096)
        if not chunk:
            break
        answer += chunk
print(answer.decode().strip())
PY
}

window_is() { echo "any(w['class'] == '$1' for w in s['windows'])"; }

# ---- the server with one account; its web pages serve the history window ----
http_args=()
if "$bin/ostiva-server" --help 2>&1 | grep -q -- --http-port; then http_args=(--http-port 0); fi
"$bin/ostiva-server" --port 0 --control-port 0 "${http_args[@]}" --db "$work/server.db" \
  --port-file "$work/ports" >"$work/server.out" 2>"$work/server.log" &
server_pid=$!
wait_for_file "$work/ports" 150 || { echo "screenshots: the server did not start" >&2; exit 1; }
read -r port control_port http_port <"$work/ports" || true
web=127.0.0.1:${http_port:-9}
printf 'secret-a\n' | "$bin/ostiva-server" account add --db "$work/server.db" --id alice \
  --password-file - --company "Northwind Support" --name "Alice Adams" --expiry 2099-12-31 \
  --customer-url "http://$web/info" --link1 "http://$web/info" \
  --link2 "http://$web/admin/pages/helper/index.php?hid=alice" >/dev/null

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for_file "$work/display" 100 || { echo "screenshots: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n1 "$work/display")
export OSTIVA_WEB_HOST=$web
flags=${QTWEBENGINE_CHROMIUM_FLAGS:-}
[ "$(id -u)" = 0 ] && flags="$flags --no-sandbox"
export QTWEBENGINE_CHROMIUM_FLAGS="${flags# } --disable-gpu"
mkdir -p "$out"

# ---- one run of the console per language ----
shoot() {
  local lang=$1 locale=$2
  console_dir=$work/console-$lang
  mkdir -p "$console_dir/run" "$console_dir/hook"
  chmod 700 "$console_dir/run"
  for file in ostiva-manager ostiviewer ready.png connecting.png disconnected.png; do
    cp "$bin/$file" "$console_dir/"
  done
  # The password is saved but Auto Login is off: the login dialog waits.
  printf '[server]\nsvr_addr=127.0.0.1\nsvr_port=%s\nversion=1.0\n[helper]\nid=alice\npw=secret-a\nsavepw=1\nautologin=0\n' \
    "$port" >"$console_dir/info.dat"
  (cd "$console_dir" && OSTIVA_TEST_HOOK_DIR="$console_dir/hook" XDG_RUNTIME_DIR="$console_dir/run" \
    LANGUAGE=$lang LANG=$locale exec ./ostiva-manager) >"$work/console-$lang.log" 2>&1 &
  console_pid=$!

  wait_state "$(window_is ostiva::CLoginDlg)"
  sleep 0.5
  command_line "grab $out/login-$lang.png ostiva::CLoginDlg"
  sleep 0.5
  command_line "push loginButton"
  wait_state "s['main']['visible'] and len(s['main']['codes']) == 1"

  # Four codes: one Waiting, one Ready, one Connected, one Ended.
  for n in 2 3 4; do
    command_line "click 1016"
    wait_state "len(s['main']['codes']) == $n"
  done
  local codes
  codes=$(wait_state "' '.join(str(c['code']) for c in s['main']['codes'])" show)
  set -- $codes
  control "status $4 1" >/dev/null
  control "status $4 2 41 192.0.2.10 10.1.2.3 \"2024-05-06 09:12:40\" 14" >/dev/null
  control "status $4 3 41 192.0.2.10 10.1.2.3 \"2024-05-06 09:31:05\" 14" >/dev/null
  control "status $3 1" >/dev/null
  control "status $2 1" >/dev/null
  control "status $2 2 42 198.51.100.7 10.0.0.24 \"2024-05-06 10:02:11\" 13" >/dev/null
  # The viewer's picture shows on a timer tick.
  wait_state "s['main']['codes'][1]['state'] == 2"
  sleep 4
  command_line "listclick 1"
  command_line "type 1021 Contoso Ltd"
  command_line "type 1025 Maria Anders"
  command_line "type 1041 maria@contoso.example"
  command_line "type 1042 +1 555 0100"
  command_line "type 1043 Printer driver reinstalled; test page printed."
  wait_state "s['main']['texts']['1043'].startswith('Printer')"
  sleep 0.5
  command_line "grab $out/main-$lang.png ostiva::CHelperDlg"
  sleep 0.5

  command_line "menu 32771"
  wait_state "$(window_is ostiva::CSettingDlg)"
  sleep 0.5
  command_line "grab $out/settings-$lang.png ostiva::CSettingDlg"
  sleep 0.5
  command_line "push cancelButton"
  wait_state "not $(window_is ostiva::CSettingDlg)"

  command_line "menu 16"
  wait_state "$(window_is ostiva::CAboutDlg)"
  sleep 0.5
  command_line "grab $out/about-$lang.png ostiva::CAboutDlg"
  sleep 0.5
  command_line "push ok"
  wait_state "not $(window_is ostiva::CAboutDlg)"

  command_line "menu 32777"
  wait_state "$(window_is ostiva::ReportDlg)"
  sleep 5  # the page loads in the browser view
  command_line "grab $out/history-$lang.png ostiva::ReportDlg"
  sleep 0.5
  command_line "push okButton"

  command_line "close"
  wait_state "s.get('messageBox')"
  command_line "press yes"
  for _ in $(seq 150); do kill -0 "$console_pid" 2>/dev/null || break; sleep 0.1; done
  stop_process "$console_pid"
  console_pid=
  stop_viewers
  for window in login main settings about history; do
    [ -s "$out/$window-$lang.png" ] || { echo "screenshots: no picture of the $window window ($lang)" >&2; exit 1; }
  done
  say "$lang: $(cd "$out" && ls ./*-"$lang".png | tr '\n' ' ')"
}

shoot en C.UTF-8
shoot ja ja_JP.UTF-8
say "written to $out"
