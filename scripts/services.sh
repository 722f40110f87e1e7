#!/usr/bin/env bash
# Services the tests talk to for real. Each start_* exports what the tests
# need to find its service; stop_services ends what was started here.
VARNHOLT_SERVICES_STARTED=()

start_services() {
  start_postgres
}

# A PostgreSQL cluster of its own in a temporary folder, on loopback and a
# free port, run by an unprivileged user (the server refuses root). Exports
# VARNHOLT_TEST_PG, the address of an empty database the tests may use.
VARNHOLT_PG_BIN=/usr/lib/postgresql/15/bin
VARNHOLT_PG_USER=varnholt-pg

start_postgres() {
  local run_as=() dir port
  if [[ $(id -u) -eq 0 ]]; then
    id -u "$VARNHOLT_PG_USER" >/dev/null 2>&1 ||
      useradd --system --no-create-home --shell /usr/sbin/nologin "$VARNHOLT_PG_USER" || return 1
    run_as=(runuser -u "$VARNHOLT_PG_USER" --)
  fi
  dir=$(mktemp -d /tmp/varnholt-pg.XXXXXX) || return 1
  chmod 755 "$dir"
  [[ ${#run_as[@]} -gt 0 ]] && chown "$VARNHOLT_PG_USER" "$dir"
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])') || return 1
  "${run_as[@]}" "$VARNHOLT_PG_BIN/initdb" -D "$dir/data" -U varnholt --auth=trust --encoding=UTF8 --locale=C \
    >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; return 1; }
  "${run_as[@]}" "$VARNHOLT_PG_BIN/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -c port=$port -c unix_socket_directories=$dir -c max_connections=200 -c fsync=off" \
    start >/dev/null || { cat "$dir/server.log" >&2; return 1; }
  VARNHOLT_PG_DIR=$dir
  VARNHOLT_SERVICES_STARTED+=(postgres)
  "$VARNHOLT_PG_BIN/createdb" -h 127.0.0.1 -p "$port" -U varnholt varnholt_test || return 1
  export VARNHOLT_TEST_PG="postgresql://varnholt@127.0.0.1:$port/varnholt_test"
}

stop_postgres() {
  [[ -n "${VARNHOLT_PG_DIR:-}" ]] || return 0
  local run_as=()
  [[ $(id -u) -eq 0 ]] && run_as=(runuser -u "$VARNHOLT_PG_USER" --)
  "${run_as[@]}" "$VARNHOLT_PG_BIN/pg_ctl" -D "$VARNHOLT_PG_DIR/data" -m fast -w stop >/dev/null || true
  rm -rf "$VARNHOLT_PG_DIR"
}

stop_services() {
  local s
  for s in "${VARNHOLT_SERVICES_STARTED[@]}"; do
    "stop_$s" || true
  done
}
