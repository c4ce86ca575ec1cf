#!/usr/bin/env bash
# Sets up, builds (warnings are errors) and runs the whole test suite; then
# builds it again with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-sanitize/ and runs it there as well, so that a memory fault or
# undefined behaviour fails the run. NORVENA_SANITIZE=OFF leaves out the
# second build. Arguments are passed on to ctest.
set -euo pipefail
# The tests always build with warnings as errors (as run.sh builds by default).
export NORVENA_WERROR=ON
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

cd "$NORVENA_BUILD"
ctest --output-on-failure --timeout 600 "$@"

if [ "${NORVENA_SANITIZE:-ON}" != "OFF" ]; then
    NORVENA_SANITIZE_BUILD="$NORVENA_ROOT/build-sanitize"
    cmake -S "$NORVENA_ROOT" -B "$NORVENA_SANITIZE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DNORVENA_WERROR=ON -DNORVENA_SANITIZE=ON -DNORVENA_BENCHMARKS=OFF
    cmake --build "$NORVENA_SANITIZE_BUILD" -j"$(nproc)"
    cd "$NORVENA_SANITIZE_BUILD"
    ctest --output-on-failure --timeout 600 "$@"
fi
