#!/usr/bin/env bash
# The game's model (record, notation, files, PDN and FEN, library, draw rules, clock)
# calls nothing of the session that drives play, so that it can be read, saved and
# tested alone: no model file includes a session header.
set -uo pipefail
source_dir=$1
model="record notation pdn fen gamefiles filewriting book drawrules timecontrol"
session="controller moveentry setup analysis hint strength tables filecommands trainer"
failures=0
for m in $model; do
    for file in "$source_dir/game/$m.h" "$source_dir/game/$m.cpp"; do
        [ -e "$file" ] || { echo "FAIL: $file is missing"; failures=$((failures + 1)); continue; }
        for s in $session; do
            if grep -q "#include \"game/$s.h\"" "$file"; then
                echo "FAIL: game/$(basename "$file") includes the session's game/$s.h"
                failures=$((failures + 1))
            fi
        done
    done
done
[ "$failures" = 0 ] && echo "layering: ok"
exit $((failures > 0))
