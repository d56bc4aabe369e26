#!/bin/bash
# run.sh ZUNO_LEVEL SUFFIX DIR... : compiles every drawing in the folders to
# FILE.SUFFIX.lev, two at a time, and prints "file ok|refused|timeout
# seconds first-fault". Compare two builds' levels with cmp, suffix by suffix.
ZL=$1; SUF=$2; shift 2
for d in "$@"; do ls $d/*.svg; done | xargs -P2 -I{} bash -c '
  f={}; s=$(date +%s.%N); out=$(timeout 120 '"$ZL"' compile "$f" "${f%.svg}.'"$SUF"'.lev" 2>&1); rc=$?; e=$(date +%s.%N)
  if [ $rc = 0 ]; then st=ok; elif [ $rc = 124 ]; then st=timeout; else st=refused; fi
  printf "%s %s %.2f %s\n" "$f" $st $(echo "$e - $s" | bc) "$(echo "$out" | grep -v -i warning | head -1)"'
