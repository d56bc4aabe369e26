#!/bin/sh
# The same replays on another processor: there the regression digests and
# the level checks run (zuno_tests), zuno-level compiles the test levels,
# zuno-replay drives the key scripts over them and draws each drive's last
# frame, and each file must equal the x86-64 build's byte for byte. RUNNER
# (e.g. qemu-aarch64) runs the other build's programs where the machine
# cannot.
#   replays.sh PLATFORM NATIVE_BUILD OTHER_BUILD [RUNNER]
set -eu
[ $# -ge 3 ] || { echo "usage: replays.sh PLATFORM NATIVE_BUILD OTHER_BUILD [RUNNER]" >&2; exit 2; }
platform=$1
native=$2
other=$3
runner=${4:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
started=$(date +%s)

if [ -n "$runner" ] && ! command -v "$runner" >/dev/null 2>&1; then
  echo "$platform: $runner is not installed (scripts/install-deps platforms), so nothing runs here" >&2
  exit 1
fi
for program in "$native/zuno-level" "$native/zuno-replay" "$other/zuno-level" "$other/zuno-replay" \
               "$other/tests/zuno_tests"; do
  [ -x "$program" ] || { echo "$platform: $program is missing" >&2; exit 1; }
done
run() { $runner "$@" || { echo "$platform: $(basename "$1") $2 fails" >&2; return 1; }; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failed=0

# The digests name the runs they cover; the drives below say where a run
# parts from the x86-64 one.
if ! SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy $runner "$other/tests/zuno_tests" \
       --gtest_filter='Determinism.*:LevelCheck.*' --gtest_brief=1 >"$out/gtest.log" 2>&1; then
  sed "s/^/$platform: /" "$out/gtest.log" >&2
  echo "$platform: the regression digests or level checks fail" >&2
  failed=1
fi

# The index of the first byte where files $1 and $2 differ, from 0; empty
# when they are equal.
first_difference() {
  cmp "$1" "$2" >/dev/null 2>&1 && return 0
  report=$(cmp "$1" "$2" 2>&1 || true)
  case "$report" in
    *"differ: byte "*) echo $(( $(echo "$report" | sed 's/.* byte \([0-9]*\).*/\1/') - 1 )) ;;
    *" after byte "*) echo "$report" | sed 's/.* after byte \([0-9]*\).*/\1/' ;;
    *) echo 0 ;;
  esac
}

# Each level is compiled by both builds, and each build drives over its own.
# Files are named from the source tree.
compile() {  # LEVEL
  run "$other/zuno-level" compile "$root/$1" "$out/$lev.other.lev" >/dev/null || { failed=1; return; }
  "$native/zuno-level" compile "$root/$1" "$out/$lev.lev" >/dev/null
  at=$(first_difference "$out/$lev.lev" "$out/$lev.other.lev")
  if [ -n "$at" ]; then
    echo "$platform: level $1: zuno-level compile writes other bytes from byte $at" >&2
    failed=1
  fi
}
drive() {  # LEVEL KEYS [FRAMES]
  lev=$(basename "$1" .txt)
  [ -e "$out/$lev.lev" ] || compile "$1"
  [ -e "$out/$lev.other.lev" ] || return 0
  name=$lev-$(basename "$2" .keys)
  frames=${3:+--frames $3}
  run "$other/zuno-replay" drive --level "$out/$lev.other.lev" --keys "$root/$2" -o "$out/$name.other.rec" $frames >/dev/null ||
    { failed=1; return; }
  "$native/zuno-replay" drive --level "$out/$lev.lev" --keys "$root/$2" -o "$out/$name.rec" $frames >/dev/null
  at=$(first_difference "$out/$name.rec" "$out/$name.other.rec")
  if [ -n "$at" ]; then
    echo "$platform: level $1, script $2: the replay differs from frame $((at / 64))" \
      "(x86-64 $(( $(wc -c <"$out/$name.rec") / 64 )) frames, $platform $(( $(wc -c <"$out/$name.other.rec") / 64 )))" >&2
    failed=1
    return
  fi
  last=$(( $(wc -c <"$out/$name.rec") / 64 + 1 ))
  run "$other/zuno-replay" render "$out/$name.rec" --level "$out/$lev.lev" --frame $last -o "$out/$name.other.png" ||
    { failed=1; return; }
  "$native/zuno-replay" render "$out/$name.rec" --level "$out/$lev.lev" --frame $last -o "$out/$name.png"
  at=$(first_difference "$out/$name.png" "$out/$name.other.png")
  if [ -n "$at" ]; then
    echo "$platform: level $1, script $2: the picture of frame $last differs (PNG bytes from byte $at)" >&2
    failed=1
  fi
}

drive data/course.txt tests/platforms/dropped.keys 6000
drive data/course.txt data/demo.keys
drive data/course.txt tests/web/data/course.keys
drive tests/web/data/bowl.txt tests/web/data/bowl.keys
drive tests/web/data/steps.txt tests/web/data/steps.keys

if [ "$failed" = 0 ]; then
  echo "$platform: the same replays as x86-64 ($(( $(date +%s) - started )) s)"
fi
exit "$failed"
