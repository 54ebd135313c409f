#!/bin/sh
# The long run of the profile store's kill test: a writer killed with SIGKILL at random moments,
# the file checked after every kill. CI runs 1,000 kills; this runs as many as asked.
# Usage: tools/profile-kill-test.sh [kills]   (default 100000; build dir: build/linux)
set -e
cd "$(dirname "$0")/.."
build=${CQP_BUILD_DIR:-build/linux}
[ -f "$build/CMakeCache.txt" ] || cmake --preset linux -B "$build" >/dev/null
cmake --build "$build" -j2 --target platform_profile_kill_test
CQP_PROFILE_KILL_TRIALS=${1:-100000} "$build/tests/platform/platform_profile_kill_test"
