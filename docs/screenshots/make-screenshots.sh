#!/usr/bin/env bash
# Makes the pictures of this folder from the real program: an X server in memory (Xvfb) with a
# small window manager (openbox), the window driven by xdotool and captured with ImageMagick's
# import. Those tools are needed only here: apt-get install xvfb openbox xdotool imagemagick.
# Usage: docs/screenshots/make-screenshots.sh [BUILD_DIR]
set -euo pipefail
[ -n "${TRACE:-}" ] && set -x
here=$(cd "$(dirname "$0")" && pwd)
program=$(cd "${1:-$here/../../build}" && pwd)/bin/larkspire
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

export DISPLAY=:77 XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime
export LARKSPIRE_PROFILES=$work/profiles.ini
mkdir -m 0700 "$XDG_RUNTIME_DIR"
Xvfb "$DISPLAY" -screen 0 1000x700x24 -nolisten tcp &
pids+=($!)
sleep 1
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

maildir() { mkdir -p "$1/cur" "$1/new" "$1/tmp"; }
message() { # folder number subject
  printf 'From: Ada Example <ada@example.org>\r\nTo: me@example.org\r\nSubject: %s\r\nDate: Mon, 7 Dec 2026 09:%02d:00 +0000\r\n\r\nMessage %s.\r\n' \
    "$3" $(($2 % 60)) "$2" >"$1/cur/$2.screenshots:2,"
}
mail=$work/Maildir
maildir "$mail"
for folder in .Projects .Projects.Larkspire .Projects.Garden .Receipts .Lists .Lists.Debian; do
  maildir "$mail/$folder"
done
for i in 1 2 3 4 5 6 7; do message "$mail" "$i" "Weekly report $i"; done
big=$work/Big
maildir "$big"
for i in $(seq 1 20000); do message "$big" "$i" "Newsletter $i"; done
maildir "$work/Archive"
maildir "$work/Archive/.2025"
cat >"$LARKSPIRE_PROFILES" <<PROFILES
[Work]
default = true
store = Personal Folders, maildir:$mail, default
store = Archive, maildir:$work/Archive
[Newsletters]
store = Newsletters, maildir:$big, default
PROFILES
mkdir -p "$work/out" "$work/big-out"

job() { # file, then --set options
  local file=$1
  shift
  "$program" --console "$@" --set="Number format=%5.5d.txt" --set="First number=1" --save-as="$file" >/dev/null
}
job "$work/daily.lks" --set="Save folder=$work/out" --set="sort order=1"
job "$work/newsletters.lks" --set="Save folder=$work/big-out" --set=Profile=2 --set=profileName=Newsletters
job "$work/prompt.lks" --set="Save folder=$work/out" --set=Profile=1

window_named() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
shot() { # name window
  xdotool mousemove 999 699
  sleep 0.5
  import -window "$2" -frame "$here/$1.png"
}
click() { # window x y (inside the window)
  xdotool mousemove --window "$1" "$2" "$3" click 1
}
keys() { # window keys...
  local window=$1
  shift
  xdotool windowactivate --sync "$window" key --delay 80 "$@"
}
start() { # option file; sets main to its window
  "$program" "/F=$1" >"$work/window.log" 2>&1 &
  pids+=($!)
  main=$(window_named "$(basename "$1") - Larkspire")
}
quit() {
  kill "${pids[-1]}"
  unset 'pids[-1]'
  sleep 0.5
}

start "$work/daily.lks"
shot wizard-1-login "$main"
keys "$main" alt+2
shot wizard-2-email-folders "$main"
keys "$main" alt+3
shot wizard-3-output-files "$main"
keys "$main" alt+4
shot wizard-4-go "$main"
keys "$main" alt+g
status=$(window_named "Processing emails...")
shot status-after-run "$status"
keys "$status" Return
keys "$main" alt+2 alt+p Down Tab Tab space
chooser=$(window_named "Choose an email folder")
keys "$chooser" Down Down Down Down Right Down Down
shot folder-chooser "$chooser"
keys "$chooser" Escape
quit

start "$work/newsletters.lks"
keys "$main" alt+4 alt+g
status=$(window_named "Processing emails...")
sleep 1
import -window "$status" -frame "$here/status-during-run.png"
keys "$status" Escape
quit

start "$work/prompt.lks"
click "$main" 60 260
prompt=$(window_named "Choose Profile")
shot login-prompt "$prompt"
keys "$prompt" Escape
quit

# The same windows in German, chosen as a user does: the hive's "language", read at the start.
sed -i 's/^"language"=.*/"language"="Deutsch"/' "$XDG_CONFIG_HOME/larkspire/registry.reg"
rm -f "$work/out/"*
start "$work/daily.lks"
shot de-wizard-1-login "$main"
keys "$main" alt+2
shot de-wizard-2-email-folders "$main"
keys "$main" alt+3
shot de-wizard-3-output-files "$main"
keys "$main" alt+4
shot de-wizard-4-go "$main"
keys "$main" alt+l
status=$(window_named "E-Mails werden verarbeitet...")
shot de-status-after-run "$status"
keys "$status" Return
keys "$main" alt+2 alt+a Down Tab Tab space
chooser=$(window_named "E-Mail-Ordner auswählen")
keys "$chooser" Down Down Down Down Right Down Down
shot de-folder-chooser "$chooser"
keys "$chooser" Escape
quit

# Help, a tip and the update check, in English again.
sed -i 's/^"language"=.*/"language"="English"/' "$XDG_CONFIG_HOME/larkspire/registry.reg"
start "$work/daily.lks"
keys "$main" F1
shot help "$(window_named "Larkspire Help")"
keys "$main" alt+h Down Down Return
shot tip "$(window_named "Tip of the day")"
keys "$(window_named "Tip of the day")" Escape
keys "$main" alt+h Down Down Down Down Down Return
shot update "$(window_named "Larkspire update")"
