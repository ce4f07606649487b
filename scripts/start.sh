#!/usr/bin/env bash
# Sets everything up, builds Quillo and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset release
cmake --build --preset release -j "$(nproc)"
exec build/release/src/quillo "$@"
