// The production script: the part table and every part's steps, written as
// tables in the order they run. Parameter strings are exact, trailing blanks
// included: the effects read them as they stand. 108 effects in all, created
// part by part in the order below.
#include "demo/script.h"

#include <array>
#include <cstdio>

#include "kernel/os.h"

namespace {

using L = LayerKind;
using S = Slot;

constexpr ScreenRect rect(float a, float b, float c, float d) { return ScreenRect{a, b, c, d}; }

// An effect step with a parameter string.
constexpr ScriptStep fx(const char* name, const char* parameters, LayerKind layer, Slot remember = Slot::None) {
    ScriptStep s;
    s.kind = ScriptStep::Kind::Effect;
    s.name = name;
    s.parameters = parameters;
    s.layer = layer;
    s.remember = remember;
    return s;
}

// An effect step whose parameter string is the screen rect.
constexpr ScriptStep fx(const char* name, ScreenRect r, LayerKind layer) {
    ScriptStep s;
    s.kind = ScriptStep::Kind::Effect;
    s.name = name;
    s.rect = r;
    s.layer = layer;
    return s;
}

constexpr CurveSpec sine(float offset, float amplitude, float frequency) {
    return CurveSpec{CurveKind::Sine, offset, amplitude, frequency};
}
constexpr CurveSpec trapezoid(float base, float peak, float width) {
    return CurveSpec{CurveKind::Trapezoid, base, peak, width};
}
constexpr CurveSpec linear(float from, float to) { return CurveSpec{CurveKind::Linear, from, to, 0.0f}; }

// A track of a fixed duration in seconds.
constexpr ScriptStep track(Slot target, int32_t paramId, CurveSpec curve, float seconds) {
    ScriptStep s;
    s.kind = ScriptStep::Kind::Track;
    s.target = target;
    s.paramId = paramId;
    s.curve = curve;
    s.seconds = seconds;
    return s;
}

// A track that lasts until the start of part untilPart.
constexpr ScriptStep trackUntil(Slot target, int32_t paramId, CurveSpec curve, int32_t untilPart) {
    ScriptStep s = track(target, paramId, curve, 0.0f);
    s.untilPart = untilPart;
    return s;
}

constexpr PartTime kPartTable[] = {
    {0, 0.0f},    {1, 6.5f},    {2, 10.0f},   {3, 13.0f},   {4, 18.0f},   {5, 20.0f},   {6, 26.0f},
    {7, 26.5f},   {8, 28.5f},   {9, 30.5f},   {10, 33.0f},  {11, 35.7f},  {12, 37.7f},  {13, 39.7f},
    {14, 41.7f},  {15, 44.5f},  {16, 45.0f},  {17, 47.7f},  {18, 50.7f},  {19, 52.7f},  {20, 55.12f},
    {21, 57.54f}, {22, 59.96f}, {23, 62.38f}, {24, 64.8f},  {25, 67.22f}, {26, 69.64f}, {27, 72.06f},
    {28, 74.48f}, {29, 76.9f},  {30, 79.0f},  {32, 830.4f}, {33, 832.5f},
};

// Part 1: the star-and-donut scene, two split-screen cameras.
constexpr ScriptStep kPart1[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("bg_zclear", "", L::Plain),
    fx("bg_texture", "./data/etoile-donuts/bgmap.jpg", L::Plain),
    fx("fx_whiteflash", "3", L::Plain),
    fx("set_viewport", rect(0, 0.5f, 0.5f, 1), L::Plain),
    fx("set_camera", "120 0 ./data/etoile-donuts/camera_line_droit2.spl ", L::Progress, S::Camera1),
    fx("vorn_mesh", "FFFFFFFF ./data/etoile-donuts/etoile-donuts.3ds ", L::Plain),
    fx("set_viewport", rect(0.5f, 1, 0, 0.5f), L::Plain),
    fx("set_camera", "120 0 ./data/etoile-donuts/camera_line_invert2.spl ", L::Progress, S::Camera2),
    fx("vorn_mesh", "FFFFFFFF ./data/etoile-donuts/etoile-donuts.3ds ", L::Plain),
};

// Parts 2 to 5: title cards over part 1's scene.
constexpr ScriptStep kPart2[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("Kel_text", "./data/text/logo.jpg ", L::Progress),
    trackUntil(S::Camera2, 5, sine(0.5f, -0.5f, 5.0f), 7),
    fx("fx_whiteflash", "1", L::Plain),
};
constexpr ScriptStep kPart3[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("Kel_text", "./data/text/velmora.jpg ", L::Progress),
    trackUntil(S::Camera1, 4, trapezoid(0, 0.5f, 1.0f), 4),
    fx("fx_whiteflash", "1", L::Plain),
};
constexpr ScriptStep kPart4[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("Kel_text", "./data/text/presents.jpg ", L::Progress),
    trackUntil(S::Camera1, 4, trapezoid(0, 0.25f, 1.0f), 5),
    fx("fx_whiteflash", "1", L::Plain),
};
constexpr ScriptStep kPart5[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("Kel_text", "./data/text/demo.jpg ", L::Progress),
    fx("fx_whiteflash", "1", L::Plain),
};

// Part 7: the hypercube scene.
constexpr ScriptStep kPart7[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("bg_zclear", "", L::Plain),
    fx("bg_texture", "./data/Hypercube/bgmap.jpg", L::Plain),
    fx("set_viewport", rect(0.028f, 0.1875f, 0.0375f, 0.25f), L::Plain),
    fx("kel_trans", "-1.0 -1.0 800F0F80 ", L::Plain),
    fx("set_viewport", rect(0.043f, 0.164f, 0.732f, 0.9f), L::Plain),
    fx("kel_trans", "1.0 1.0 80FF00FF ", L::Plain),
    fx("set_viewport", rect(0.57f, 0.945f, 0.5f, 0.833f), L::Plain),
    fx("kel_hypercube", "001F1F1F 001F1F1F 001F1F1F 1.0 2.0 0", L::Plain, S::CubeA),
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("kel_hypercube", "3FFF0000 2FFF7F00 6FFFFF00 10.0 2.75 1", L::Plain, S::CubeB),
    fx("fx_whiteflash", "2", L::Plain),
};

// Parts 8 to 12: beats on the two hypercubes, each track with its own curve.
constexpr ScriptStep kPart8[] = {
    track(S::CubeB, 3, trapezoid(0, 1.0f, 1.0f), 2.0f),
    track(S::CubeA, 3, trapezoid(0, 1.0f, 1.0f), 2.0f),
    fx("fx_whiteflash", "1", L::Plain),
};
constexpr ScriptStep kPart9[] = {
    track(S::CubeB, 3, trapezoid(0, 1.0f, 1.0f), 2.0f),
    track(S::CubeA, 3, trapezoid(0, 1.0f, 1.0f), 2.0f),
    fx("fx_whiteflash", "1", L::Plain),
};
constexpr ScriptStep kPart10[] = {
    track(S::CubeB, 1, linear(1.0f, 1.0f), 1.0f),
    track(S::CubeA, 1, linear(1.0f, 1.0f), 1.0f),
    fx("fx_whiteflash", "1", L::Plain),
};
constexpr ScriptStep kPart11[] = {
    track(S::CubeB, 3, trapezoid(0, 1.0f, 1.0f), 2.0f),
    track(S::CubeA, 3, trapezoid(0, 1.0f, 1.0f), 2.0f),
    fx("fx_whiteflash", "1", L::Plain),
};
constexpr ScriptStep kPart12[] = {
    track(S::CubeB, 3, trapezoid(0, 1.0f, 1.0f), 2.0f),
    track(S::CubeA, 3, trapezoid(0, 1.0f, 1.0f), 2.0f),
    fx("fx_whiteflash", "1", L::Plain),
};

// Part 13: the spinning card.
constexpr ScriptStep kPart13[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("bg_zclear", "", L::Plain),
    fx("kel_champi", "./data/champi/champi1.jpg", L::Plain),
    fx("fx_whiteflash", "2", L::Plain),
};

// Part 15: two cards side by side, a blue hypercube over them.
constexpr ScriptStep kPart15[] = {
    fx("bg_zclear", "", L::Plain),
    fx("set_viewport", rect(0, 0.5f, 0, 1), L::Plain),
    fx("kel_champi", "./data/champi/champi1.jpg", L::Plain),
    fx("set_viewport", rect(0.5f, 1, 0, 1), L::Plain),
    fx("kel_champi", "./data/champi/champi1.jpg", L::Plain),
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("kel_hypercube", "3F0000FF 2F007F3F 6F00005F 10.0 2.75 1", L::Plain, S::CubeB),
    track(S::CubeB, 3, sine(0.5f, 0.5f, 2.0f), 4.0f),
    fx("fx_whiteflash", "1", L::Plain),
};

// Part 17: four cards, a grey hypercube over them.
constexpr ScriptStep kPart17[] = {
    fx("bg_zclear", "", L::Plain),
    fx("set_viewport", rect(0, 0.5f, 0, 0.5f), L::Plain),
    fx("kel_champi", "./data/champi/champi1.jpg", L::Plain),
    fx("set_viewport", rect(0.5f, 1, 0, 0.5f), L::Plain),
    fx("kel_champi", "./data/champi/champi1.jpg", L::Plain),
    fx("set_viewport", rect(0, 0.5f, 0.5f, 1), L::Plain),
    fx("kel_champi", "./data/champi/champi1.jpg", L::Plain),
    fx("set_viewport", rect(0.5f, 1, 0.5f, 1), L::Plain),
    fx("kel_champi", "./data/champi/champi1.jpg", L::Plain),
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("kel_hypercube", "3F5F5F5F 2FFFFFFF 6F2F2F2F 10.0 2.75 1", L::Plain, S::CubeB),
    track(S::CubeB, 3, sine(0.5f, 0.5f, 2.0f), 4.0f),
    fx("fx_whiteflash", "1", L::Plain),
};

// Part 19: the cube scene under the greetings.
constexpr ScriptStep kPart19[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("bg_zclear", "", L::Plain),
    fx("bg_texture", "./data/cubes/bgmap.jpg", L::Plain),
    fx("fx_lines", "", L::Plain),
    fx("fx_cubes", "", L::Plain),
    fx("fx_whiteflash", "2", L::Plain),
};

// Parts 20 to 28: greetings cards.
constexpr std::array<ScriptStep, 3> greetingsCard(const char* picture) {
    return {
        fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
        fx("Kel_text", picture, L::Progress),
        fx("fx_whiteflash", "1", L::Plain),
    };
}
constexpr auto kPart20 = greetingsCard("./data/text/Sgreets01.jpg ");
constexpr auto kPart21 = greetingsCard("./data/text/Sgreets02.jpg ");
constexpr auto kPart22 = greetingsCard("./data/text/Sgreets03.jpg ");
constexpr auto kPart23 = greetingsCard("./data/text/Sgreets04.jpg ");
constexpr auto kPart24 = greetingsCard("./data/text/Sgreets05.jpg ");
constexpr auto kPart25 = greetingsCard("./data/text/Sgreets06.jpg ");
constexpr auto kPart26 = greetingsCard("./data/text/Sgreets07.jpg ");
constexpr auto kPart27 = greetingsCard("./data/text/Sgreets08.jpg ");
constexpr auto kPart28 = greetingsCard("./data/text/Sgreets09.jpg ");

// Parts 29 and 30: the closing scene, up to the end.
constexpr ScriptStep kPart29[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("bg_zclear", "", L::Plain),
    fx("bg_texture", "./data/champi/champi1.jpg", L::Plain),
    fx("fx_whiteflash", "3", L::Plain),
    fx("set_viewport", rect(0, 0.5f, 0.5f, 1), L::Plain),
    fx("set_camera", "120 0 ./data/etoile-donuts/camera_line_droit2.spl ", L::Progress, S::Camera1),
    fx("vorn_mesh_tour", "FF00FF00 ./data/champi/champiworld.3ds ", L::Plain),
};
constexpr ScriptStep kPart30[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("bg_zclear", "", L::Plain),
    fx("Kel_text", "./data/text/enjoy.jpg ", L::Progress),
};

// Part 33: the last frame, drawn once before the process ends.
constexpr ScriptStep kPart33[] = {
    fx("set_viewport", rect(0, 1, 0, 1), L::Plain),
    fx("fx_blacksmousse", "2", L::Plain),
};

// part, end part, steps
constexpr ScriptPart kScript[] = {
    {1, 7, kPart1},     {2, 3, kPart2},     {3, 4, kPart3},     {4, 5, kPart4},     {5, 6, kPart5},
    {7, 13, kPart7},    {8, 9, kPart8},     {9, 10, kPart9},    {10, 11, kPart10},  {11, 12, kPart11},
    {12, 13, kPart12},  {13, 15, kPart13},  {15, 17, kPart15},  {17, 19, kPart17},  {19, 29, kPart19},
    {20, 21, kPart20},  {21, 22, kPart21},  {22, 23, kPart22},  {23, 24, kPart23},  {24, 25, kPart24},
    {25, 26, kPart25},  {26, 27, kPart26},  {27, 28, kPart27},  {28, 29, kPart28},  {29, 33, kPart29},
    {30, 33, kPart30},  {33, 33, kPart33},
};

}  // namespace

std::span<const PartTime> scriptPartTable() { return kPartTable; }

std::span<const ScriptPart> scriptParts() { return kScript; }

const ScriptPart* findScriptPart(int32_t part) {
    for (const ScriptPart& entry : kScript)
        if (entry.part == part) return &entry;
    return nullptr;
}

const char* screenRect(float a, float b, float c, float d) {
    static char buffer[64];
    const float width = currentDriver ? float(currentDriver->width) : 0.0f;
    const float height = currentDriver ? float(currentDriver->height) : 0.0f;
    // Negative sizes or fractions would not convert; they clamp to 0.
    auto truncated = [](float product) { return product > 0.0f ? unsigned(product) : 0u; };
    std::snprintf(buffer, sizeof buffer, "%u %u %u %u", truncated(width * a), truncated(width * b),
                  truncated(height * c), truncated(height * d));
    return buffer;
}
