// The production script as data: the part table (part numbers and start
// times) and, for every part that does something, its end part and its
// steps in order. Demo::onPartStart walks these steps (demo/demo.cpp); the
// asset check of quillon-assets reads the file names out of the same steps,
// so each fact lives in one place.
//
// A step either creates an effect (createEffect with a name and a parameter
// string, or with the screen rect of four fractions), optionally adds it as
// a layer and remembers it in a Demo member, or starts a parameter track on
// a remembered effect. A track lasts a fixed number of seconds or until the
// start of a named part (partStartTime at run time).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

// The Demo members a step remembers an effect in, or a track animates.
enum class Slot : uint8_t { None, Camera1, Camera2, CubeA, CubeB };

enum class LayerKind : uint8_t {
    None,      // created only
    Plain,     // render gets the seconds since the part's start
    Progress,  // render gets the progress from the part's start to its end part's
};

enum class CurveKind : uint8_t { Linear, Trapezoid, Sine };

// The three numbers each curve is constructed with (demo/curves.h):
// Linear (from, to), Trapezoid (base, peak, width), Sine (offset, amplitude,
// frequency).
struct CurveSpec {
    CurveKind kind = CurveKind::Linear;
    float a = 0.0f, b = 0.0f, c = 0.0f;
};

// Fractions of the driver's width (left, right) and height (bottom, top).
struct ScreenRect {
    float a = 0.0f, b = 0.0f, c = 0.0f, d = 0.0f;
};

struct ScriptStep {
    enum class Kind : uint8_t { Effect, Track };
    Kind kind = Kind::Effect;

    // Effect steps.
    const char* name = nullptr;
    const char* parameters = nullptr;  // null: the screen rect
    ScreenRect rect;
    LayerKind layer = LayerKind::None;
    Slot remember = Slot::None;

    // Track steps: on the effect in target, from the part's start.
    Slot target = Slot::None;
    int32_t paramId = 0;
    CurveSpec curve;
    float seconds = 0.0f;    // the duration when untilPart is negative
    int32_t untilPart = -1;  // else the duration runs to this part's start
};

struct ScriptPart {
    int32_t part;
    int32_t endPart;  // every layer of the part is removed when it fires
    std::span<const ScriptStep> steps;
};

struct PartTime {
    int32_t part;
    float time;  // seconds
};

// The part table in table order (ascending time; part 31 does not exist).
std::span<const PartTime> scriptPartTable();
// The parts that do something, in part order. Parts not listed do nothing.
std::span<const ScriptPart> scriptParts();
// The entry for part, or null when the part does nothing.
const ScriptPart* findScriptPart(int32_t part);

// "%u %u %u %u": currentDriver's width * a, width * b, height * c,
// height * d, each truncated towards zero. One static buffer, overwritten
// by every call (0 0 0 0 without a driver).
const char* screenRect(float a, float b, float c, float d);
