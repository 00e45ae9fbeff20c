// The demo's script and frame step, without a screen: the real Demo and its
// real script, with every effect type registered under its standard name as
// a recording stand-in, a plain 800x600 driver and a stand-in clock.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "demo/demo.h"

namespace {

struct Recorded {
    std::string type;  // the registered name of the factory that made it
    std::string parameters;
    std::vector<std::pair<int32_t, float>> params;
    int renders = 0;
};

class RecordingEffect : public Effect {
public:
    explicit RecordingEffect(const char* type) { record.type = type; }
    ErrorCode init(const char* parameters) override {
        record.parameters = parameters;
        return Ok;
    }
    void setParam(int32_t id, float value) override { record.params.push_back({id, value}); }
    void render(float) override { ++record.renders; }
    Recorded record;
};

class RecordingFactory : public EffectFactory {
public:
    using EffectFactory::EffectFactory;
    Effect* create() override { return new RecordingEffect(name); }
};

// The demo with a stand-in clock and an end that is only recorded.
class ScriptedDemo : public Demo {
public:
    std::deque<int32_t> readings;  // consumed one per clock read, then ms
    int32_t ms = 0;
    int ends = 0;
    int endStatus = -1;

    void at(int32_t position) {
        ms = position;
        update();
    }

protected:
    int32_t clockMs() override {
        if (readings.empty()) return ms;
        ms = readings.front();
        readings.pop_front();
        return ms;
    }
    void endProcess(int status) override {
        ++ends;
        endStatus = status;
    }
};

class DemoScript : public ::testing::Test {
protected:
    void SetUp() override {
        driver.width = 800;
        driver.height = 600;
        currentDriver = &driver;
        EffectRegistry standard;
        standard.registerStandardEffects();
        for (uint32_t i = 0; i < standard.count(); ++i)
            demo.registry.registerEffect(new RecordingFactory(standard.factory(i)->name));
        demo.buildPartTable();
        demo.preload();
        poolVector.assign(demo.pool.begin(), demo.pool.end());
    }
    void TearDown() override { currentDriver = nullptr; }

    static const Recorded& rec(const Effect* e) { return static_cast<const RecordingEffect*>(e)->record; }
    int indexOf(const Effect* e) const {
        for (size_t i = 0; i < poolVector.size(); ++i)
            if (poolVector[i] == e) return int(i);
        return -1;
    }
    std::vector<int> layerIndices() const {
        std::vector<int> out;
        for (const Layer& l : demo.layers) out.push_back(indexOf(l.effect));
        return out;
    }
    static std::vector<int> range(int first, int last) {
        std::vector<int> out;
        for (int i = first; i <= last; ++i) out.push_back(i);
        return out;
    }
    static int32_t msAt(float seconds) { return int32_t(std::ceil(double(seconds) * 1000.0)) + 1; }

    Driver driver;
    ScriptedDemo demo;
    std::vector<Effect*> poolVector;
};

TEST(DemoScreenRect, TruncatedProductsOfTheDriverSize) {
    Driver driver;
    driver.width = 800;
    driver.height = 600;
    currentDriver = &driver;
    struct Case {
        float a, b, c, d;
        const char* text;
    };
    const Case cases[] = {
        {0, 1, 0, 1, "0 800 0 600"},
        {0.028f, 0.1875f, 0.0375f, 0.25f, "22 150 22 150"},  // 22.4 and 22.5 truncate
        {0, 0.5f, 0.5f, 1, "0 400 300 600"},                 // top-left quarter
        {0.5f, 1, 0, 0.5f, "400 800 0 300"},                 // bottom-right quarter
        {0.57f, 0.945f, 0.5f, 0.833f, "456 756 300 499"},
    };
    for (const Case& c : cases) EXPECT_STREQ(screenRect(c.a, c.b, c.c, c.d), c.text);
    // One buffer, overwritten by the next call.
    const char* first = screenRect(0, 1, 0, 1);
    const char* second = screenRect(0.5f, 1, 0, 0.5f);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "400 800 0 300");
    currentDriver = nullptr;
    EXPECT_STREQ(screenRect(0, 1, 0, 1), "0 0 0 0");
}

TEST(DemoPartTable, ThePartsInTableOrderAtTheirFloatTimes) {
    ScriptedDemo demo;
    demo.buildPartTable();
    std::vector<std::pair<int32_t, float>> got;
    for (const PartTrigger& p : demo.partTable) {
        EXPECT_FALSE(p.fired);
        got.push_back({p.part, p.time});
    }
    const std::vector<std::pair<int32_t, float>> expected = {
        {0, 0.0f},    {1, 6.5f},    {2, 10.0f},   {3, 13.0f},   {4, 18.0f},   {5, 20.0f},   {6, 26.0f},
        {7, 26.5f},   {8, 28.5f},   {9, 30.5f},   {10, 33.0f},  {11, 35.7f},  {12, 37.7f},  {13, 39.7f},
        {14, 41.7f},  {15, 44.5f},  {16, 45.0f},  {17, 47.7f},  {18, 50.7f},  {19, 52.7f},  {20, 55.12f},
        {21, 57.54f}, {22, 59.96f}, {23, 62.38f}, {24, 64.8f},  {25, 67.22f}, {26, 69.64f}, {27, 72.06f},
        {28, 74.48f}, {29, 76.9f},  {30, 79.0f},  {32, 830.4f}, {33, 832.5f},
    };
    EXPECT_EQ(got, expected);
    EXPECT_EQ(demo.partStartTime(31), 0.0f);
}

TEST_F(DemoScript, PreloadCreatesTheScriptsEffectsInOrderAndAddsNothing) {
    ASSERT_EQ(poolVector.size(), 108u);
    for (Effect* e : poolVector) ASSERT_NE(e, nullptr);
    EXPECT_TRUE(demo.layers.empty());
    EXPECT_TRUE(demo.tracks.empty());
    EXPECT_EQ(demo.phase, Timeline::kPhaseRunning);

    struct Case {
        int index;
        const char* type;  // as registered: "kel_trans" finds "Kel_trans"
        const char* parameters;
    };
    const Case cases[] = {
        {0, "set_viewport", "0 800 0 600"},
        {1, "bg_zclear", ""},
        {2, "bg_texture", "./data/etoile-donuts/bgmap.jpg"},
        {4, "set_viewport", "0 400 300 600"},
        {5, "set_camera", "120 0 ./data/etoile-donuts/camera_line_droit2.spl "},
        {6, "vorn_mesh", "FFFFFFFF ./data/etoile-donuts/etoile-donuts.3ds "},
        {7, "set_viewport", "400 800 0 300"},
        {8, "set_camera", "120 0 ./data/etoile-donuts/camera_line_invert2.spl "},
        {11, "Kel_text", "./data/text/logo.jpg "},
        {20, "Kel_text", "./data/text/demo.jpg "},
        {21, "fx_whiteflash", "1"},
        {25, "set_viewport", "22 150 22 150"},
        {26, "Kel_trans", "-1.0 -1.0 800F0F80 "},
        {28, "Kel_trans", "1.0 1.0 80FF00FF "},
        {30, "kel_hypercube", "001F1F1F 001F1F1F 001F1F1F 1.0 2.0 0"},
        {32, "kel_hypercube", "3FFF0000 2FFF7F00 6FFFFF00 10.0 2.75 1"},
        {34, "fx_whiteflash", "1"},
        {41, "Kel_champi", "./data/champi/champi1.jpg"},
        {43, "bg_zclear", ""},
        {44, "set_viewport", "0 400 0 600"},
        {49, "kel_hypercube", "3F0000FF 2F007F3F 6F00005F 10.0 2.75 1"},
        {61, "kel_hypercube", "3F5F5F5F 2FFFFFFF 6F2F2F2F 10.0 2.75 1"},
        {66, "fx_lines", ""},
        {67, "fx_cubes", ""},
        {70, "Kel_text", "./data/text/Sgreets01.jpg "},
        {94, "Kel_text", "./data/text/Sgreets09.jpg "},
        {101, "set_camera", "120 0 ./data/etoile-donuts/camera_line_droit2.spl "},
        {102, "vorn_mesh_tour", "FF00FF00 ./data/champi/champiworld.3ds "},
        {105, "Kel_text", "./data/text/enjoy.jpg "},
        {106, "set_viewport", "0 800 0 600"},
        {107, "fx_blacksmousse", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(rec(poolVector[size_t(c.index)]).type, c.type);
        EXPECT_EQ(rec(poolVector[size_t(c.index)]).parameters, c.parameters);
    }
    // The members hold the last effects the preload walk remembered.
    EXPECT_EQ(indexOf(demo.camera1), 101);
    EXPECT_EQ(indexOf(demo.camera2), 8);
    EXPECT_EQ(indexOf(demo.cubeA), 30);
    EXPECT_EQ(indexOf(demo.cubeB), 61);
}

TEST_F(DemoScript, PartZeroFiresInTheFirstStepAndChangesNothing) {
    demo.at(0);
    EXPECT_TRUE(demo.partTable.front().fired);
    EXPECT_EQ(demo.currentPart, 0);
    EXPECT_TRUE(demo.layers.empty());
    EXPECT_TRUE(demo.tracks.empty());
    EXPECT_FALSE(std::next(demo.partTable.begin())->fired);
}

TEST_F(DemoScript, PartOneFiresAt6500MsNotAt6499) {
    demo.at(0);
    demo.at(6499);
    EXPECT_EQ(demo.currentPart, 0);
    EXPECT_TRUE(demo.layers.empty());
    demo.at(6500);
    EXPECT_EQ(demo.currentPart, 1);
    EXPECT_EQ(layerIndices(), range(0, 9));
}

TEST_F(DemoScript, APartDueBetweenTheTwoPassesFiresInTheRenderPass) {
    demo.at(0);
    demo.readings = {6499, 6500};
    demo.update();
    EXPECT_EQ(demo.currentPart, 0);
    demo.render();
    EXPECT_EQ(demo.currentPart, 1);
    EXPECT_EQ(demo.layers.size(), 10u);
    // Both passes draw every layer: the first layer of part 1 was drawn once
    // (in the render pass that added it).
    EXPECT_EQ(rec(poolVector[0]).renders, 1);
    demo.update();
    demo.render();
    EXPECT_EQ(rec(poolVector[0]).renders, 3);
}

TEST_F(DemoScript, AfterPartTwoTheLayersOfBothPartsAndOneTrackOnCameraTwo) {
    demo.at(0);
    demo.at(6500);
    demo.at(10000);
    EXPECT_EQ(demo.currentPart, 2);
    std::vector<int> expected = range(0, 9);
    for (int i : range(10, 12)) expected.push_back(i);
    EXPECT_EQ(layerIndices(), expected);
    int i = 0;
    for (const Layer& l : demo.layers) {
        SCOPED_TRACE(i);
        if (i < 10) {
            EXPECT_EQ(l.start, 6.5f);
            EXPECT_EQ(l.end, 26.5f);
            EXPECT_EQ(l.endPart, 7);
            EXPECT_EQ(l.normalized, i == 5 || i == 8);  // the two cameras follow progress
        } else {
            EXPECT_EQ(l.start, 10.0f);
            EXPECT_EQ(l.end, 13.0f);
            EXPECT_EQ(l.endPart, 3);
            EXPECT_EQ(l.normalized, i == 11);  // the title plate
        }
        ++i;
    }
    ASSERT_EQ(demo.tracks.size(), 1u);
    const ParamTrack& track = demo.tracks.front();
    EXPECT_EQ(track.effect, demo.camera2);
    EXPECT_EQ(indexOf(demo.camera2), 8);  // set again by part 1 as it fired
    EXPECT_EQ(indexOf(demo.camera1), 5);
    EXPECT_EQ(track.paramId, 5);
    EXPECT_EQ(track.start, 10.0f);
    EXPECT_EQ(track.duration, 26.5f - 10.0f);
    auto* sine = dynamic_cast<const SineCurve*>(track.curve);
    ASSERT_NE(sine, nullptr);
    EXPECT_EQ(sine->offset, 0.5f);
    EXPECT_EQ(sine->amplitude, -0.5f);
    EXPECT_EQ(sine->frequency, 5.0f);
    // The track ran in the same step: the curve's value at 0.
    ASSERT_FALSE(rec(demo.camera2).params.empty());
    EXPECT_EQ(rec(demo.camera2).params.back(), (std::pair<int32_t, float>{5, 0.5f}));
}

TEST_F(DemoScript, TitleTracksRunOnCameraOneUntilTheNextPart) {
    for (int32_t ms : {0, 6500, 10000, 13000}) demo.at(ms);
    ASSERT_EQ(demo.tracks.size(), 2u);
    const ParamTrack& part3 = demo.tracks.back();
    EXPECT_EQ(indexOf(part3.effect), 5);
    EXPECT_EQ(part3.paramId, 4);
    EXPECT_EQ(part3.duration, 18.0f - 13.0f);
    auto* trapezoid = dynamic_cast<const TrapezoidCurve*>(part3.curve);
    ASSERT_NE(trapezoid, nullptr);
    EXPECT_EQ(trapezoid->peak, 0.5f);
    demo.at(18000);
    ASSERT_EQ(demo.tracks.size(), 2u);  // part 3's ended with its value at 1.0; part 4's began
    EXPECT_EQ(demo.tracks.back().duration, 20.0f - 18.0f);
    EXPECT_EQ(dynamic_cast<const TrapezoidCurve*>(demo.tracks.back().curve)->peak, 0.25f);
    demo.at(20000);
    EXPECT_EQ(demo.tracks.size(), 1u);  // part 5 adds no track
}

TEST_F(DemoScript, PartEightAddsOneLayerAndTwoTracksWithTheirOwnCurves) {
    for (float t : {0.0f, 6.5f, 10.0f, 13.0f, 18.0f, 20.0f, 26.0f, 26.5f}) demo.at(msAt(t));
    ASSERT_EQ(demo.currentPart, 7);
    EXPECT_EQ(layerIndices(), range(22, 33));  // part 7's scene alone
    const size_t tracksBefore = demo.tracks.size();
    demo.at(msAt(28.5f));
    ASSERT_EQ(demo.currentPart, 8);
    std::vector<int> expected = range(22, 33);
    expected.push_back(34);
    EXPECT_EQ(layerIndices(), expected);
    EXPECT_EQ(demo.layers.back().endPart, 9);
    ASSERT_EQ(demo.tracks.size(), tracksBefore + 2);
    const ParamTrack& onB = *std::prev(demo.tracks.end(), 2);
    const ParamTrack& onA = demo.tracks.back();
    EXPECT_EQ(indexOf(onB.effect), 32);
    EXPECT_EQ(indexOf(onA.effect), 30);
    EXPECT_NE(onB.curve, onA.curve);
    for (const ParamTrack* t : {&onB, &onA}) {
        EXPECT_EQ(t->paramId, 3);
        EXPECT_EQ(t->duration, 2.0f);
        auto* trapezoid = dynamic_cast<const TrapezoidCurve*>(t->curve);
        ASSERT_NE(trapezoid, nullptr);
        EXPECT_EQ(trapezoid->peak, 1.0f);
        EXPECT_EQ(trapezoid->ramp, 0.5f);
    }
}

// The whole part table on the stand-in clock, the way the run loop calls
// the demo: every part fires once, the effects come back in the order they
// were created, tracks reach the members of their moment, and part 33
// ends the production in the step it fires, after its layers were drawn.
TEST_F(DemoScript, TheWholeTableFiresEveryPartAndHandsOutThePoolInOrder) {
    std::set<const Effect*> seen;
    std::vector<int> handedOut;
    std::vector<int32_t> firedParts;
    const Effect* part15Track = nullptr;
    const Effect* part17Track = nullptr;
    const std::vector<PartTrigger> table(demo.partTable.begin(), demo.partTable.end());
    for (size_t i = 0; i < table.size(); ++i) {
        const PartTrigger& entry = table[i];
        SCOPED_TRACE(entry.part);
        if (entry.part == 33) {
            demo.at(msAt(entry.time) - 2);  // just before: nothing ends
            EXPECT_EQ(demo.ends, 0);
        }
        const size_t tracksBefore = demo.tracks.size();
        demo.at(msAt(entry.time));
        EXPECT_EQ(demo.currentPart, entry.part);
        firedParts.push_back(demo.currentPart);
        for (const Layer& l : demo.layers)
            if (seen.insert(l.effect).second) handedOut.push_back(indexOf(l.effect));
        if (entry.part == 15 && demo.tracks.size() > tracksBefore) part15Track = demo.tracks.back().effect;
        if (entry.part == 17 && demo.tracks.size() > tracksBefore) part17Track = demo.tracks.back().effect;
        if (entry.part == 32) {
            EXPECT_EQ(demo.ends, 0);
        }
    }
    for (const PartTrigger& p : demo.partTable) EXPECT_TRUE(p.fired) << p.part;
    EXPECT_EQ(firedParts.size(), 33u);
    EXPECT_EQ(handedOut, range(0, 107));
    EXPECT_EQ(demo.createEffect("bg_zclear", ""), nullptr);  // nothing left in the pool
    EXPECT_EQ(indexOf(part15Track), 49);
    EXPECT_EQ(indexOf(part17Track), 61);
    EXPECT_EQ(demo.ends, 1);
    EXPECT_EQ(demo.endStatus, 0);
    EXPECT_EQ(rec(poolVector[106]).renders, 1);  // part 33's layers, drawn once
    EXPECT_EQ(rec(poolVector[107]).renders, 1);
    for (const Layer& l : demo.layers) EXPECT_EQ(l.endPart, 33);
}

TEST_F(DemoScript, PartThirtyTwoAddsAndRemovesNothing) {
    for (const PartTrigger& p : std::vector<PartTrigger>(demo.partTable.begin(), demo.partTable.end())) {
        if (p.part == 32) break;
        demo.at(msAt(p.time));
    }
    demo.at(830000);
    ASSERT_EQ(demo.currentPart, 30);
    const std::vector<int> before = layerIndices();
    const size_t tracksBefore = demo.tracks.size();
    demo.at(830400);
    EXPECT_EQ(demo.currentPart, 32);
    EXPECT_EQ(layerIndices(), before);
    EXPECT_EQ(demo.tracks.size(), tracksBefore);
    EXPECT_EQ(demo.ends, 0);
}

TEST_F(DemoScript, PollNeverEndsTheRun) {
    EXPECT_FALSE(demo.poll(nullptr));
    demo.at(0);
    EXPECT_FALSE(demo.poll(nullptr));
}

TEST_F(DemoScript, ShutdownClearsTheRegistryAndEndsWithZero) {
    demo.at(0);
    demo.shutdown();
    EXPECT_EQ(demo.registry.count(), 0u);
    EXPECT_EQ(demo.ends, 1);
    EXPECT_EQ(demo.endStatus, 0);
}

TEST(DemoFiles, EveryFileOnceMusicAndLoadingPictureFirst) {
    const std::vector<std::string> files = productionFiles();
    ASSERT_GE(files.size(), 3u);
    EXPECT_EQ(files[0], "./data/qv3.mp3");
    EXPECT_EQ(files[1], "./data/loading.jpg");
    EXPECT_EQ(files[2], "./data/etoile-donuts/bgmap.jpg");
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()).size(), files.size());
    const std::set<std::string> expected = {
        "./data/qv3.mp3", "./data/loading.jpg", "./data/etoile-donuts/bgmap.jpg",
        "./data/etoile-donuts/camera_line_droit2.spl", "./data/etoile-donuts/camera_line_invert2.spl",
        "./data/etoile-donuts/etoile-donuts.3ds", "./data/text/logo.jpg", "./data/text/velmora.jpg",
        "./data/text/presents.jpg", "./data/text/demo.jpg", "./data/Hypercube/bgmap.jpg",
        "./data/champi/champi1.jpg", "./data/cubes/bgmap.jpg", "./data/text/Sgreets01.jpg",
        "./data/text/Sgreets02.jpg", "./data/text/Sgreets03.jpg", "./data/text/Sgreets04.jpg",
        "./data/text/Sgreets05.jpg", "./data/text/Sgreets06.jpg", "./data/text/Sgreets07.jpg",
        "./data/text/Sgreets08.jpg", "./data/text/Sgreets09.jpg", "./data/champi/champiworld.3ds",
        "./data/text/enjoy.jpg",
    };
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()), expected);
}

}  // namespace
