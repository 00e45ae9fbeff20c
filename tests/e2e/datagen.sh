#!/usr/bin/env bash
# The data generator end to end: it writes every asset the production
# names; each reads back through an independent tool (ImageMagick for the
# pictures, assimp for the scenes, ffprobe for the music); a second
# generation (or the checkout's data/ when `make data` made it with this
# generator) is byte for byte the same; and the music's detected onsets fall
# within 30 ms of every flashing part's start time.
set -euo pipefail

build=${QUILLON_BUILD_DIR:-$(cd "$(dirname "$0")/../.." && pwd)/build}
source_dir=${QUILLON_SOURCE_DIR:-$(cd "$(dirname "$0")/../.." && pwd)}
gen="$build/quillon-datagen"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

[ -x "$gen" ] || fail "no generator at $gen"
"$gen" "$work/a" || fail "the generator failed"

pictures=(loading.jpg etoile-donuts/bgmap.jpg Hypercube/bgmap.jpg cubes/bgmap.jpg champi/champi1.jpg
  text/logo.jpg text/velmora.jpg text/presents.jpg text/demo.jpg text/enjoy.jpg)
for n in 1 2 3 4 5 6 7 8 9; do pictures+=("text/Sgreets0$n.jpg"); done
scenes=(etoile-donuts/etoile-donuts.3ds champi/champiworld.3ds)
paths=(etoile-donuts/camera_line_droit2.spl etoile-donuts/camera_line_invert2.spl)

# Nothing more and nothing less than the production's files.
expected=$(printf '%s\n' "${pictures[@]}" "${scenes[@]}" "${paths[@]}" qv3.mp3 | sort)
actual=$(cd "$work/a" && find . -type f | sed 's|^\./||' | sort)
[ "$expected" = "$actual" ] || fail "file list differs: $(diff <(echo "$expected") <(echo "$actual") | tr '\n' ' ')"

# Pictures: baseline JPEG, power-of-two sides, RGB rows a multiple of 4 bytes.
for p in "${pictures[@]}"; do
  read -r format w h colours < <(identify -format '%m %w %h %[colorspace]\n' "$work/a/$p") || fail "$p does not read"
  [ "$format" = JPEG ] || fail "$p is $format"
  [ "$colours" = sRGB ] || fail "$p is $colours, not RGB"
  for side in "$w" "$h"; do
    [ $((side & (side - 1))) -eq 0 ] && [ "$side" -ge 64 ] || fail "$p is ${w}x$h, not a power of two"
  done
  [ $((w * 3 % 4)) -eq 0 ] || fail "$p rows are not a multiple of 4 bytes"
done

# Scenes: one mesh each, with faces, as assimp sees them.
for s in "${scenes[@]}"; do
  info=$(assimp info "$work/a/$s" 2>&1) || fail "assimp cannot read $s: $info"
  meshes=$(sed -n 's/^Meshes: *\([0-9]*\)$/\1/p' <<<"$info")
  faces=$(sed -n 's/^Faces: *\([0-9]*\)$/\1/p' <<<"$info")
  [ "$meshes" = 1 ] || fail "$s has $meshes meshes"
  [ "${faces:-0}" -ge 1000 ] || fail "$s has ${faces:-no} faces"
done

# Camera paths: at least two paths in the text form, counts matching.
for p in "${paths[@]}"; do
  awk 'NR == 1 { n = $1; next } { t[NR] = $0 } END {
         if (n < 2) exit 1
         line = 2
         for (i = 0; i < n; i++) {
           c = t[line] + 0; if (c < 2) exit 1
           line += c + 1
         }
         if (line != NR + 1) exit 1 }' "$work/a/$p" || fail "$p is not a text path file with two paths or more"
done

# Music: 44.1 kHz stereo MP3, long enough for the last part at 832.5 s.
read -r codec rate channels < <(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels \
  -of default=noprint_wrappers=1:nokey=1 "$work/a/qv3.mp3" | tr '\n' ' '; echo)
[ "$codec $rate $channels" = "mp3 44100 2" ] || fail "music is $codec $rate Hz $channels channels"
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$work/a/qv3.mp3")
awk -v d="$duration" 'BEGIN { exit !(d >= 832.5 && d < 840) }' || fail "music lasts $duration s"
decoded=$(mpg123 -q -t "$work/a/qv3.mp3" 2>&1) || fail "mpg123 cannot decode the music: $decoded"

# A hit at the start of every part that flashes (parts 1-5, 7-13, 15, 17, 19-29).
flashes="6.5 10.0 13.0 18.0 20.0 26.5 28.5 30.5 33.0 35.7 37.7 39.7 44.5 47.7 52.7
  55.12 57.54 59.96 62.38 64.8 67.22 69.64 72.06 74.48 76.9"
aubioonset -i "$work/a/qv3.mp3" -O hfc 2>/dev/null >"$work/onsets.txt" || fail "aubioonset failed"
for f in $flashes; do
  awk -v f="$f" '{ d = $1 - f; if (d < 0) d = -d; if (d <= 0.030) found = 1 } END { exit !found }' "$work/onsets.txt" ||
    fail "no onset within 30 ms of the part at $f s"
done

# The same bytes again: the checkout's data/ if make data made it with this
# very generator and it is complete, otherwise a second run.
if [ -f "$source_dir/data/.stamp" ] && [ "$source_dir/data/.stamp" -nt "$gen" ] &&
  [ "$expected" = "$(cd "$source_dir/data" && find . -type f ! -name .stamp | sed 's|^\./||' | sort)" ]; then
  reference="$source_dir/data"
else
  "$gen" "$work/b" || fail "the second run failed"
  reference="$work/b"
fi
diff -r -x .stamp "$work/a" "$reference" >/dev/null || fail "two generations differ: $(diff -rq -x .stamp "$work/a" "$reference" | head -3)"
echo "ok"
