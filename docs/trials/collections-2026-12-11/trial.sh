#!/bin/bash
# Collections tried as a new user would: openbox under Xvfb, the real program with a fresh home. Make a
# collection from the tree's context menu, drag a clip into it, rename it, restart, and look again.
# usage: trial.sh PROGRAM OUTDIR
set -u
PROG=$1; OUT=$2; mkdir -p "$OUT"
export DISPLAY=:81
Xvfb :81 -screen 0 1400x900x24 -noreset >/dev/null 2>&1 & XV=$!
for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export HOME=$(mktemp -d /tmp/bxtrial.XXXX); export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
export NO_AT_BRIDGE=1
mkdir -p $XDG_CONFIG_HOME/Quorvanti
# The explorer view at a known place, so that the pointer can find the tree's rows.
printf '# Brindlex settings store, format 1\n[Software/Quorvanti/Brindlex5/Position]\nCurrentSnap=5\n' > $XDG_CONFIG_HOME/Quorvanti/Brindlex5.conf
openbox >/dev/null 2>&1 & OB=$!
sleep 1
shot() { import -window root "$OUT/$1.png"; }
waitwin() { for i in $(seq 150); do w=$(xdotool search --onlyvisible --class "$1" 2>/dev/null | head -1); [ -n "$w" ] && { echo $w; return; }; sleep 0.2; done; }
start() {
  "$PROG" --default-data-dir >>"$OUT/program.log" 2>&1 & BX=$!
  W=$(waitwin brindlex); sleep 2
  xdotool windowmove --sync $W 0 0; xdotool windowsize --sync $W 1000 650; xdotool windowactivate --sync $W; sleep 1
}
# The tree's rows: the client area's origin plus the row's place (measured on the screenshots).
row() { echo $((60)) $((${TREE_Y0} + $1 * ${ROW_H})); }
TREE_Y0=${TREE_Y0:-93}; ROW_H=${ROW_H:-17} # rows at 93, 110, 127, 144 hit the nodes at this size
start
for t in "a recipe for bread" "a note to keep" "the newest copy"; do printf '%s' "$t" | xclip -selection clipboard -i; sleep 1.2; done
shot 00-three-clips
# Rows: 0 My Clips, 1 Short-Term, 2 Long-Term, 3 Trash Can, 4 Search Results.
read X Y < <(row 0); xdotool mousemove $X $Y click 3; sleep 0.8; shot 10-context-menu-on-my-clips
xdotool key n; sleep 1; shot 11-new-collection-prompt
xdotool key ctrl+a; xdotool type "Recipes"; xdotool key Return; sleep 1; shot 12-properties-of-the-new-collection
xdotool key Return; sleep 1; shot 13-recipes-made
# Back to Short-Term; drag its oldest clip (the bread) onto Recipes.
read X Y < <(row 1); xdotool mousemove $X $Y click 1; sleep 1; shot 20-short-term
LIST_X=${LIST_X:-400}; LIST_Y=${LIST_Y:-$((TREE_Y0 + 2 * ROW_H + 10))}
echo "${LIST_X} ${LIST_Y}" > "$OUT/drag-from.txt"
read RX RY < <(row 3)
xdotool mousemove $LIST_X $LIST_Y click 1; sleep 0.5
xdotool mousedown 1; for s in $(seq 1 15); do xdotool mousemove $((LIST_X - (LIST_X - RX) * s / 15)) $((LIST_Y - (LIST_Y - RY) * s / 15)); sleep 0.05; done
sleep 0.3; xdotool mouseup 1; sleep 1; shot 21-after-the-drag
# Rename Recipes to "Cooking" in its properties.
read X Y < <(row 3); xdotool mousemove $X $Y click 3; sleep 0.8; xdotool key p; sleep 1; shot 30-properties
xdotool key alt+t; xdotool key ctrl+a; xdotool type "Cooking"; sleep 0.3; shot 31-new-title
xdotool key Return; sleep 1; shot 32-rename-message
xdotool key Return; sleep 1; shot 33-renamed
kill -TERM $BX; wait $BX
ls -R $XDG_DATA_HOME > "$OUT/data-after-first-run.txt"
start
read X Y < <(row 3); xdotool mousemove $X $Y click 1; sleep 1; shot 40-after-restart-cooking
kill -TERM $BX; wait $BX; kill $OB; kill $XV
