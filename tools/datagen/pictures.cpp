// The production's pictures: the text plates (light text on black, since
// they are added onto the scene), the four backgrounds, the mushroom
// picture and the loading picture. All are 512 x 512, so every RGB row is
// 1536 bytes, and are painted per pixel from seeded noise and simple shapes.
//
// The text plates are shown on a fifth of the screen's width and height
// (about 160 x 120 pixels at 800 x 600), squeezed to 4:3, so their words are
// set large and bold with a soft glow.
#include <cstdio>
#include <functional>

#include "tools/datagen/datagen.h"

namespace datagen {

namespace {

constexpr int kSize = 512;

Vec3 rgb(float r, float g, float b) { return {r, g, b}; }
Vec3 lerp(Vec3 a, Vec3 b, float t) { return a + (b - a) * t; }

// Fills every pixel from a shader evaluated at 2 x 2 sub-samples.
void paint(Image& img, const std::function<Vec3(float, float)>& shader) {
    for (int y = 0; y < img.height; ++y) {
        for (int x = 0; x < img.width; ++x) {
            Vec3 c;
            for (int s = 0; s < 4; ++s) c = c + shader(float(x) + 0.25f + 0.5f * float(s & 1), float(y) + 0.25f + 0.5f * float(s >> 1));
            float* p = img.at(x, y);
            p[0] = c.x * 0.25f;
            p[1] = c.y * 0.25f;
            p[2] = c.z * 0.25f;
        }
    }
}

// A soft round dot added onto the picture.
void addDot(Image& img, float cx, float cy, float radius, Vec3 colour) {
    int r = int(radius * 3.0f) + 1;
    for (int y = int(cy) - r; y <= int(cy) + r; ++y) {
        for (int x = int(cx) - r; x <= int(cx) + r; ++x) {
            float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
            float w = std::exp(-(dx * dx + dy * dy) / (2.0f * radius * radius));
            img.add(x, y, colour * w);
        }
    }
}

// A star with a soft core and thin cross-shaped rays.
void addStar(Image& img, float cx, float cy, float size, Vec3 colour) {
    addDot(img, cx, cy, 0.6f + size * 0.9f, colour);
    if (size < 1.2f) return;
    int len = int(size * 9.0f);
    for (int i = -len; i <= len; ++i) {
        float w = std::pow(1.0f - std::fabs(float(i)) / float(len + 1), 3.0f) * 0.6f;
        img.add(int(cx) + i, int(cy), colour * w);
        img.add(int(cx), int(cy) + i, colour * w);
    }
}

void addStarField(Image& img, Rng& rng, int count, float brightness) {
    for (int i = 0; i < count; ++i) {
        float x = rng.range(0.0f, float(img.width)), y = rng.range(0.0f, float(img.height));
        float u = rng.uniform();
        float size = 0.25f + 1.6f * std::pow(u, 5.0f);
        float tint = rng.uniform();
        Vec3 c = lerp(rgb(0.75f, 0.85f, 1.0f), rgb(1.0f, 0.9f, 0.75f), tint) * (brightness * (0.35f + 0.65f * u));
        addStar(img, x, y, size, c);
    }
}

// Adds a mask onto the picture in one colour.
void addMask(Image& img, const Mask& m, Vec3 colour) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) img.add(x, y, colour * m.get(x, y));
}

// Text in a vertical gradient (top colour at y0, bottom at y1) with two
// layers of glow behind it.
void addGlowingText(Image& img, const Mask& text, Vec3 top, Vec3 bottom, float y0, float y1, Vec3 glow) {
    Mask wide = text, near = text;
    blur(wide, 12);
    blur(near, 3);
    addMask(img, wide, glow * 1.1f);
    addMask(img, near, glow * 0.7f);
    for (int y = 0; y < img.height; ++y) {
        Vec3 fill = lerp(top, bottom, clamp01((float(y) - y0) / (y1 - y0)));
        for (int x = 0; x < img.width; ++x) {
            float c = text.get(x, y);
            if (c <= 0.0f) continue;
            float* p = img.at(x, y);
            // Cover what is below rather than adding, so the fill stays clean.
            p[0] = p[0] * (1.0f - c) + fill.x * c;
            p[1] = p[1] * (1.0f - c) + fill.y * c;
            p[2] = p[2] * (1.0f - c) + fill.z * c;
        }
    }
}

// A thin horizontal line that fades towards its ends.
void addRule(Image& img, float cy, float halfWidth, Vec3 colour) {
    for (int x = 0; x < img.width; ++x) {
        float d = (float(x) + 0.5f - float(img.width) * 0.5f) / halfWidth;
        float w = std::exp(-d * d * 2.5f);
        for (int dy = -3; dy <= 3; ++dy) {
            float fall = std::exp(-float(dy * dy) / 1.2f);
            img.add(x, int(cy) + dy, colour * (w * fall));
        }
    }
}

bool save(const std::string& path, const Image& img) { return writeJpeg(path, img, 92); }

// ---------------------------------------------------------------------------
// Text plates

struct PlateLook {
    Vec3 top, bottom, glow;
};

bool wordPlate(const std::string& path, Font& font, const std::string& word, int maxSize, PlateLook look) {
    Image img(kSize, kSize);
    Mask text(kSize, kSize);
    int size = font.fitSize(word, 460.0f, maxSize);
    float cap = float(size) * kCapHeight;
    float baseline = 256.0f + cap * 0.5f;
    font.drawCentred(text, word, size, 256.0f, baseline);
    addGlowingText(img, text, look.top, look.bottom, baseline - cap, baseline, look.glow);
    addRule(img, baseline - cap - 34.0f, 150.0f, look.glow * 0.9f);
    addRule(img, baseline + 40.0f, 150.0f, look.glow * 0.9f);
    return save(path, img);
}

bool logoPlate(const std::string& path, Font& bold) {
    Image img(kSize, kSize);
    const float cx = 256.0f, cy = 210.0f, radius = 150.0f;
    Vec3 violet = rgb(0.45f, 0.25f, 0.95f);
    // The ring, its glow and twelve ticks around it.
    Mask ring(kSize, kSize);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
            float d = std::sqrt(dx * dx + dy * dy);
            float v = 1.0f - smoothstep(6.0f, 8.0f, std::fabs(d - radius));
            float angle = std::atan2(dy, dx);
            float tick = std::fabs(std::remainder(angle, kPi / 6.0f)) * d;
            if (d > radius + 16.0f && d < radius + 34.0f) v = std::max(v, 1.0f - smoothstep(2.0f, 3.5f, tick));
            ring.at(x, y) = v;
        }
    }
    Mask glyph(kSize, kSize);
    int vSize = 250;
    bold.drawCentred(glyph, "V", vSize, cx, cy + float(vSize) * kCapHeight * 0.5f);
    addGlowingText(img, ring, rgb(0.85f, 0.8f, 1.0f), rgb(0.6f, 0.5f, 1.0f), cy - radius, cy + radius, violet);
    addGlowingText(img, glyph, rgb(1.0f, 1.0f, 1.0f), rgb(0.55f, 0.8f, 1.0f), cy - 90.0f, cy + 90.0f, violet * 0.8f);
    Mask name(kSize, kSize);
    const std::string word = "V E L M O R A";
    int size = bold.fitSize(word, 420.0f, 54);
    name.width = kSize;
    bold.drawCentred(name, word, size, cx, 458.0f);
    addGlowingText(img, name, rgb(1.0f, 1.0f, 1.0f), rgb(0.75f, 0.7f, 1.0f), 458.0f - float(size) * kCapHeight, 458.0f, violet * 0.7f);
    return save(path, img);
}

bool greetingsPlate(const std::string& path, Font& header, Font& bold, const std::vector<std::string>& names, Vec3 glow) {
    Image img(kSize, kSize);
    Mask head(kSize, kSize);
    header.drawCentred(head, "greetings to", 50, 256.0f, 92.0f);
    addGlowingText(img, head, glow * 0.6f + rgb(0.4f, 0.4f, 0.4f), glow * 0.8f + rgb(0.2f, 0.2f, 0.2f), 55.0f, 92.0f, glow * 0.5f);
    addRule(img, 122.0f, 130.0f, glow * 0.8f);
    Mask text(kSize, kSize);
    float baseline = 215.0f;
    for (const std::string& n : names) {
        int size = bold.fitSize(n, 470.0f, 84);
        bold.drawCentred(text, n, size, 256.0f, baseline);
        baseline += 118.0f;
    }
    addGlowingText(img, text, rgb(1.0f, 1.0f, 1.0f), rgb(0.85f, 0.9f, 1.0f), 150.0f, 460.0f, glow);
    return save(path, img);
}

// ---------------------------------------------------------------------------
// Backgrounds

bool starBackground(const std::string& path) {
    Image img(kSize, kSize);
    paint(img, [](float x, float y) {
        float u = x / kSize, v = y / kSize;
        Vec3 base = lerp(rgb(0.015f, 0.01f, 0.05f), rgb(0.04f, 0.015f, 0.08f), v);
        float n = fbm(u * 3.0f, v * 3.0f, 6, 11u);
        float cloud = smoothstep(0.42f, 0.82f, n);
        float hue = fbm(u * 2.0f + 4.0f, v * 2.0f, 4, 23u);
        Vec3 colour = lerp(rgb(0.55f, 0.08f, 0.45f), rgb(0.05f, 0.35f, 0.55f), smoothstep(0.35f, 0.65f, hue));
        float dust = smoothstep(0.5f, 0.75f, fbm(u * 6.0f, v * 6.0f, 5, 37u));
        float glow = std::exp(-((u - 0.62f) * (u - 0.62f) + (v - 0.4f) * (v - 0.4f)) * 6.0f);
        return base + colour * (cloud * 0.75f * (1.0f - 0.6f * dust)) + rgb(0.25f, 0.12f, 0.3f) * (glow * 0.25f * cloud);
    });
    Rng rng(1001);
    addStarField(img, rng, 650, 0.9f);
    return save(path, img);
}

bool gridBackground(const std::string& path) {
    Image img(kSize, kSize);
    const float horizon = 300.0f, cx = 256.0f;
    paint(img, [&](float x, float y) {
        if (y < horizon) {
            float v = y / horizon;
            Vec3 sky = lerp(rgb(0.02f, 0.02f, 0.09f), rgb(0.30f, 0.04f, 0.28f), v * v);
            // The sun: a disc sinking into the horizon, banded in its lower half.
            float dx = x - cx, dy = y - (horizon - 20.0f);
            float d = std::sqrt(dx * dx + dy * dy);
            float disc = 1.0f - smoothstep(108.0f, 111.0f, d);
            float band = y > horizon - 95.0f ? smoothstep(0.0f, 1.5f, std::fabs(std::fmod(horizon - y, 16.0f) - 8.0f) - (horizon - y) * 0.04f) : 1.0f;
            Vec3 sun = lerp(rgb(1.0f, 0.85f, 0.3f), rgb(1.0f, 0.2f, 0.5f), clamp01((y - 150.0f) / 140.0f));
            float halo = std::exp(-d * d / (2.0f * 150.0f * 150.0f)) * 0.35f;
            float n = fbm(x * 0.01f, y * 0.02f, 4, 71u);
            return sky * (0.8f + 0.4f * n) + sun * (disc * (1.0f - band * 0.0f) * band * 0.85f) + rgb(0.5f, 0.1f, 0.4f) * halo;
        }
        float dy = y - horizon;
        float z = 60.0f / dy;  // distance along the floor
        float wx = (x - cx) * z / 60.0f;
        float dz = 60.0f / (dy * dy);      // floor depth per pixel
        float dwx = z / 60.0f;             // floor width per pixel
        float gz = std::fabs(std::fmod(z * 4.0f + 1000.0f, 1.0f) - 0.5f) / (dz * 4.0f);
        float gx = std::fabs(std::fmod(wx * 2.0f + 1000.5f, 1.0f) - 0.5f) / (dwx * 2.0f);
        float line = std::max(1.0f - smoothstep(0.5f, 1.6f, gz * 1.0f), 1.0f - smoothstep(0.5f, 1.6f, gx));
        float fade = std::exp(-z * 0.12f);
        Vec3 floor = lerp(rgb(0.12f, 0.02f, 0.12f), rgb(0.01f, 0.0f, 0.04f), clamp01(dy / 150.0f));
        Vec3 colour = lerp(rgb(0.9f, 0.2f, 0.8f), rgb(0.1f, 0.8f, 1.0f), clamp01(dy / 212.0f));
        float glowLine = std::exp(-dy * 0.08f) * 0.6f;
        return floor + colour * (line * (0.25f + 0.75f * fade)) + rgb(1.0f, 0.4f, 0.8f) * glowLine;
    });
    Rng rng(2002);
    for (int i = 0; i < 140; ++i) {
        float x = rng.range(0.0f, 512.0f), y = rng.range(0.0f, 250.0f);
        addStar(img, x, y, 0.3f + rng.uniform() * 0.7f, rgb(0.8f, 0.8f, 1.0f) * (0.3f + 0.5f * rng.uniform()));
    }
    return save(path, img);
}

bool burstBackground(const std::string& path) {
    Image img(kSize, kSize);
    paint(img, [](float x, float y) {
        float dx = x - 256.0f, dy = y - 290.0f;
        float d = std::sqrt(dx * dx + dy * dy) / 256.0f;
        float angle = std::atan2(dy, dx) + 0.15f * std::sin(d * 3.0f);
        float wedge = std::sin(angle * 9.0f);
        float w = smoothstep(-0.15f, 0.15f, wedge);
        Vec3 a = rgb(0.22f, 0.05f, 0.03f), b = rgb(0.09f, 0.02f, 0.07f);
        Vec3 c = lerp(b, a, w);
        float glow = std::exp(-d * d * 5.0f);
        float cloud = fbm(x * 0.008f, y * 0.008f, 5, 91u);
        float vignette = 1.0f - smoothstep(0.6f, 1.3f, d);
        float grain = valueNoise(x * 0.9f, y * 0.9f, 93u) * 0.03f;
        return (c * (0.6f + 0.8f * cloud) + rgb(0.55f, 0.25f, 0.05f) * glow) * vignette + rgb(grain, grain * 0.5f, grain * 0.3f);
    });
    return save(path, img);
}

// ---------------------------------------------------------------------------
// The mushroom picture

struct Mushroom {
    float cx, base, scale;
    Vec3 cap;
    uint32_t seed;
};

const Vec3 kLight = normalize({-0.55f, -0.65f, 0.6f});  // from the upper left, x right, y down, z out

// Colour of a mushroom at a picture point, or false where it is not.
bool shadeMushroom(const Mushroom& m, float x, float y, Vec3& out) {
    float u = (x - m.cx) / m.scale, v = (y - m.base) / m.scale;  // v < 0 above the ground
    const float capY = -175.0f, rx = 170.0f, ry = 125.0f, rim = 20.0f;
    // Cap: the upper half of an ellipse, closed below by a shallow curve.
    float cu = u / rx, cv = (v - capY) / ry;
    if (cv <= 0.0f && cu * cu + cv * cv <= 1.0f) {
        float nz = std::sqrt(std::max(0.0f, 1.0f - cu * cu - cv * cv));
        Vec3 n = normalize({cu, cv * 0.9f, nz});
        float diffuse = std::max(0.0f, dot(n, kLight));
        Vec3 h = normalize(kLight + Vec3{0.0f, 0.0f, 1.0f});
        float highlight = std::pow(std::max(0.0f, dot(n, h)), 40.0f);
        Vec3 base = m.cap;
        // White spots stuck to the dome follow its curvature.
        Rng rng(m.seed);
        float spot = 0.0f;
        for (int i = 0; i < 14; ++i) {
            float a = rng.range(-1.25f, 1.25f), b = rng.range(0.15f, 1.3f), r = rng.range(0.12f, 0.22f);
            Vec3 s = normalize({std::sin(a) * std::cos(b * 0.9f), -std::sin(b), std::cos(a) * std::cos(b)});
            float c = dot(n, s);
            spot = std::max(spot, smoothstep(std::cos(r), std::cos(r * 0.85f), c));
        }
        base = lerp(base, rgb(0.95f, 0.92f, 0.85f), spot);
        float edge = smoothstep(0.75f, 1.0f, cu * cu + cv * cv);
        Vec3 c = base * (0.18f + 0.95f * diffuse) * (1.0f - 0.45f * edge) + rgb(1.0f, 0.95f, 0.9f) * (highlight * 0.6f);
        out = c;
        return true;
    }
    float rimY = capY + rim * std::sqrt(std::max(0.0f, 1.0f - cu * cu));
    if (cv > 0.0f && std::fabs(cu) <= 1.0f && v <= rimY) {
        // Underside: gills running out from the stem.
        float angle = std::atan2(v - capY, u);
        float gill = 0.5f + 0.5f * std::sin(angle * 90.0f);
        float shade = 0.35f + 0.25f * (1.0f - std::fabs(cu));
        out = rgb(0.62f, 0.48f, 0.36f) * (shade * (0.75f + 0.25f * gill));
        return true;
    }
    // Stem: slightly tapered and bent, shaded as a cylinder.
    if (v > capY && v <= 5.0f) {
        float t = (v - capY) / (5.0f - capY);
        float centre = 8.0f * std::sin(t * kPi);
        float half = mix(26.0f, 36.0f, t * t);
        float su = (u - centre) / half;
        if (std::fabs(su) <= 1.0f) {
            Vec3 n = normalize({su, 0.0f, std::sqrt(1.0f - su * su)});
            float diffuse = std::max(0.0f, dot(n, kLight));
            float fibre = valueNoise(su * 12.0f, v * 0.05f, m.seed + 5u);
            float underCap = smoothstep(0.0f, 0.25f, t);
            out = rgb(0.92f, 0.86f, 0.74f) * ((0.2f + 0.85f * diffuse) * (0.85f + 0.15f * fibre) * (0.45f + 0.55f * underCap));
            return true;
        }
    }
    return false;
}

bool mushroomPicture(const std::string& path) {
    Image img(kSize, kSize);
    const Mushroom big{256.0f, 430.0f, 1.0f, rgb(0.85f, 0.07f, 0.05f), 7u};
    const Mushroom left{108.0f, 462.0f, 0.36f, rgb(0.9f, 0.35f, 0.05f), 8u};
    const Mushroom right{402.0f, 470.0f, 0.5f, rgb(0.75f, 0.05f, 0.12f), 9u};
    paint(img, [&](float x, float y) {
        float dx = (x - 256.0f) / 256.0f, dy = (y - 170.0f) / 256.0f;
        float d2 = dx * dx + dy * dy;
        Vec3 c = lerp(rgb(0.06f, 0.2f, 0.14f), rgb(0.0f, 0.02f, 0.02f), clamp01(d2 * 1.4f));
        c = c * (0.8f + 0.4f * fbm(x * 0.01f, y * 0.01f, 4, 301u));
        Vec3 m;
        if (shadeMushroom(big, x, y, m)) c = m;
        // Grassy ground in front of the big stem.
        float edge = 420.0f + 10.0f * fbm(x * 0.01f, 0.0f, 3, 303u) - 22.0f * std::pow(valueNoise(x * 0.45f, 0.0f, 305u), 3.0f);
        if (y > edge) {
            float depth = clamp01((y - edge) / 90.0f);
            float tex = fbm(x * 0.08f, y * 0.2f, 3, 307u);
            c = lerp(rgb(0.08f, 0.2f, 0.05f), rgb(0.02f, 0.05f, 0.02f), depth) * (0.7f + 0.6f * tex);
        }
        if (shadeMushroom(left, x, y, m) || shadeMushroom(right, x, y, m)) c = m;
        return c;
    });
    // Fireflies and a few out-of-focus lights.
    Rng rng(3003);
    for (int i = 0; i < 26; ++i) {
        float x = rng.range(10.0f, 502.0f), y = rng.range(20.0f, 400.0f);
        float r = rng.range(6.0f, 16.0f);
        addDot(img, x, y, r, rgb(0.1f, 0.22f, 0.12f) * rng.range(0.2f, 0.5f));
    }
    for (int i = 0; i < 40; ++i) {
        float x = rng.range(10.0f, 502.0f), y = rng.range(20.0f, 470.0f);
        addDot(img, x, y, 4.0f, rgb(0.35f, 0.5f, 0.1f) * 0.35f);
        addDot(img, x, y, 1.1f, rgb(1.0f, 1.0f, 0.6f) * 0.9f);
    }
    return save(path, img);
}

bool loadingPicture(const std::string& path, Font& bold, Font& light) {
    Image img(kSize, kSize);
    paint(img, [](float x, float y) {
        float u = x / kSize, v = y / kSize;
        float n = smoothstep(0.45f, 0.9f, fbm(u * 2.5f, v * 2.5f, 5, 401u));
        return lerp(rgb(0.01f, 0.01f, 0.03f), rgb(0.02f, 0.03f, 0.07f), v) + rgb(0.1f, 0.15f, 0.35f) * (n * 0.35f);
    });
    Rng rng(4004);
    addStarField(img, rng, 500, 0.6f);
    Mask group(kSize, kSize);
    light.drawCentred(group, "V E L M O R A", 30, 256.0f, 150.0f);
    addGlowingText(img, group, rgb(0.85f, 0.8f, 1.0f), rgb(0.7f, 0.65f, 1.0f), 128.0f, 150.0f, rgb(0.2f, 0.15f, 0.5f));
    Mask title(kSize, kSize);
    int size = bold.fitSize("Plinthor", 440.0f, 110);
    float baseline = 285.0f;
    bold.drawCentred(title, "Plinthor", size, 256.0f, baseline);
    addGlowingText(img, title, rgb(1.0f, 1.0f, 1.0f), rgb(0.5f, 0.85f, 1.0f), baseline - float(size) * kCapHeight, baseline, rgb(0.1f, 0.35f, 0.7f));
    Mask loading(kSize, kSize);
    light.drawCentred(loading, "l o a d i n g", 24, 256.0f, 372.0f);
    addGlowingText(img, loading, rgb(0.8f, 0.9f, 1.0f), rgb(0.8f, 0.9f, 1.0f), 350.0f, 372.0f, rgb(0.1f, 0.2f, 0.4f));
    // A progress bar, frame and glowing fill.
    for (int y = 392; y <= 404; ++y) {
        for (int x = 136; x <= 376; ++x) {
            bool frame = y == 392 || y == 404 || x == 136 || x == 376;
            bool fill = y >= 395 && y <= 401 && x >= 139 && x <= 290;
            if (frame) img.add(x, y, rgb(0.35f, 0.5f, 0.8f));
            if (fill) img.add(x, y, lerp(rgb(0.2f, 0.5f, 1.0f), rgb(0.6f, 0.95f, 1.0f), float(x - 139) / 151.0f));
        }
    }
    return save(path, img);
}

}  // namespace

bool generatePictures(const std::string& dir) {
    Font bold("DejaVuSans-Bold.ttf");
    Font light("DejaVuSans.ttf");
    Font italic("DejaVuSerif-Italic.ttf");
    if (!bold.ok() || !light.ok() || !italic.ok()) return false;
    bool ok = true;
    ok = loadingPicture(dir + "/loading.jpg", bold, light) && ok;
    ok = starBackground(dir + "/etoile-donuts/bgmap.jpg") && ok;
    ok = gridBackground(dir + "/Hypercube/bgmap.jpg") && ok;
    ok = burstBackground(dir + "/cubes/bgmap.jpg") && ok;
    ok = mushroomPicture(dir + "/champi/champi1.jpg") && ok;

    const std::string text = dir + "/text/";
    ok = logoPlate(text + "logo.jpg", bold) && ok;
    ok = wordPlate(text + "velmora.jpg", bold, "Velmora", 120, {rgb(1.0f, 1.0f, 1.0f), rgb(0.8f, 0.7f, 1.0f), rgb(0.4f, 0.2f, 0.9f)}) && ok;
    ok = wordPlate(text + "presents.jpg", italic, "presents", 120, {rgb(1.0f, 0.97f, 0.9f), rgb(1.0f, 0.8f, 0.5f), rgb(0.8f, 0.4f, 0.1f)}) && ok;
    ok = wordPlate(text + "demo.jpg", bold, "Plinthor", 120, {rgb(1.0f, 1.0f, 1.0f), rgb(0.5f, 0.9f, 1.0f), rgb(0.1f, 0.45f, 0.9f)}) && ok;
    ok = wordPlate(text + "enjoy.jpg", italic, "enjoy", 150, {rgb(1.0f, 1.0f, 0.95f), rgb(1.0f, 0.75f, 0.9f), rgb(0.9f, 0.2f, 0.6f)}) && ok;

    static const char* const kGroups[9][3] = {
        {"Quartzfield", "Glimmerhaus", "Pixelmoth"},   {"Tundrabyte", "Vaporlith", "Cobalt Orchard"},
        {"Ferrowave", "Moonsalt", "Hexadune"},         {"Lumenkraft", "Octavox", "Brassnoise"},
        {"Zephyrion", "Paperlynx", "Kilnwork"},        {"Starmilk", "Driftcode", "Umbrafox"},
        {"Saltgrid", "Emberloop", "Nimbusfold"},       {"Crystalmoss", "Ironpetal", "Hollowsun"},
        {"Mothlantern", "Glasswhale", "Tinderbit"},
    };
    static const Vec3 kGlows[9] = {
        {0.1f, 0.45f, 0.9f}, {0.6f, 0.2f, 0.9f}, {0.9f, 0.3f, 0.1f}, {0.1f, 0.7f, 0.5f}, {0.9f, 0.2f, 0.5f},
        {0.2f, 0.6f, 0.9f},  {0.8f, 0.6f, 0.1f}, {0.4f, 0.3f, 1.0f}, {0.2f, 0.8f, 0.3f},
    };
    for (int i = 0; i < 9; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Sgreets%02d.jpg", i + 1);
        ok = greetingsPlate(text + name, italic, bold, {kGroups[i][0], kGroups[i][1], kGroups[i][2]}, kGlows[i]) && ok;
    }
    return ok;
}

}  // namespace datagen
