#!/usr/bin/env bash
# Builds the Debian packages kzo-assistant and kzo-assistant-tools into build/
# (Release), checks them with lintian (errors fail the script, warnings are
# shown) and prints the package files' paths.
#   sudo apt-get install ./build/kzo-assistant_*.deb ./build/kzo-assistant-tools_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/deps.sh

# What packaging needs beyond the build: dpkg-shlibdeps (dpkg-dev), the
# manual pages (help2man), the package check (lintian).
./scripts/deps.sh dpkg-dev help2man lintian file

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
# Only the programs, their manual pages and the changelog: the tests are
# ./test.sh's business.
cmake --build build -j "$(nproc)" --target kzo_package_inputs

rm -f build/kzo-assistant_*.deb build/kzo-assistant-tools_*.deb
(cd build && cpack -G DEB)
debs=(build/kzo-assistant_*.deb build/kzo-assistant-tools_*.deb)
for d in "${debs[@]}"; do
    [ -f "$d" ] || { echo "package missing: $d"; exit 1; }
done

# lintian exits non-zero on errors; warnings are only printed. The packages
# are not uploaded to Debian, so there is no ITP bug for a first upload to close.
echo "lintian:"
lintian --fail-on error --suppress-tags initial-upload-closes-no-bugs "${debs[@]}"
echo "lintian: no errors"

echo "packages:"
for d in "${debs[@]}"; do
    echo "  $(realpath "$d")"
done
