#!/usr/bin/env bash
# Builds the embedded resources again with Unix Makefiles, into build-make/, and compares
# the code they compile to with build/'s (Ninja): Make runs a command only when its output
# is older than its inputs, and a generator that skips one embeds a stale or empty file.
# Then, in both trees, makes the files to embed newer without changing them and builds
# twice: the second build must do nothing, or every build of that tree embeds again.
# Only the resource targets are built, with build/'s tanglefix_art, so this takes seconds.
# Needs a built build/.
set -euo pipefail
cd "$(dirname "$0")/.."

art=build/ui/resources/tanglefix_art
targets=(tanglefix_ui_fonts tanglefix_ui_art)

if [ ! -x "$art" ]; then
    echo "check-resources-makefiles: build/ has no $art; build it first" >&2
    exit 1
fi

cmake -S . -B build-make -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTANGLEFIX_ART_PROGRAM="$PWD/$art" >/dev/null
cmake --build build-make -j "$(nproc)" --target "${targets[@]}" >/dev/null

# input_file_list names each tree's own paths; everything else must match byte for byte.
status=0
for target in "${targets[@]}"; do
    code=ui/resources/juce_binarydata_$target/JuceLibraryCode
    diff -rq --exclude=input_file_list "build/$code" "build-make/$code" || status=1
done

[ $status -eq 0 ] && echo "check-resources-makefiles: Unix Makefiles embed the same resources as Ninja"

# Touches the files a tree embeds from its own folder (the subset typefaces, the drawn
# pictures), as a rebuild that changes no content leaves them, then builds twice. Both
# generators print a progress line for every command they run; Ninja's check of the
# source globs runs every time and is no work.
settles() {
    local tree=$1 target file second

    for target in "${targets[@]}"; do
        while IFS= read -r file; do
            case $file in "$PWD/$tree"/*) touch "$file" ;; esac
        done < "$tree/ui/resources/juce_binarydata_$target/JuceLibraryCode/input_file_list"
    done

    cmake --build "$tree" -j "$(nproc)" --target "${targets[@]}" >/dev/null
    second=$(cmake --build "$tree" -j "$(nproc)" --target "${targets[@]}" | grep -E '^\[ *[0-9]+(%|/[0-9]+)\] ' \
        | grep -v -e 'Built target' -e 'Re-checking globbed directories' || true)

    if [ -n "$second" ]; then
        echo "check-resources-makefiles: a second build of $tree/ after unchanged files were touched still works:" >&2
        echo "$second" >&2
        return 1
    fi
}

for tree in build-make build; do
    settles "$tree" || status=1
done

[ $status -eq 0 ] && echo "check-resources-makefiles: a second build does nothing with either generator"
exit $status
