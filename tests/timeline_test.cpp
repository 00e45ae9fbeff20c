// The timeline's frame step, preload and effect pool, and the curves.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "demo/curves.h"
#include "demo/timeline.h"
#include "tests/support/test_support.h"

namespace {

// Everything the effects were told, in order, as "name:render value" or
// "name:param id value".
std::vector<std::string> calls;
int effectsAlive = 0;
int curvesAlive = 0;

std::string describe(const char* what, float v) {
    char text[64];
    std::snprintf(text, sizeof text, "%s %g", what, double(v));
    return text;
}

class ProbeEffect : public Effect {
public:
    ProbeEffect() { ++effectsAlive; }
    ~ProbeEffect() override { --effectsAlive; }
    ErrorCode init(const char* parameters) override {
        label = parameters;
        return label == "fail" ? Failed : Ok;
    }
    void setParam(int32_t id, float value) override {
        calls.push_back(label + ":" + describe(("param " + std::to_string(id)).c_str(), value));
    }
    void render(float t) override { calls.push_back(label + ":" + describe("render", t)); }

    std::string label;
};

class CountedCurve : public LinearCurve {
public:
    CountedCurve(float from, float to) : LinearCurve(from, to) { ++curvesAlive; }
    ~CountedCurve() override { --curvesAlive; }
};

// A timeline whose script is a lambda, recording the hooks it sees.
class ScriptedTimeline : public Timeline {
public:
    ScriptedTimeline() { registry.registerEffect(new EffectFactoryOf<ProbeEffect>("probe")); }

    void onPartStart(float start, int32_t part) override {
        hooks.push_back(describe(("part " + std::to_string(part)).c_str(), start));
        if (script) script(*this, start, part);
    }
    void onFrame(float t, float partTime, int32_t part) override {
        frames.push_back(describe("t", t) + describe(" partTime", partTime) + " part " + std::to_string(part));
    }

    std::function<void(ScriptedTimeline&, float, int32_t)> script;
    std::vector<std::string> hooks;
    std::vector<std::string> frames;
};

class TimelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        effectsAlive = 0;
        curvesAlive = 0;
    }
    test::TempDir dir;  // instantiate may log
};

}  // namespace

TEST_F(TimelineTest, PartsFireInTableOrderAtOrAfterTheirTime) {
    struct Case {
        std::vector<float> steps;
        std::vector<std::string> hooks;  // in firing order
        int32_t currentPart;
        float currentPartStart;
    } cases[] = {
        {{4.9f}, {}, 0, 0.0f},
        {{5.0f}, {"part 1 5"}, 1, 5.0f},                            // equal time fires
        {{5.0f, 5.0f, 5.5f}, {"part 1 5"}, 1, 5.0f},                // fired once only
        {{6.5f}, {"part 1 5", "part 3 6"}, 3, 6.0f},                // both due: table order
        {{7.5f}, {"part 1 5", "part 2 7", "part 3 6"}, 3, 6.0f},    // unsorted table: still table order
        {{6.0f, 7.0f}, {"part 1 5", "part 3 6", "part 2 7"}, 2, 7.0f},
    };
    for (const Case& c : cases) {
        ScriptedTimeline timeline;
        timeline.addPart(5.0f, 1);
        timeline.addPart(7.0f, 2);
        timeline.addPart(6.0f, 3);
        timeline.preload();
        timeline.hooks.clear();
        for (float t : c.steps) timeline.advance(t);
        EXPECT_EQ(timeline.hooks, c.hooks) << "last step " << c.steps.back();
        EXPECT_EQ(timeline.currentPart, c.currentPart);
        EXPECT_EQ(timeline.currentPartStart, c.currentPartStart);
        EXPECT_EQ(timeline.frames.size(), c.steps.size());
    }
}

TEST_F(TimelineTest, OnFrameGetsTheClockThePartTimeAndThePart) {
    ScriptedTimeline timeline;
    timeline.addPart(2.0f, 4);
    timeline.preload();
    timeline.advance(1.0f);
    timeline.advance(2.5f);
    EXPECT_EQ(timeline.frames, (std::vector<std::string>{"t 1 partTime 1 part 0", "t 2.5 partTime 0.5 part 4"}));
}

TEST_F(TimelineTest, LayersEndWhenTheirEndPartFiresBeforeItsHook) {
    ScriptedTimeline timeline;
    timeline.addPart(0.0f, 0);
    timeline.addPart(1.0f, 1);
    timeline.addPart(2.0f, 2);
    timeline.script = [](ScriptedTimeline& tl, float start, int32_t part) {
        Effect* e = tl.createEffect("probe", ("p" + std::to_string(part)).c_str());
        if (part == 0) {
            tl.setLayerTemplate(start, 1);  // ends at the next part
            tl.addLayer(e, false);
        } else {
            tl.setLayerTemplate(start, part);  // its own part: survives it
            tl.addLayer(e, false);
        }
    };
    timeline.preload();
    timeline.advance(0.5f);
    EXPECT_EQ(calls, (std::vector<std::string>{"p0:render 0.5"}));
    calls.clear();
    timeline.advance(1.25f);
    EXPECT_EQ(calls, (std::vector<std::string>{"p1:render 0.25"}));
    calls.clear();
    // Part 2 fires: the layer of part 1 ends at part 1 only, so it stays and
    // draws before the new one.
    timeline.advance(2.5f);
    EXPECT_EQ(calls, (std::vector<std::string>{"p1:render 1.5", "p2:render 0.5"}));
}

TEST_F(TimelineTest, TracksAndLayersGetUnclampedValues) {
    // Track 10.0 + 2.0 on a line 0 -> 4; layers from 10.0 to part 9 at 20.0.
    struct Case {
        float t;
        std::vector<std::string> calls;
        size_t tracksLeft;
    } cases[] = {
        {9.0f, {"fx:param 3 -2", "fx:render -1", "fx:render -0.1"}, 1},
        {11.0f, {"fx:param 3 2", "fx:render 1", "fx:render 0.1"}, 1},
        {12.0f, {"fx:param 3 4", "fx:render 2", "fx:render 0.2"}, 0},  // exactly 1.0 at the end
        {15.0f, {"fx:param 3 4", "fx:render 5", "fx:render 0.5"}, 0},  // jumped past: still 1.0
        {22.0f, {"fx:param 3 4", "fx:render 12", "fx:render 1.2"}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        calls.clear();
        ScriptedTimeline timeline;
        timeline.addPart(0.0f, 0);
        timeline.addPart(20.0f, 9);
        timeline.partTable.back().fired = true;  // keeps the layers up past 20.0
        timeline.script = [](ScriptedTimeline& tl, float, int32_t part) {
            if (part != 0) return;
            Effect* e = tl.createEffect("probe", "fx");
            tl.setLayerTemplate(10.0f, 9);
            tl.addLayer(e, false);
            tl.addLayer(e, true);
            tl.addTrack(e, new CountedCurve(0.0f, 4.0f), 3, 10.0f, 2.0f);
        };
        timeline.preload();
        timeline.advance(c.t);
        EXPECT_EQ(calls, c.calls);
        EXPECT_EQ(timeline.tracks.size(), c.tracksLeft);
        EXPECT_EQ(curvesAlive, int(c.tracksLeft));
    }
    EXPECT_EQ(effectsAlive, 0);
}

TEST_F(TimelineTest, PreloadCreatesEffectsAndAddsNothing) {
    ScriptedTimeline timeline;
    timeline.addPart(0.0f, 0);
    timeline.addPart(1.0f, 1);
    std::vector<Effect*> seen;
    timeline.script = [&seen](ScriptedTimeline& tl, float start, int32_t part) {
        const char* names[2][2] = {{"probe", "missing"}, {"probe", "probe"}};
        const char* params[2][2] = {{"a", "b"}, {"fail", "d"}};
        for (int i = 0; i < 2; ++i) {
            // During the run the names are ignored: the pool answers in order.
            const char* name = tl.phase == Timeline::kPhaseRunning ? "no such effect" : names[part][i];
            Effect* e = tl.createEffect(name, params[part][i]);
            seen.push_back(e);
            tl.setLayerTemplate(start, 1);
            tl.addLayer(e, false);
            tl.addTrack(e, new CountedCurve(0.0f, 1.0f), 0, start, 1.0f);
        }
    };
    EXPECT_EQ(timeline.phase, Timeline::kPhaseIdle);
    timeline.preload();
    EXPECT_EQ(timeline.phase, Timeline::kPhaseRunning);
    EXPECT_TRUE(timeline.layers.empty());
    EXPECT_TRUE(timeline.tracks.empty());
    EXPECT_EQ(curvesAlive, 0);
    ASSERT_EQ(timeline.pool.size(), 4u);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_NE(seen[0], nullptr);
    EXPECT_EQ(seen[1], nullptr);  // unknown name
    EXPECT_EQ(seen[2], nullptr);  // failed init
    EXPECT_NE(seen[3], nullptr);
    EXPECT_EQ(effectsAlive, 2);
    EXPECT_EQ(timeline.hooks, (std::vector<std::string>{"part 0 0", "part 1 1"}));

    std::vector<Effect*> preloaded = seen;
    seen.clear();
    timeline.advance(1.0f);
    EXPECT_EQ(seen, preloaded);
    EXPECT_EQ(effectsAlive, 2);
    // Both parts fired in one step: part 1 ended part 0's layers before its
    // own hook ran; the absent effects' layers and tracks are skipped.
    EXPECT_EQ(timeline.tracks.size(), 2u);  // part 0's ended at 1.0
    EXPECT_EQ(calls, (std::vector<std::string>{"a:param 0 1", "d:param 0 0", "d:render 0"}));
    EXPECT_EQ(timeline.createEffect("probe", "a"), nullptr);  // past the end
    EXPECT_EQ(effectsAlive, 2);
}

TEST_F(TimelineTest, TemplatesAndTracksOutsideTheRun) {
    ScriptedTimeline timeline;
    timeline.addPart(3.0f, 7);
    timeline.addPart(4.0f, 7);
    EXPECT_EQ(timeline.partStartTime(7), 3.0f);  // the first entry
    EXPECT_EQ(timeline.partStartTime(8), 0.0f);

    timeline.addTrack(nullptr, new CountedCurve(0.0f, 1.0f), 0, 0.0f, 1.0f);  // idle: deleted
    EXPECT_EQ(curvesAlive, 0);
    EXPECT_TRUE(timeline.tracks.empty());
    timeline.preload();
    timeline.addTrack(nullptr, nullptr, 0, 0.0f, 1.0f);
    EXPECT_TRUE(timeline.tracks.empty());

    timeline.setLayerTemplate(2.0f, 8);
    timeline.addLayer(nullptr, true);
    ASSERT_EQ(timeline.layers.size(), 1u);
    EXPECT_EQ(timeline.layers.back().start, 2.0f);
    EXPECT_EQ(timeline.layers.back().end, 0.0f);
    EXPECT_EQ(timeline.layers.back().endPart, 8);
    EXPECT_TRUE(timeline.layers.back().normalized);
    timeline.advance(2.5f);  // a layer without an effect draws nothing
    EXPECT_TRUE(calls.empty());
}

TEST_F(TimelineTest, DestructionReleasesPoolEffectsAndCurves) {
    {
        ScriptedTimeline timeline;
        timeline.addPart(0.0f, 0);
        timeline.script = [](ScriptedTimeline& tl, float, int32_t) {
            Effect* e = tl.createEffect("probe", "x");
            tl.createEffect("probe", "fail");
            tl.addTrack(e, new CountedCurve(0.0f, 1.0f), 0, 0.0f, 100.0f);
        };
        timeline.preload();
        timeline.advance(1.0f);
        EXPECT_EQ(effectsAlive, 1);
        EXPECT_EQ(curvesAlive, 1);
    }
    EXPECT_EQ(effectsAlive, 0);
    EXPECT_EQ(curvesAlive, 0);
}

// Curves: exact where the arithmetic is exact, else within one float ulp
// of the value the design names (scaled to the 0.5 offset the sines carry).
TEST(Curves, ValuesOfTheThreeShapes) {
    struct Case {
        const char* what;
        const Curve* curve;
        float x;
        float expected;
        float ulps;  // 0: bit-exact
    };
    LinearCurve line(2.0f, 4.0f);
    TrapezoidCurve full(0.0f, 1.0f, 1.0f);
    TrapezoidCurve narrow(0.0f, 1.0f, 0.4f);
    SineCurve fivePeriods(0.5f, -0.5f, 5.0f);
    SineCurve twoPeriods(0.5f, 0.5f, 2.0f);
    Case cases[] = {
        {"line 0.25", &line, 0.25f, 2.5f, 0},
        {"line 1", &line, 1.0f, 4.0f, 0},
        {"line 1.5 extrapolates", &line, 1.5f, 5.0f, 0},
        {"trapezoid 0", &full, 0.0f, 0.0f, 0},
        {"trapezoid 0.25", &full, 0.25f, 0.5f, 0},
        {"trapezoid 0.5 holds", &full, 0.5f, 1.0f, 0},
        {"trapezoid 0.75", &full, 0.75f, 0.5f, 0},
        {"trapezoid 1", &full, 1.0f, 0.0f, 0},
        {"trapezoid 1.25 extrapolates", &full, 1.25f, -0.5f, 0},
        {"narrow at its ramp", &narrow, 0.2f, 1.0f, 0},
        {"narrow 0.5", &narrow, 0.5f, 1.0f, 0},
        {"narrow 0.75", &narrow, 0.75f, 1.0f, 0},
        {"sine5 0", &fivePeriods, 0.0f, 0.5f, 0},
        {"sine5 0.05", &fivePeriods, 0.05f, 0.0f, 1},
        {"sine5 1 up to rounding", &fivePeriods, 1.0f, 0.5f, 16},
        {"sine2 0.125", &twoPeriods, 0.125f, 1.0f, 1},
        {"sine2 0.375", &twoPeriods, 0.375f, 0.0f, 1},
    };
    const float ulpAtHalf = std::nextafter(0.5f, 1.0f) - 0.5f;
    for (const Case& c : cases) {
        float v = c.curve->evaluate(c.x);
        if (c.ulps == 0) {
            EXPECT_EQ(v, c.expected) << c.what;
        } else {
            EXPECT_NEAR(v, c.expected, c.ulps * ulpAtHalf) << c.what;
        }
    }
    EXPECT_EQ(full.ramp, 0.5f);
    EXPECT_EQ(narrow.ramp, 0.2f);
}

TEST(Curves, TwoPiIsTheFloatConstantInTheGivenProductOrder) {
    // offset 0, amplitude 1: the raw sine of x * frequency * 2pi.
    SineCurve sine(0.0f, 1.0f, 3.0f);
    const float twoPi = 6.2831855f;
    uint32_t bits;
    std::memcpy(&bits, &twoPi, sizeof bits);
    EXPECT_EQ(bits, 0x40C90FDBu);
    for (float x : {0.1f, 0.3f, 0.77f, 2.5f}) EXPECT_EQ(sine.evaluate(x), std::sin((x * 3.0f) * twoPi)) << x;
}
