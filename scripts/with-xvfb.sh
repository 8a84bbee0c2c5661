#!/usr/bin/env bash
# Runs one command with an Xvfb of its own as DISPLAY, e.g.
#   scripts/with-xvfb.sh ctest --test-dir build -L gl
set -euo pipefail
source "$(dirname "$0")/xvfb.sh"
start_xvfb
status=0
"$@" || status=$?
exit "$status"
