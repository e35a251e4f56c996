#!/usr/bin/env bash
# Starts or stops the proxies that the proxy tests and the proxy benchmark
# talk to: four squid instances (no authentication, Basic, Digest, NTLM),
# dante for SOCKS4/4a/5 and microsocks for SOCKS5 with username/password.
# Ports, credentials and the client network namespace are in
# test-services.conf beside this script.
#
# Every peer listens on 127.0.0.1 and, when the namespace can be made, on the
# root side of the namespace's veth link, so a client inside the namespace
# reaches the proxies and nothing else. Configurations, logs and pid files go
# to SERVICES_DIR (OSTIVA_TEST_SERVICES_DIR overrides it).
#
# Usage: test-services.sh start [--record FILE] | stop [--only FILE] | status
# (start and stop as root)
# "start" is idempotent: a peer that already runs with the same
# configuration is left alone; "stop" ends only what this script started.
# With --record, start writes to FILE what this run started (one peer a
# line, "netns" for the namespace); stop --only FILE then ends just those, so
# peers that ran before (another run's, a developer's) keep running. That is
# how the tests' CTest fixture starts and stops them. A start with --record
# that cannot start every peer exits 77 (the fixture's "skipped"), so the
# tests that need a missing peer skip on their own; under CI (CI=true) the
# peers are part of the test command and a missing one exits 1.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=test-services.conf
source "$here/test-services.conf"
# shellcheck source=lib/processes.sh
source "$here/lib/processes.sh"
dir=${OSTIVA_TEST_SERVICES_DIR:-$SERVICES_DIR}
record=

say() { echo "test-services: $*"; }

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    say "must run as root (the proxies drop their privileges themselves)" >&2
    exit "$(start_failure)"
  fi
}

# The exit status of a start that could not start every peer.
start_failure() {
  if [ -n "$record" ] && [ "${CI:-}" != true ]; then echo 77; else echo 1; fi
}

# ---- processes ----

# Notes that this run started `name` (a peer, or "netns"), for stop --only.
# run_peer runs in a pipeline's subshell, so the note goes to a file.
note_started() {
  [ -z "$record" ] || echo "$1" >>"$record.new"
}

pid_of() { cat "$dir/$1.pid" 2>/dev/null; }

alive() {
  local pid
  pid=$(pid_of "$1")
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null
}

stop_one() {
  stop_process "$(pid_of "$1")"
  rm -f "$dir/$1.pid"
}

# True once something listens on address:port, within about 10 seconds.
wait_listening() {
  local where=$1
  for _ in $(seq 100); do
    ss -Hltn "sport = :${where##*:}" 2>/dev/null | grep -qF "$where " && return 0
    sleep 0.1
  done
  return 1
}

# Starts `name` with the configuration text on stdin unless it already runs
# with exactly that configuration, and waits until it listens on `where`
# (address:port). The rest of the arguments are the command; "{conf}" in it
# stands for the configuration file.
run_peer() {
  local name=$1 where=$2
  shift 2
  local conf="$dir/$name.conf" fresh
  fresh=$(cat)
  if alive "$name" && [ -f "$conf" ] && [ "$(cat "$conf")" = "$fresh" ]; then
    return 0
  fi
  stop_one "$name"
  printf '%s\n' "$fresh" >"$conf"
  local args=()
  for a in "$@"; do args+=("${a//\{conf\}/$conf}"); done
  "${args[@]}" >>"$dir/$name.out" 2>&1 </dev/null &
  echo $! >"$dir/$name.pid"
  note_started "$name"
  if ! wait_listening "$where"; then
    say "$name did not start; see $dir/$name.out and its log" >&2
    tail -n 5 "$dir/$name.out" >&2 2>/dev/null
    stop_one "$name"
    return 1
  fi
}

# ---- the client namespace ----

netns_ready() {
  ip netns list 2>/dev/null | grep -qw "$NETNS" &&
    ip -n "$NETNS" -4 addr show dev "$NETNS_CLIENT_IF" 2>/dev/null | grep -q "$NETNS_CLIENT_ADDR" &&
    ip -4 addr show dev "$NETNS_HOST_IF" 2>/dev/null | grep -q "$NETNS_HOST_ADDR"
}

netns_down() {
  ip link del "$NETNS_HOST_IF" 2>/dev/null
  ip netns del "$NETNS" 2>/dev/null
  return 0
}

netns_up() {
  netns_ready && return 0
  netns_down
  note_started netns
  ip netns add "$NETNS" &&
    ip link add "$NETNS_HOST_IF" type veth peer name "$NETNS_CLIENT_IF" netns "$NETNS" &&
    ip addr add "$NETNS_HOST_ADDR/$NETNS_PREFIX" dev "$NETNS_HOST_IF" &&
    ip link set "$NETNS_HOST_IF" up &&
    ip -n "$NETNS" addr add "$NETNS_CLIENT_ADDR/$NETNS_PREFIX" dev "$NETNS_CLIENT_IF" &&
    ip -n "$NETNS" link set "$NETNS_CLIENT_IF" up &&
    ip -n "$NETNS" link set lo up && return 0
  netns_down
  return 1
}

# ---- the peers ----

squid_conf() {
  local name=$1 port=$2 auth=$3
  echo "http_port 127.0.0.1:$port"
  [ -n "$link" ] && echo "http_port $link:$port"
  cat <<EOF
pid_filename $dir/squid-$name/squid.pid
cache_log $dir/squid-$name/cache.log
access_log $dir/squid-$name/access.log
coredump_dir $dir/squid-$name
cache_effective_user proxy
cache deny all
cache_mem 4 MB
netdb_filename none
pinger_enable off
logfile_rotate 0
shutdown_lifetime 0 seconds
request_start_timeout 5 seconds
acl clients src 127.0.0.0/8 $NETNS_HOST_ADDR/$NETNS_PREFIX
http_access deny !clients
EOF
  printf '%s\n' "$auth"
}

start_squid() {
  local name=$1 port=$2 auth=$3
  mkdir -p "$dir/squid-$name"
  chown proxy "$dir/squid-$name"
  squid_conf "$name" "$port" "$auth" |
    run_peer "squid-$name" "127.0.0.1:$port" squid -N -n "ostiva$name" -f "{conf}"
}

start_all() {
  need_root
  mkdir -p "$dir"
  chmod 755 "$dir"
  link=""
  if netns_up; then
    link=$NETNS_HOST_ADDR
  else
    say "no network namespace here; the login tests through the proxies will be skipped" >&2
  fi

  # Password files the helpers read as the proxy user.
  htpasswd -b -c "$dir/basic.passwd" "$PROXY_USER" "$PROXY_PASSWORD" >/dev/null 2>&1
  echo "$PROXY_USER:$PROXY_PASSWORD" >"$dir/digest.passwd"
  chown proxy "$dir/basic.passwd" "$dir/digest.passwd"
  chmod 600 "$dir/basic.passwd" "$dir/digest.passwd"

  local ok=0
  start_squid open "$SQUID_OPEN_PORT" "http_access allow all" || ok=1
  start_squid basic "$SQUID_BASIC_PORT" "auth_param basic program /usr/lib/squid/basic_ncsa_auth $dir/basic.passwd
auth_param basic children 2
auth_param basic realm $PROXY_REALM
acl authed proxy_auth REQUIRED
http_access allow authed
http_access deny all" || ok=1
  start_squid digest "$SQUID_DIGEST_PORT" "auth_param digest program /usr/lib/squid/digest_file_auth $dir/digest.passwd
auth_param digest children 2
auth_param digest realm $PROXY_REALM
acl authed proxy_auth REQUIRED
http_access allow authed
http_access deny all" || ok=1
  # ntlm_fake_auth takes any password, so only the user name can be wrong.
  # It reads the OEM user name of curl's Type 3 (the benchmark's peer) with
  # the first letter of curl's workstation name appended: both forms pass.
  start_squid ntlm "$SQUID_NTLM_PORT" "auth_param ntlm program /usr/lib/squid/ntlm_fake_auth -S
auth_param ntlm children 2
acl admitted proxy_auth_regex ^${NTLM_USER}w?\$
http_access allow admitted
http_access deny all" || ok=1

  {
    echo "logoutput: $dir/danted.log"
    echo "internal: 127.0.0.1 port = $DANTE_PORT"
    [ -n "$link" ] && echo "internal: $link port = $DANTE_PORT"
    cat <<EOF
external: 127.0.0.1
clientmethod: none
socksmethod: none
user.privileged: root
user.unprivileged: nobody
client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }
client pass { from: $NETNS_HOST_ADDR/$NETNS_PREFIX to: 0.0.0.0/0 }
socks pass { from: 0.0.0.0/0 to: 0.0.0.0/0 command: connect }
EOF
  } | run_peer danted "127.0.0.1:$DANTE_PORT" danted -f "{conf}" -p "$dir/danted.daemon.pid" -N 1 || ok=1

  # microsocks listens on one address per process.
  echo "127.0.0.1 $MICROSOCKS_PORT $PROXY_USER" |
    run_peer microsocks "127.0.0.1:$MICROSOCKS_PORT" microsocks -i 127.0.0.1 -p "$MICROSOCKS_PORT" \
      -u "$PROXY_USER" -P "$PROXY_PASSWORD" || ok=1
  if [ -n "$link" ]; then
    echo "$link $MICROSOCKS_PORT $PROXY_USER" |
      run_peer microsocks-link "$link:$MICROSOCKS_PORT" microsocks -i "$link" -p "$MICROSOCKS_PORT" \
        -u "$PROXY_USER" -P "$PROXY_PASSWORD" || ok=1
  else
    stop_one microsocks-link
  fi

  if [ -n "$record" ]; then
    # A record left by a run that never stopped keeps its lines: those
    # peers are still this fixture's.
    cat "$record" "$record.new" 2>/dev/null | sort -u >"$record.all"
    rm -f "$record.new"
    mv "$record.all" "$record"
  fi
  if [ $ok -ne 0 ]; then
    return "$(start_failure)"
  fi
  say "running (files in $dir)"
}

stop_all() {
  need_root
  local names=(squid-open squid-basic squid-digest squid-ntlm danted microsocks microsocks-link netns)
  if [ -n "$record" ]; then
    # Only what that start began; nothing when it began nothing.
    names=()
    [ -f "$record" ] && mapfile -t names <"$record"
    rm -f "$record"
  fi
  # All at once: each may take its few seconds to shut down.
  local netns=0
  for name in "${names[@]}"; do
    case "$name" in
      netns) netns=1 ;;
      squid-* | danted | microsocks | microsocks-link) stop_one "$name" & ;;
    esac
  done
  wait
  [ $netns -eq 0 ] || netns_down
  say "stopped${record:+ what $(basename "$record") listed (${#names[@]})}"
}

status_all() {
  for name in squid-open squid-basic squid-digest squid-ntlm danted microsocks microsocks-link; do
    if alive "$name"; then echo "$name: running (pid $(pid_of "$name"))"; else echo "$name: stopped"; fi
  done
  if netns_ready; then echo "namespace $NETNS: ready"; else echo "namespace $NETNS: absent"; fi
}

command=${1:-}
shift || true
case "$command:${1:-}" in
  start:--record | stop:--only) record=${2:?$1 needs a file}; shift 2 ;;
esac
[ $# -eq 0 ] || command=usage
case "$command" in
  start) start_all ;;
  stop) stop_all ;;
  status) status_all ;;
  *)
    echo "usage: $0 start [--record FILE] | stop [--only FILE] | status" >&2
    exit 2
    ;;
esac
