#!/bin/sh
# Builds the plugin and the terminal robot host (Linux preset) and starts a chat session.
# Extra arguments go to robothost (see `robothost --help`).
set -e
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target robothost cqp_module cqapi >/dev/null
exec build/linux/robothost "$@"
