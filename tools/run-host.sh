#!/bin/sh
# Builds the plugin, the API library and the terminal robot host (Linux preset) and starts a
# chat session in this terminal. Run as root on a fresh Debian machine, it first installs what
# the build needs. Extra arguments go to robothost (see `tools/run-host.sh --help`); with
# standard input from a file or a pipe the host runs the lines as a script.
set -e
caller=$(pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/install-deps.sh >&2  # standard output stays the chat's
log=$(mktemp)
trap 'rm -f "$log"' EXIT
echo "正在构建插件和 robothost（build/linux）……" >&2
if ! { cmake --preset linux && cmake --build --preset linux --target robothost cqp_module cqapi; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "构建失败，详见上面的输出。" >&2
  exit 1
fi
rm -f "$log"
trap - EXIT
cd "$caller"  # paths given to --plugin or --script are the caller's
exec "$root/build/linux/robothost" "$@"
