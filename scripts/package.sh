#!/usr/bin/env bash
# Builds the Debian package of Норвена for the lab PCs: a release build in
# build-deb/ with Debian's compiler and linker flags (hardening), packaged by
# CPack and checked by lintian. Only what the package holds is built (not the
# tests). The package is left in build-deb/:
#   build-deb/norvena_<version>_<arch>.deb
set -euo pipefail
NORVENA_PACKAGES_ONLY=1 source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"

PACKAGE_BUILD="$NORVENA_ROOT/build-deb"
if [ -n "$(git -C "$NORVENA_ROOT" status --porcelain -- course 2>/dev/null)" ]; then
    echo "Note: course/ differs from the repository; the package's demo course takes these files as they are:" >&2
    git -C "$NORVENA_ROOT" status --short -- course >&2
fi

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake "${launcher[@]}" -S "$NORVENA_ROOT" -B "$PACKAGE_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_SHARED_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$PACKAGE_BUILD" -j"$(nproc)" --target norvena norvena_start norvena_webview norvena_install_files
(cd "$PACKAGE_BUILD" && cpack -G DEB)
deb=$(ls "$PACKAGE_BUILD"/norvena_*.deb)
lintian --fail-on error "$deb"
echo "Package: $deb"
