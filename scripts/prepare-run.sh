#!/usr/bin/env bash
# Prepares the folder the program runs in: the opening library, the move sound, the
# trainer's combinations, the endgame tables and a korvel.ini pointing at them. Tables
# that are already there with the right sizes are kept; making them takes about half
# a minute on two cores.
#   scripts/prepare-run.sh BUILD_DIR RUN_DIR [PROGRAM]
# With PROGRAM it then starts that program in RUN_DIR; preparing and starting are one
# process so that Ctrl+C during the tables skips them and the program still starts.
set -u
build=$(cd "$1" && pwd)
run=$2
mkdir -p "$run"
run=$(cd "$run" && pwd)
cli="$build/korvel-cli"
source_dir=$(cd "$(dirname "$0")/.." && pwd)

cp -f "$build/MyBase.deb" "$run/MyBase.deb"
cp -f "$source_dir/data/move.wav" "$run/move.wav"
cp -f "$source_dir/data/puzzles.txt" "$run/puzzles.txt"

write_ini() {
  # Written fresh each time, so that a moved folder still finds its tables.
  printf 'hashsize=64\negtbpath=%s/egtb/\nEGTBPieses=%s\n' "$run" "$1" > "$run/korvel.ini"
}

start() {
  if [ -n "$program" ]; then
    cd "$run" && exec "$program"
  fi
  exit 0
}
program=""
if [ $# -ge 3 ]; then program=$(cd "$(dirname "$3")" && pwd)/$(basename "$3"); fi

if "$cli" egtb check "$run/egtb" >/dev/null 2>&1; then
  write_ini 5
  start
fi

echo "Making the endgame tables of up to five pieces in $run/egtb (Ctrl+C skips them) ..."
rm -rf "$run/egtb.tmp"
mkdir -p "$run/egtb.tmp"
interrupted=0
trap 'interrupted=1' INT
"$cli" egtb build "$run/egtb.tmp" --pieces 5 &
builder=$!
wait $builder
status=$?
if [ $interrupted -eq 1 ]; then
  kill $builder 2>/dev/null
  wait $builder 2>/dev/null
fi
trap - INT
if [ $interrupted -eq 0 ] && [ $status -eq 0 ] && "$cli" egtb check "$run/egtb.tmp" >/dev/null; then
  rm -rf "$run/egtb"
  mv "$run/egtb.tmp" "$run/egtb"
  write_ini 5
else
  rm -rf "$run/egtb.tmp"
  echo "The endgame tables were not made; the program starts without them."
  write_ini 0
fi
start
