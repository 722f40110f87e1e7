#!/usr/bin/env bash
# Services the tests talk to for real. Each start_* exports what the tests
# need to find its service; stop_services ends what was started here.
VARNHOLT_SERVICES_STARTED=()

start_services() {
  :
}

stop_services() {
  local s
  for s in "${VARNHOLT_SERVICES_STARTED[@]}"; do
    "stop_$s" || true
  done
}
