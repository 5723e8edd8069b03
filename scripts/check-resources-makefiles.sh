#!/usr/bin/env bash
# Builds the embedded resources again with Unix Makefiles, into build-make/, and compares
# the code they compile to with build/'s (Ninja): Make runs a command only when its output
# is older than its inputs, and a generator that skips one embeds a stale or empty file.
# Only the resource targets are built, with build/'s tanglefix_art, so this takes seconds.
# Needs a built build/.
set -euo pipefail
cd "$(dirname "$0")/.."

art=build/ui/resources/tanglefix_art
if [ ! -x "$art" ]; then
    echo "check-resources-makefiles: build/ has no $art; build it first" >&2
    exit 1
fi

cmake -S . -B build-make -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTANGLEFIX_ART_PROGRAM="$PWD/$art" >/dev/null
cmake --build build-make -j "$(nproc)" --target tanglefix_ui_fonts tanglefix_ui_art >/dev/null

# input_file_list names each tree's own paths; everything else must match byte for byte.
status=0
for target in tanglefix_ui_fonts tanglefix_ui_art; do
    code=ui/resources/juce_binarydata_$target/JuceLibraryCode
    diff -rq --exclude=input_file_list "build/$code" "build-make/$code" || status=1
done

[ $status -eq 0 ] && echo "check-resources-makefiles: Unix Makefiles embed the same resources as Ninja"
exit $status
