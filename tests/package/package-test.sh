#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it with `dpkg -x` into a scratch root and
# checks it as a fresh system would see it: Depends names the package of every library the
# program links, the installed program finds its folder through the bin/ link, exports a small
# Maildir and waits for a run that holds its option file, the manual page renders without
# warnings, and the desktop entry, metainfo, MIME entry and icons are valid.
# Usage: package-test.sh BUILD_DIR CPACK
set -euo pipefail
build=$1
cpack=$2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)

scratch=$(mktemp -d "${TMPDIR:-/tmp}/larkspire-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

"$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/deb" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; exit 1; }
deb=$(ls "$scratch"/deb/larkspire_*.deb)
root=$scratch/root
dpkg -x "$deb" "$root"
program=$root/usr/lib/larkspire/larkspire

# Depends: the package of each library the program and the window program beside it name as
# NEEDED. Package names alone, one a line: "libc6 (>= 2.34), libxml2" gives libc6 and libxml2.
depends=$(dpkg-deb --field "$deb" Depends | tr ',' '\n' | awk '{print $1}')
for binary in "$program" "$program-window"; do
  [ -x "$binary" ] || { fail "$binary is not installed"; continue; }
  for needed in $(objdump -p "$binary" | awk '/NEEDED/ {print $2}'); do
    library=$(ldd "$binary" | awk -v n="$needed" '$1 == n {print $3}')
    owner=$(dpkg -S "$library" 2>/dev/null || dpkg -S "/usr$library" 2>/dev/null || true)
    owner=${owner%%:*}
    if [ -z "$owner" ]; then
      fail "no package owns $needed ($library)"
    elif ! grep -qxF "$owner" <<<"$depends"; then
      fail "Depends lacks $owner for $needed"
    fi
  done
done

[ "$(readlink "$root/usr/bin/larkspire")" = ../lib/larkspire/larkspire ] ||
  fail "usr/bin/larkspire is not a link to ../lib/larkspire/larkspire"
for data in $(cd "$source_dir/data" && find Languages help TIPS.TXT -type f 2>/dev/null); do
  [ -f "$root/usr/lib/larkspire/$data" ] || fail "data file $data is not in the program folder"
done
version=$("$root/usr/bin/larkspire" --version)
[ "$version" = "larkspire $(dpkg-deb --field "$deb" Version)" ] || fail "--version printed '$version'"

# A Maildir of two messages; a message's delivery time is its file's modification time.
mail=$scratch/Maildir
mkdir -p "$mail/cur" "$mail/new" "$mail/tmp" "$scratch/out"
printf 'From: Ann <ann@example.org>\nSubject: Second\nDate: Tue, 02 Jan 2024 10:00:00 +0000\n\nLater body\n' \
  >"$mail/cur/1704189600.M2P1.test:2,S"
printf 'From: Bob <bob@example.org>\nSubject: First\nDate: Mon, 01 Jan 2024 10:00:00 +0000\n\nEarlier body\n' \
  >"$mail/new/1704103200.M1P1.test"
touch -d @1704189600 "$mail/cur/1704189600.M2P1.test:2,S"
touch -d @1704103200 "$mail/new/1704103200.M1P1.test"
printf '[Test]\ndefault = true\nstore = Test Mail, maildir:%s, default\n' "$mail" >"$scratch/profiles.ini"

run() {
  env -i PATH=/usr/bin:/bin HOME="$scratch" LANG=C.UTF-8 TZ=UTC XDG_CONFIG_HOME="$scratch/config" \
    LARKSPIRE_PROFILES="$scratch/profiles.ini" "$root/usr/bin/larkspire" --console "$@" </dev/null
}
job=$scratch/job.lks
run --set="Save folder=$scratch/out" --set="Number format=mail%3.3d.txt" --set="First number=7" \
  --set="sort order=1" --save-as="$job" /Q >"$scratch/save.log" 2>&1 || { cat "$scratch/save.log" >&2; fail "saving the job"; }

# A run of the same job that still holds the option file makes the next one wait for it.
flock "$scratch/.job.lks.lock" sh -c "touch '$scratch/held'; sleep 1" &
holder=$!
until [ -e "$scratch/held" ]; do sleep 0.05; done
started=$(date +%s%N)
run "/F=$job" /UPDATECOUNT /G /Q >"$scratch/run.log" 2>&1 || { cat "$scratch/run.log" >&2; fail "the export failed"; }
waited_ms=$((($(date +%s%N) - started) / 1000000))
wait "$holder"
[ "$waited_ms" -ge 600 ] || fail "the export did not wait for the run holding its option file ($waited_ms ms)"
[ ! -e "$scratch/.job.lks.lock" ] || fail "the lock file was left beside the option file"

cmp -s "$scratch/out/mail007.txt" <(printf 'Earlier body\r\n\r\n') || fail "mail007.txt does not hold the earlier message"
cmp -s "$scratch/out/mail008.txt" <(printf 'Later body\r\n\r\n') || fail "mail008.txt does not hold the later message"
[ "$(stat -c %Y "$scratch/out/mail007.txt" 2>/dev/null)" = 1704103200 ] || fail "mail007.txt lacks its message's time"
# The program folder is where the link leads, not the link's own folder.
grep -qF "\"rootDir\"=\"$root/usr/lib/larkspire/\"" "$scratch/config/larkspire/registry.reg" ||
  fail "the program folder is not $root/usr/lib/larkspire/"
# /UPDATECOUNT saved the next number: a second run goes on from 9.
run "/F=$job" /G /Q >"$scratch/again.log" 2>&1 || { cat "$scratch/again.log" >&2; fail "the second export failed"; }
[ -f "$scratch/out/mail009.txt" ] && [ -f "$scratch/out/mail010.txt" ] || fail "the second run did not go on from 9"

manual=$root/usr/share/man/man1/larkspire.1.gz
zcmp -s "$manual" "$source_dir/docs/larkspire.1" || fail "the installed manual page is not docs/larkspire.1"
warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >"$scratch/man.txt") || fail "man -l failed"
[ -z "$warnings" ] || fail "man -l warned: $warnings"
grep -q "larkspire - save e-mail messages as numbered plain-text files" "$scratch/man.txt" || fail "man -l shows no NAME line"

desktop=$(ls "$root"/usr/share/applications/*.desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$scratch/appstream.log" 2>&1 ||
  { cat "$scratch/appstream.log" >&2; fail "appstreamcli validate"; }
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$root"/usr/share/metainfo/*.metainfo.xml ||
  fail "the metainfo does not launch $(basename "$desktop")"
mime_type=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$desktop")
cp -r "$root/usr/share/mime" "$scratch/mime"
update-mime-database "$scratch/mime" 2>/dev/null
grep -qx "50:$mime_type:\*.lks" "$scratch/mime/globs2" || fail "*.lks is not $mime_type"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
for png in "$root"/usr/share/icons/hicolor/*x*/apps/"$icon".png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not $size"
done

if [ "$failures" -gt 0 ]; then
  echo "$failures package checks failed" >&2
  exit 1
fi
echo "package checks passed: $(basename "$deb")"
