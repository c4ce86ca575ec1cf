#!/usr/bin/env bash
# Sets up, builds (warnings are errors) and runs the whole test suite.
set -euo pipefail
export NORVENA_WERROR=ON
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

cd "$NORVENA_BUILD"
ctest --output-on-failure --timeout 600 "$@"
