#!/usr/bin/env bash
# Builds the Debian package of Tavrin (Release, with Debian's hardening flags) and checks it with
# lintian. The package lands in build/package/; install it with: sudo apt install ./build/package/tavrin_*.deb
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
ensure_packages "${RUN_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVRIN_TESTS=OFF "${launcher[@]}" \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
rm -f build/package/tavrin_*.deb
cmake --build build/package --parallel "${JOBS:-$(nproc)}" --target package
deb=$(ls build/package/tavrin_*.deb)

# Errors fail the build; warnings are shown.
lintian --fail-on error --info "$deb"
echo "$deb"
