#!/bin/bash
# Glue and line-break removal tried as a new user would: openbox under Xvfb, the real program, chromium showing
# a PDF made from notes.html, mousepad as the text editor. Copy the PDF's text, remove its line breaks, copy a
# second text in mousepad, glue the two clips and paste the result into mousepad.
# usage: trial.sh PROGRAM OUTDIR
set -u
PROG=$1; OUT=$(realpath -m "$2"); HERE=$(cd "$(dirname "$0")" && pwd); mkdir -p "$OUT"
export DISPLAY=:78
Xvfb :78 -screen 0 1920x1080x24 -noreset >/dev/null 2>&1 & XV=$!
for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export HOME=$(mktemp -d /tmp/bxtrial.XXXX); export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
export NO_AT_BRIDGE=1
mkdir -p $XDG_CONFIG_HOME/Quorvanti $XDG_DATA_HOME
printf '# Brindlex settings store, format 1\n[Software/Quorvanti/Brindlex5/Position]\nCurrentSnap=5\n' > $XDG_CONFIG_HOME/Quorvanti/Brindlex5.conf
chromium --headless --no-sandbox --disable-gpu --no-pdf-header-footer --print-to-pdf=$HOME/notes.pdf \
  "file://$HERE/notes.html" >/dev/null 2>&1
openbox >/dev/null 2>&1 & OB=$!
sleep 1
shot() { import -window root "$OUT/$1.png"; }
waitwin() { for i in $(seq 150); do w=$(xdotool search --onlyvisible --class "$1" 2>/dev/null | head -1); [ -n "$w" ] && { echo $w; return; }; sleep 0.2; done; }
note() { echo "$*" >> "$OUT/result.txt"; }
: > "$OUT/result.txt"
"$PROG" --default-data-dir >>"$OUT/program.log" 2>&1 & BX=$!
W=$(waitwin brindlex); sleep 3
xdotool windowmove --sync $W 0 0; xdotool windowsize --sync $W 1000 650
chromium --no-sandbox --no-first-run --password-store=basic --user-data-dir=$HOME/chromium \
  --window-position=1000,0 --window-size=920,700 "file://$HOME/notes.pdf" >/dev/null 2>&1 & CR=$!
C=$(waitwin chromium); sleep 5
# Copy the PDF's text: click into the page, select all, copy.
xdotool mousemove 1400 300 click 1; sleep 0.5; xdotool key ctrl+a; sleep 0.5; xdotool key ctrl+c; sleep 2
note "PDF copied from chromium: $(xclip -o -selection clipboard | od -c | head -3 | tr -s ' ')"
shot 10-pdf-text-captured
# Remove the line breaks of the clip just captured: Edit > Remove Line Breaks.
xdotool windowactivate --sync $W; sleep 0.5
xdotool key alt+e; sleep 0.7; shot 20-edit-menu
xdotool key e; sleep 1; shot 21-line-breaks-removed
# A second text, copied in the text editor.
mousepad >/dev/null 2>&1 & MP=$!
M=$(waitwin mousepad); sleep 2
xdotool windowmove --sync $M 1000 720; xdotool windowsize --sync $M 900 340; xdotool windowactivate --sync $M; sleep 0.5
xdotool type --delay 40 "Timetable: the ferry back leaves at 16:30."; sleep 0.3
xdotool key ctrl+a ctrl+c; sleep 2; xdotool key End Return Return; sleep 0.5
shot 30-second-text-captured
# Glue: the PDF's clip (second row) clicked, the editor's (first row) added with Shift, so the selection grows
# upward and the PDF's text comes first; then Ctrl+G.
xdotool windowactivate --sync $W; sleep 0.5
xdotool mousemove 300 169 click 1; sleep 0.5; xdotool keydown shift mousemove 300 150 click 1 keyup shift; sleep 0.7
shot 40-two-clips-selected
xdotool key ctrl+g; sleep 1.5; shot 41-glued
note "clipboard after glue: $(xclip -o -selection clipboard)"
# Paste into mousepad.
xdotool windowactivate --sync $M; sleep 0.5; xdotool key ctrl+End ctrl+v; sleep 1; shot 50-pasted-into-mousepad
note "mousepad window: $(xdotool getwindowname $M)"
kill -TERM $BX; wait $BX; kill $MP $CR 2>/dev/null; kill $OB; kill $XV
