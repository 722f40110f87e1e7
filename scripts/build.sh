#!/usr/bin/env bash
# Configures and builds one preset (default: dev).
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
if command -v ccache >/dev/null; then export CMAKE_CXX_COMPILER_LAUNCHER=ccache; fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
