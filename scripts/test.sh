#!/usr/bin/env bash
# Sets up, builds and runs every test: the main tree (gcc, with the sanitizer flavours
# built beside the plain targets), the embedded resources once more with Unix Makefiles
# (compared with the main tree's) and the fuzzing tree (clang, libFuzzer).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)
status=0

bash scripts/build.sh
ctest --test-dir build --output-on-failure -j "$jobs" || status=1
bash scripts/check-resources-makefiles.sh || status=1

if [ -d tests/fuzz ]; then
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTANGLEFIX_FUZZ=ON >/dev/null
    cmake --build build-fuzz -j "$jobs"
    ctest --test-dir build-fuzz --output-on-failure -j "$jobs" || status=1
fi

exit $status
