# What the shell checks of korvane-cli serve share; sourced after `cli` names the program.
# Gives a scratch folder $work (removed at exit, after stopping a started server), fail, and
# start_serve, which starts serve on a free loopback port and sets $port.

work=$(mktemp -d)
server_pid=
cleanup() {
  if [[ -n $server_pid ]] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {  # WHAT [DETAIL...]
  echo "FAILED: $1" >&2
  shift
  printf '%s\n' "$@" >&2
  exit 1
}

start_serve() {  # SERVER [SERVE OPTIONS...]: login tester, password S3cret!
  local server=$1
  shift
  mkfifo "$work/port"
  printf 'S3cret!\n' | "$cli" --profile "$work/profile" serve "$server" --port 0 \
    --login tester --password-stdin "$@" >"$work/port" 2>"$work/serve.err" &
  server_pid=$!
  exec 3<"$work/port"
  read -r -t 60 port <&3 || fail "serve printed no port" "$(cat "$work/serve.err")"
}
