#!/bin/sh
# A 32-bit x86 compiler that cannot keep doubles out of the x87 unit (it
# refuses -msse2 -mfpmath=sse) is refused at configure time, with the
# reason, rather than building a game that records other replays.
#   x87-refusal.sh DIR
set -eu
[ $# -eq 1 ] || { echo "usage: x87-refusal.sh DIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$1"
mkdir -p "$1"
dir=$(cd "$1" && pwd)
cat >"$dir/x87-only-g++" <<'EOF'
#!/bin/sh
for a; do
  case "$a" in -msse2|-mfpmath=sse) echo "x87-only-g++: unrecognized option '$a'" >&2; exit 1 ;; esac
done
exec i686-linux-gnu-g++ "$@"
EOF
chmod +x "$dir/x87-only-g++"
if cmake -S "$root" -B "$dir/build" -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=i686 \
     -DCMAKE_CXX_COMPILER="$dir/x87-only-g++" >"$dir/configure.log" 2>&1; then
  echo "i386: a compiler without -msse2 -mfpmath=sse was not refused" >&2
  exit 1
fi
if ! grep -q "32-bit x86 needs -msse2 -mfpmath=sse" "$dir/configure.log"; then
  cat "$dir/configure.log" >&2
  echo "i386: the configure step failed without saying why replays would differ" >&2
  exit 1
fi
echo "i386: a compiler that only has the x87 unit is refused"
