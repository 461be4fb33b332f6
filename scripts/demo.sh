#!/bin/bash
# Builds the library and the demo, and renders the gallery to out/.
set -euo pipefail
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)" --target quorvel_demo
mkdir -p out
build/release/tools/demo/quorvel-demo out
