#!/usr/bin/env bash
# Services the tests talk to for real. Each start_* exports what the tests
# need to find its service; stop_services ends what was started here.
VARNHOLT_SERVICES_STARTED=()

start_services() {
  start_postgres
  start_cups
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

# A CUPS server of its own in a temporary folder, on a local socket, with one
# cups-pdf queue. Exports CUPS_SERVER (so Qt's printer list sees only this
# server), VARNHOLT_TEST_PRINTER (the queue) and VARNHOLT_TEST_PDF_DIR (where
# cups-pdf writes each job, named with its job number): the folder given as
# the first argument, kept when the server stops, or else one in the
# temporary folder.
start_cups() {
  local dir queue out
  dir=$(mktemp -d /tmp/varnholt-cups.XXXXXX) || return 1
  chmod 755 "$dir"
  out=${1:-$dir/pdf}
  mkdir -p "$dir"/{etc/ppd,spool/tmp,cache,state,log} "$out" || return 1
  chmod 1777 "$dir/spool/tmp"
  [[ -n "${1:-}" ]] || chmod 1777 "$out"
  queue=varnholt-${dir##*.}
  cat >"$dir/etc/cupsd.conf" <<CONF
Listen $dir/cups.sock
Browsing No
LogLevel warn
WebInterface No
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cat >"$dir/etc/cups-files.conf" <<CONF
ServerRoot $dir/etc
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
CONF
  # cups-pdf reads the settings of a queue named in its device address from
  # a file beside its own; that file is the only thing placed outside $dir.
  cat >"/etc/cups/cups-pdf-$queue.conf" <<CONF
Out $out
Label 2
AnonDirName $out
CONF
  VARNHOLT_CUPS_DIR=$dir
  VARNHOLT_CUPS_QUEUE=$queue
  VARNHOLT_SERVICES_STARTED+=(cups)
  /usr/sbin/cupsd -f -c "$dir/etc/cupsd.conf" -s "$dir/etc/cups-files.conf" &
  VARNHOLT_CUPS_PID=$!
  local i
  for i in $(seq 100); do
    [[ -S $dir/cups.sock ]] && break
    sleep 0.1
  done
  export CUPS_SERVER=$dir/cups.sock
  lpadmin -p "$queue" -E -v "cups-pdf:/$queue" -P /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd \
    2>"$dir/log/lpadmin.log" || { cat "$dir/log/lpadmin.log" "$dir/log/error_log" >&2; return 1; }
  lpadmin -d "$queue" || return 1
  export VARNHOLT_TEST_PRINTER=$queue
  export VARNHOLT_TEST_PDF_DIR=$out
}

stop_cups() {
  [[ -n "${VARNHOLT_CUPS_DIR:-}" ]] || return 0
  if [[ -n "${VARNHOLT_CUPS_PID:-}" ]]; then
    kill "$VARNHOLT_CUPS_PID" 2>/dev/null && wait "$VARNHOLT_CUPS_PID" 2>/dev/null
  fi
  rm -f "/etc/cups/cups-pdf-$VARNHOLT_CUPS_QUEUE.conf"
  rm -rf "$VARNHOLT_CUPS_DIR"
}

stop_services() {
  local s
  for s in "${VARNHOLT_SERVICES_STARTED[@]}"; do
    "stop_$s" || true
  done
}
