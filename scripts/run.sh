#!/usr/bin/env bash
# Sets up, builds and starts Норвена on the demo course in course/. It builds
# build/ as test.sh does (warnings as errors), so that either command after
# the other rebuilds only what changed.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

cd "$NORVENA_ROOT/course"
# The embedded browser refuses to start its sandbox for the root user.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting Норвена on a virtual screen (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$NORVENA_BUILD/norvena"
fi
exec "$NORVENA_BUILD/norvena"
