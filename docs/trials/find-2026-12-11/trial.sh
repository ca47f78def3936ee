#!/bin/bash
# Finding a clip among 20,000 tried as a new user would: openbox under Xvfb, the real program on a copy of the
# bench's W20k workload (bench/run W20k makes it). Type a few letters from the middle of a word into the
# filter, delete the clip found, and find it in the Trash Can. usage: trial.sh PROGRAM W20K_ROOT OUTDIR
set -u
PROG=$1; W20K=$2; OUT=$3; mkdir -p "$OUT"
export DISPLAY=:82
Xvfb :82 -screen 0 1400x900x24 -noreset >/dev/null 2>&1 & XV=$!
for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export HOME=$(mktemp -d /tmp/bxtrial.XXXX); export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
export NO_AT_BRIDGE=1
mkdir -p $XDG_CONFIG_HOME/Quorvanti $XDG_DATA_HOME && cp -r "$W20K/share/." $XDG_DATA_HOME/
printf '# Brindlex settings store, format 1\n[Software/Quorvanti/Brindlex5/Position]\nCurrentSnap=5\n' > $XDG_CONFIG_HOME/Quorvanti/Brindlex5.conf
openbox >/dev/null 2>&1 & OB=$!
sleep 1
shot() { import -window root "$OUT/$1.png"; }
waitwin() { for i in $(seq 150); do w=$(xdotool search --onlyvisible --class "$1" 2>/dev/null | head -1); [ -n "$w" ] && { echo $w; return; }; sleep 0.2; done; }
"$PROG" --default-data-dir >>"$OUT/program.log" 2>&1 & BX=$!
W=$(waitwin brindlex); sleep 3
xdotool windowmove --sync $W 0 0; xdotool windowsize --sync $W 1000 650; xdotool windowactivate --sync $W; sleep 1
# Tree rows at this size: 0 My Clips (93), 1 Coll00 (110), 2 Trash Can (127), 3 Search Results (144).
xdotool mousemove 60 110 click 1; sleep 2; shot 10-twenty-thousand-clips
xdotool key ctrl+k; sleep 0.3; xdotool type --delay 120 "pzeme ye"; sleep 1; shot 20-filtered
xdotool key Down; sleep 0.5; shot 21-the-clip-selected
xdotool key Delete; sleep 1.5; shot 30-asked-first
# The workload's collection is a safe one, so deleting asks first.
xdotool key Return; sleep 1.5; shot 31-deleted
xdotool key ctrl+k Escape; sleep 1; shot 32-filter-cleared
xdotool mousemove 60 127 click 1; sleep 1.5; shot 40-in-the-trash-can
kill -TERM $BX; wait $BX; kill $OB; kill $XV
