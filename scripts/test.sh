#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UBSan, starts the services the
# tests use and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh asan
# shellcheck source=scripts/services.sh
source scripts/services.sh
start_services
trap stop_services EXIT
ctest --preset asan "$@"
