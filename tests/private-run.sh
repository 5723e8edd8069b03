#!/usr/bin/env bash
# Runs a command with private folders: a fresh, empty /opt (JUCE's common documents
# folder on Linux) and a temporary HOME, both gone when the command ends, in a private
# network namespace that has only the loopback interface, so nothing a test starts can
# reach another machine. With --display it also starts a private Xvfb. The real /opt and
# home folder are never touched.
set -euo pipefail

display=0
if [ "${1:-}" = "--display" ]; then display=1; shift; fi

if [ -z "${TANGLEFIX_IN_PRIVATE_NS:-}" ]; then
    export TANGLEFIX_IN_PRIVATE_NS=1
    exec unshare --mount --net --propagation private -- "$0" $([ $display = 1 ] && echo --display) "$@"
fi

ip link set lo up

scratch=$(mktemp -d)
trap 'umount /opt 2>/dev/null || true; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/opt" "$scratch/home" "$scratch/tmp"
mount --bind "$scratch/opt" /opt
export HOME="$scratch/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config"
export TANGLEFIX_TEST_TMP="$scratch/tmp"

if [ $display = 1 ]; then
    # Every X server compiles its keymap into the same file under /var/lib/xkb, named
    # before the display number is known: servers that start together overwrite each
    # other's and fail. Each gets a folder of its own.
    if [ -d /var/lib/xkb ]; then
        mkdir -p "$scratch/xkb"
        mount --bind "$scratch/xkb" /var/lib/xkb
    fi

    # Xvfb takes the first free display number itself, under its lock file: tests that
    # start together never share a server, so none loses its display when another ends.
    # -noreset: a server whose last client leaves would otherwise reset, refusing
    # connections for a moment and forgetting its atoms, between two clients of a test.
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true; umount /var/lib/xkb 2>/dev/null || true; umount /opt 2>/dev/null || true; rm -rf "$scratch"' EXIT

    # On a loaded machine the server can take seconds to start: wait up to a minute for
    # it, and say so when it never came rather than run the test without a display.
    for _ in $(seq 600); do
        grep -q . "$scratch/display" 2>/dev/null && break
        kill -0 $xvfb 2>/dev/null || break
        sleep 0.1
    done

    if ! grep -q . "$scratch/display" 2>/dev/null; then
        echo "private-run.sh: Xvfb did not start" >&2
        exit 1
    fi

    export DISPLAY=":$(head -n 1 "$scratch/display")"
fi

"$@"
