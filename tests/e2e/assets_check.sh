#!/usr/bin/env bash
# quillon-assets check: on the generated data every file the production
# reads is there and reads (exit 0); in a folder where one picture is
# missing, one scene is cut short, one spline file is empty and the music
# is shorter than the production, each is
# named with what is wrong, the rest stay ok, and the exit status is 1.
set -euo pipefail
tool="${QUILLON_BUILD_DIR:?}/quillon-assets"
source_dir=${QUILLON_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*"; exit 1; }

[ -f "$source_dir/data/qv3.mp3" ] || { echo "SKIP: no data/ (make data)"; exit 0; }

"$tool" --help | grep -q "check \[DIR\]" || fail "--help does not explain check"

out=$("$tool" check "$source_dir") || fail "check of the generated data failed: $out"
echo "$out" | grep -q "^24 files: 24 ok, 0 missing, 0 broken$" || fail "unexpected summary: $out"
echo "$out" | grep -Eq '^  ok +\./data/qv3\.mp3 +MP3, [0-9]+\.[0-9] s$' || fail "the music is not reported: $out"

# The same files by links, three of them spoilt.
(cd "$source_dir" && find data -type d) | while read -r d; do mkdir -p "$work/$d"; done
(cd "$source_dir" && find data -type f ! -name .stamp) | while read -r f; do ln -s "$source_dir/$f" "$work/$f"; done
rm "$work/data/text/demo.jpg"
rm "$work/data/champi/champiworld.3ds"
head -c 300 "$source_dir/data/champi/champiworld.3ds" >"$work/data/champi/champiworld.3ds"
rm "$work/data/etoile-donuts/camera_line_invert2.spl"
: >"$work/data/etoile-donuts/camera_line_invert2.spl"
rm "$work/data/qv3.mp3"
head -c 200000 "$source_dir/data/qv3.mp3" >"$work/data/qv3.mp3"

status=0
out=$(cd "$work" && "$tool" check) || status=$?
[ "$status" -eq 1 ] || fail "exit status $status for spoilt data: $out"
echo "$out" | grep -Eq '^  MISSING +\./data/text/demo\.jpg ' || fail "the missing plate is not named: $out"
echo "$out" | grep -Eq '^  BROKEN +\./data/champi/champiworld\.3ds +not a readable 3DS scene' ||
  fail "the cut scene is not named: $out"
echo "$out" | grep -Eq '^  BROKEN +\./data/etoile-donuts/camera_line_invert2\.spl ' ||
  fail "the empty spline file is not named: $out"
echo "$out" | grep -Eq '^  BROKEN +\./data/qv3\.mp3 +MP3, [0-9.]+ s: shorter than the production \(832\.5 s\)$' ||
  fail "the short music is not named: $out"
echo "$out" | grep -q "^24 files: 20 ok, 1 missing, 3 broken$" || fail "unexpected summary: $out"
echo "quillon-assets check: ok"
