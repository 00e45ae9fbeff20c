// Small writers of asset files for tests and fuzz seeds: byte strings in
// the little-endian layouts the readers take, built piece by piece.
//
//   Bytes b = le16(0x4D4D) + le32(6);          // a bare 3DS main chunk
//   Bytes mesh = chunk(0x4100, chunk(0x4110, le16(0)));
//   writeBytes("a.3ds", chunk(0x4D4D, chunk(0x3D3D, ...)));
//   writeBytes("a.bmp", bmp24(3, 2, rgbTopRowFirst));
//   writeJpeg("a.jpg", 2, 2, rgbTopRowFirst);  // no chroma subsampling
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace test {

using Bytes = std::string;

Bytes le16(uint32_t v);
Bytes le32(uint32_t v);
Bytes f32(float v);
Bytes cstr(const std::string& s);  // with its NUL
// A 3DS chunk: id, length (6 + content), content.
Bytes chunk(uint16_t id, const Bytes& content);

// A 24-bit uncompressed BMP; rgb holds width × height RGB triples, the top
// row of the picture first (the file stores it bottom row first).
Bytes bmp24(int width, int height, const std::vector<uint8_t>& rgb);
// An 18-byte TGA header followed by payload.
Bytes tga(int type, int depth, int width, int height, const Bytes& payload, int colourMapType = 0,
          int descriptor = 0);

bool writeBytes(const std::string& path, const Bytes& bytes);
// A baseline JPEG at quality 100 with 1×1 sampling for every component;
// rgb holds the rows top first.
bool writeJpeg(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

// A small but complete 3DS scene: one object of a quad (4 vertices, 2
// faces, mapping coordinates, a material group) and a material "red".
Bytes quad3ds();

}  // namespace test
