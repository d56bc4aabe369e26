#!/bin/sh
# The installed launcher as players meet it: installs the build into a
# folder of its own and starts the game (headless) through that prefix.
#   launcher_test.sh BUILD_DIR
set -eu
build=$1
work=$(mktemp -d)
pids=""
trap 'for p in $pids; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
chmod 755 "$work"
cmake --install "$build" --prefix "$work/usr" >/dev/null
zuno=$work/usr/games/zuno
shipped=$work/usr/share/games/zuno
export HOME="$work/home" SDL_VIDEODRIVER=dummy
unset XDG_DATA_HOME
folder=$HOME/.local/share/zuno
mkdir -p "$HOME" "$work/cwd"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Two starts at the same moment on a first start: one folder, two recordings.
"$zuno" >"$work/a.log" 2>&1 & a=$!
"$zuno" >"$work/b.log" 2>&1 & b=$!
pids="$a $b"
# Each recording is created before the window opens; SIGTERM is the game's
# own (it keeps the recording) once SDL's video has started, soon after.
for _ in $(seq 100); do [ "$(ls "$folder"/*.rec 2>/dev/null | wc -l)" -ge 2 ] && break; sleep 0.1; done
sleep 2
kill "$a" "$b"
wait "$a" || fail "first game: status $? $(cat "$work/a.log")"
wait "$b" || fail "second game: status $? $(cat "$work/b.log")"
pids=""
set -- "$folder"/*.rec
[ $# -eq 2 ] && [ -s "$1" ] && [ -s "$2" ] || fail "want two non-empty recordings: $(ls -l "$folder")"
cmp -s "$shipped/0.lev" "$folder/0.lev" && cmp -s "$shipped/nums.bmp" "$folder/nums.bmp" || fail "folder files"
[ "$(ls -A "$HOME/.local/share")" = zuno ] || fail "left over: $(ls -A "$HOME/.local/share")"

# A relative replay path is the caller's; a deleted nums.bmp comes back; an
# edited 0.lev stays.
cp "$1" "$work/cwd/run.rec"
rm "$folder/nums.bmp"
printf edited >"$folder/0.lev"
(cd "$work/cwd" && "$zuno" run.rec) >"$work/replay.log" 2>&1 || fail "replay: $(cat "$work/replay.log")"
cmp -s "$shipped/nums.bmp" "$folder/nums.bmp" || fail "nums.bmp not restored"
[ "$(cat "$folder/0.lev")" = edited ] || fail "edited 0.lev replaced"

# An upgrade with a new course: the edited 0.lev is kept and the new one's
# place is named; an unedited 0.lev follows the new course.
cp "$shipped/0.lev" "$work/old.lev"
printf x >>"$shipped/0.lev"
"$zuno" /nonexistent.rec >"$work/up.log" 2>&1 || true
grep -q "keeping your changed $folder/0.lev.*$shipped/0.lev" "$work/up.log" || fail "upgrade note: $(cat "$work/up.log")"
[ "$(cat "$folder/0.lev")" = edited ] || fail "edited 0.lev replaced on upgrade"
cp "$shipped/0.lev" "$folder/0.lev"
printf y >>"$shipped/0.lev"
"$zuno" /nonexistent.rec >/dev/null 2>&1 || true
cmp -s "$shipped/0.lev" "$folder/0.lev" || fail "unedited 0.lev not upgraded"

# A home the player cannot write: one line, status 1, nothing half made.
ro=$work/ro
mkdir "$ro"
if [ "$(id -u)" = 0 ]; then
  as_user="setpriv --reuid=65534 --regid=65534 --clear-groups"
else
  as_user=""
  chmod 555 "$ro"
fi
status=0
HOME=$ro $as_user "$zuno" >"$work/ro.log" 2>&1 || status=$?
[ $status -eq 1 ] || fail "read-only home: status $status"
[ "$(wc -l <"$work/ro.log")" -eq 1 ] && grep -q "^zuno: $ro/.local/share/zuno: cannot create: Permission denied$" "$work/ro.log" ||
  fail "read-only home: $(cat "$work/ro.log")"
[ -z "$(ls -A "$ro")" ] || fail "read-only home: left $(ls -A "$ro")"
echo "launcher: all cases pass"
