#!/usr/bin/env bash
# Sets everything up, builds in Release, and runs the conversion benchmark on a log of 1,000,000 records.
# Extra arguments go to the benchmark (--records N, --runs N, --dir DIR, --viewer for the output viewer's part only).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DZENTU_BUILD_TESTS=OFF
cmake --build build -j2 --target zentu_bench Hamlog50 Thdll2Vb
build/bin/zentu_bench "$@"
