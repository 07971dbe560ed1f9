#!/usr/bin/env bash
# The snapshot tool draws off screen only: it must not load SDL, which only a program with a
# screen links. Usage: loads_no_sdl_test.sh PROGRAM
set -euo pipefail

program=$1
libraries=$(ldd "$program")
if grep -i 'libSDL2' <<<"$libraries"; then
    echo "$program loads SDL" >&2
    exit 1
fi
echo "$(wc -l <<<"$libraries") libraries, none of them SDL"
