#!/bin/bash
# Flashpick tried as a new user would: openbox + trayer under Xvfb, the real program, real editors.
# usage: trial.sh PROGRAM OUTDIR
set -u
PROG=$1; OUT=$2; mkdir -p "$OUT"
export DISPLAY=:77
Xvfb :77 -screen 0 1600x1000x24 -noreset >/dev/null 2>&1 & XV=$!
for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export HOME=$(mktemp -d /tmp/bxtrial.XXXX); export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
export NO_AT_BRIDGE=1
openbox >/dev/null 2>&1 & OB=$!
sleep 1
trayer --edge top --align right --widthtype pixel --width 120 --height 28 >/dev/null 2>&1 & TR=$!
"$PROG" --default-data-dir >"$OUT/program.log" 2>&1 & BX=$!
shot() { import -window root "$OUT/$1.png"; }
waitwin() { for i in $(seq 100); do w=$(xdotool search --onlyvisible --class "$1" 2>/dev/null | tail -1); [ -n "$w" ] && { echo $w; return; }; sleep 0.2; done; }
sleep 4
for t in "clip one: the oldest" "clip two" "clip three: the newest"; do printf '%s' "$t" | xclip -selection clipboard -i; sleep 1.2; done
shot 00-program-with-three-clips
pick() { # window, name
  xdotool windowactivate --sync "$1"; sleep 0.5
  xdotool key shift+ctrl+q; sleep 1.0; shot "$2-1-pick-layout"
  xdotool key Down; sleep 0.2; xdotool key Down; sleep 0.4; shot "$2-2-third-row-picked"
  xdotool key Return; sleep 1.5; shot "$2-3-pasted"
  echo "$2: focus after paste: $(xdotool getwindowfocus getwindowname)" >> "$OUT/result.txt"
}
mousepad >/dev/null 2>&1 & MP=$!; W=$(waitwin mousepad); sleep 1
xdotool windowactivate --sync $W; xdotool type "mousepad: ["; xdotool type "]"; xdotool key Left
pick $W 10-mousepad
featherpad >/dev/null 2>&1 & FP=$!; W=$(waitwin featherpad); sleep 1.5
xdotool windowactivate --sync $W; xdotool type "featherpad: ["; xdotool type "]"; xdotool key Left
pick $W 20-featherpad
xfce4-terminal --disable-server -x bash -c "cat > $OUT/terminal-received.txt" >/dev/null 2>&1 & XT=$!; W=$(waitwin xfce4-terminal); sleep 1.5
pick $W 30-xfce4-terminal
xdotool key Return; sleep 0.3; xdotool key ctrl+d; sleep 0.5
echo "terminal received: $(cat $OUT/terminal-received.txt)" >> "$OUT/result.txt"
kill $MP $FP $XT 2>/dev/null
for T in lxterminal xterm; do
  case $T in
    lxterminal) lxterminal -e bash -c "cat > $OUT/$T-received.txt" >/dev/null 2>&1 & XT=$!; W=$(waitwin lxterminal);;
    xterm) xterm -e bash -c "cat > $OUT/$T-received.txt" >/dev/null 2>&1 & XT=$!; W=$(waitwin xterm);;
  esac
  sleep 1.5; pick $W 40-$T
  xdotool key Return; sleep 0.3; xdotool key ctrl+d; sleep 0.5
  echo "$T received: $(cat $OUT/$T-received.txt)" >> "$OUT/result.txt"
  kill $XT 2>/dev/null
done
sleep 0.5
kill -TERM $BX; wait $BX; kill $TR $OB; kill $XV
