#!/usr/bin/env bash
# How long a small command takes as a whole process, start to end (`quillbox hex2dec 1F`), beside
# `printf` from coreutils doing the same conversion.
RUNS=${RUNS:-21}
. "$(dirname "$0")/common.sh"
race "start-up: one small command" \
    "quillbox hex2dec 1F" : "$QB hex2dec 1F" \
    "/usr/bin/printf '%d' 0x1F" : "/usr/bin/printf '%d' 0x1F"
