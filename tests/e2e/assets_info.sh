#!/usr/bin/env bash
# quillon-assets info on real files (one valid JSON object per line, the
# pixels' checksums as Pillow and djpeg see them) and on hostile ones (a
# clear error each, exit status 1, no crash).
set -euo pipefail
tool="${QUILLON_BUILD_DIR:?}/quillon-assets"
py=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "FAIL: $*"; exit 1; }

"$tool" --help | grep -q "info FILE" || fail "--help does not explain info"

# Files every run can make.
printf '2\n2 0 0 0 10 0 0\n3 0 0 0 3 0 0 3 4 0\n' > two.spl
"$py" - <<'PY'
import struct
open("path.bspl", "wb").write(struct.pack("<ii3f", 1, 1, 1.0, 2.0, 3.0))
PY
good=(two.spl path.bspl)
if command -v convert >/dev/null; then
  convert -size 7x5 xc: -channel R -fx 'i/w' -channel G -fx 'j/h' +channel -type TrueColor BMP3:pic.bmp
  convert -size 7x5 xc: -channel R -fx 'i/w' -channel G -fx 'j/h' +channel -type TrueColor -compress RLE pic.tga
  convert -size 7x5 xc: -channel R -fx 'i/w' -channel G -fx 'j/h' +channel -quality 90 pic.jpg
  good+=(pic.bmp pic.tga pic.jpg)
fi
if command -v assimp >/dev/null; then
  printf 'v 0 0 0\nv 2 0 0\nv 0 3 0\nv 0 0 4\nf 1 2 3\nf 1 3 4\nf 1 4 2\nf 2 4 3\n' > tet.obj
  assimp export tet.obj tet.3ds >/dev/null
  good+=(tet.3ds)
fi

"$tool" info "${good[@]}" > good.jsonl || fail "info failed on good files: $(cat good.jsonl)"
"$py" - "${good[@]}" <<'PY' || exit 1
import json, subprocess, sys, zlib
lines = [json.loads(l) for l in open("good.jsonl")]
assert len(lines) == len(sys.argv) - 1, lines
by = {l["file"]: l for l in lines}
for l in lines:
    assert "error" not in l, l
s = by["two.spl"]
assert s["form"] == "text" and s["paths"] == 2 and s["points"] == [2, 3] and s["lengths"] == [10, 7], s
b = by["path.bspl"]
assert b["form"] == "binary" and b["points"] == [1] and b["lengths"] == [0], b
try:
    from PIL import Image
except ImportError:
    Image = None
for name in ("pic.bmp", "pic.tga"):
    if name in by and Image:
        crc = "%08x" % zlib.crc32(Image.open(name).convert("RGBA").tobytes())
        assert by[name]["crc32"] == crc and by[name]["width"] == 7, (by[name], crc)
if "pic.jpg" in by:
    ppm = subprocess.run(["djpeg", "-pnm", "pic.jpg"], capture_output=True, check=True).stdout
    crc = "%08x" % zlib.crc32(ppm[-7 * 5 * 3:])
    assert by["pic.jpg"]["crc32"] == crc, (by["pic.jpg"], crc)
if "tet.3ds" in by:
    t = by["tet.3ds"]
    assert t["faces"] == 4 and t["materials"] >= 1 and t["bbox"] == [0, 0, 0, 2, 3, 4], t
print("good files:", len(lines))
PY

# Hostile files: each one line with an error, the run exits 1.
"$py" - <<'PY'
import os, struct
open("huge.tga", "wb").write(struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, 60927, 65535, 32, 0) + b"\0" * 64)
bmp = b"BM" + struct.pack("<IHHI", 0, 0, 0, 54) + struct.pack("<IiiHHIIiiII", 40, 60927, 65535, 1, 24, 0, 0, 0, 0, 0, 0)
open("huge.bmp", "wb").write(bmp + b"\0" * 16)
open("short.3ds", "wb").write(b"MM\x40\x00\x00\x00\x3d\x3d")
open("noise.jpg", "wb").write(bytes((i * 7919) % 251 for i in range(3000)))
open("empty.bmp", "wb").write(b"")
open("huge.bspl", "wb").write(struct.pack("<ii", 1, 0x7fffffff) + b"\0" * 12)
open("words.spl", "w").write("three paths\n")
open("odd.xyz", "w").write("?")
os.mkdir("folder.tga")
PY
bad=(huge.tga huge.bmp short.3ds noise.jpg empty.bmp huge.bspl words.spl odd.xyz folder.tga missing.jpg)
set +e
"$tool" info "${bad[@]}" > bad.jsonl 2>/dev/null
status=$?
set -e
[ "$status" -eq 1 ] || fail "hostile files gave exit status $status"
"$py" - "${bad[@]}" <<'PY'
import json, sys
lines = [json.loads(l) for l in open("bad.jsonl")]
assert [l["file"] for l in lines] == sys.argv[1:], lines
for l in lines:
    assert set(l) == {"file", "error"} and l["error"], l
    print(l["file"], "->", l["error"])
PY
echo "PASS"
