#!/bin/bash
# Installs a build into a temporary prefix and builds and runs the consumer
# project in tests/consumer against the installed copy, once through
# find_package(quorvel) and once through pkg-config with a plain compiler.
#     bash scripts/consumer-test.sh [build directory, default build/release]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null
for f in include/quorvel.h; do [ -f "$prefix/$f" ] || { echo "consumer: $f not installed"; exit 1; }; done
lib=$(find "$prefix" -name 'libquorvel.so.*.*' | head -1)
[ -n "$lib" ] || { echo "consumer: libquorvel.so.MAJOR.MINOR not installed"; exit 1; }
soname=$(objdump -p "$lib" | awk '$1 == "SONAME" { print $2 }')
[ -n "$soname" ] && [ -e "$(dirname "$lib")/$soname" ] && [ -e "$(dirname "$lib")/libquorvel.so" ] ||
  { echo "consumer: $lib lacks its SONAME ($soname) or its links"; exit 1; }

echo "--- find_package(quorvel)"
cmake -S tests/consumer -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/cmake" >/dev/null
"$work/cmake/quorvel_consumer"

echo "--- pkg-config quorvel"
pcdir=$(dirname "$(find "$prefix" -name quorvel.pc | head -1)")
export PKG_CONFIG_PATH=$pcdir
libdir=$(pkg-config --variable=libdir quorvel)
# shellcheck disable=SC2046
${CC:-cc} -std=c99 -Wall -Werror tests/consumer/main.c -o "$work/pc_consumer" $(pkg-config --cflags --libs quorvel) \
  -Wl,-rpath,"$libdir"
"$work/pc_consumer"
echo "consumer: built and ran through find_package and through pkg-config"
