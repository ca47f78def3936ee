#!/bin/bash
# Help tried as a new user would: openbox under Xvfb, the real program, the desktop's real handler
# (xdg-open, which hands HTML to chromium here). usage: trial.sh PROGRAM OUTDIR
set -u
PROG=$1; OUT=$2; mkdir -p "$OUT"
export DISPLAY=:78
Xvfb :78 -screen 0 1600x1000x24 -noreset >/dev/null 2>&1 & XV=$!
for i in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
export HOME=$(mktemp -d /tmp/bxtrial.XXXX); export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
export XDG_RUNTIME_DIR=$HOME/run; mkdir -m 700 -p $XDG_RUNTIME_DIR
export NO_AT_BRIDGE=1
# The machine runs everything as root, where chromium needs --no-sandbox: the fresh home gets a desktop
# entry for it and makes it the handler of HTML, as a user would pick a browser.
mkdir -p $XDG_DATA_HOME/applications
printf '[Desktop Entry]\nType=Application\nName=Chromium (trial)\nExec=chromium --no-sandbox --no-first-run --password-store=basic %%U\nMimeType=text/html;\n' \
  > $XDG_DATA_HOME/applications/chromium-trial.desktop
xdg-mime default chromium-trial.desktop text/html
echo "HTML handler: $(xdg-mime query default text/html)" > "$OUT/result.txt"
openbox >/dev/null 2>&1 & OB=$!
sleep 1
"$PROG" --default-data-dir >"$OUT/program.log" 2>&1 & BX=$!
shot() { import -window root "$OUT/$1.png"; }
waitwin() { for i in $(seq 150); do w=$(xdotool search --onlyvisible --class "$1" 2>/dev/null | tail -1); [ -n "$w" ] && { echo $w; return; }; sleep 0.2; done; }
W=$(waitwin brindlex); sleep 2
xdotool windowactivate --sync $W; xdotool key F1
C=$(waitwin chromium); sleep 4; shot 10-f1-in-traditional-view
echo "F1 traditional view, browser: $(xdotool getwindowname $C)" >> "$OUT/result.txt"
cat $XDG_RUNTIME_DIR/brindlex/help.html | grep -o 'url=[^"]*' >> "$OUT/result.txt"
xdotool windowactivate --sync $W; xdotool key ctrl+e; sleep 1; xdotool key F1; sleep 4
shot 20-f1-in-explorer-view
echo "F1 explorer view, browser: $(xdotool getwindowname $(xdotool search --onlyvisible --class chromium | tail -1))" >> "$OUT/result.txt"
cat $XDG_RUNTIME_DIR/brindlex/help.html | grep -o 'url=[^"]*' >> "$OUT/result.txt"
pkill -f "chromium.*$HOME" ; pkill chromium; sleep 0.5
kill -TERM $BX; wait $BX; kill $OB; kill $XV
