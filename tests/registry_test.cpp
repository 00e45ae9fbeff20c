// The effect registry: the standard table, name lookup, growth, ownership
// and the two failure reports of instantiate.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "fx/registry.h"
#include "tests/support/test_support.h"

namespace {

const char* const kStandardNames[] = {
    "vorn_mesh",     "vorn_mesh_tour",  "vorn_splines",  "bg_clear",       "bg_zclear",        "bg_texture",
    "set_viewport",  "set_camera",      "draw_rectblend", "fx_clear2tex",  "fx_whiteflash",    "fx_blacksmousse",
    "fx_fadein",     "fx_whitefadein",  "kel_hypercube", "Kel_trans",      "Kel_champi",       "Kel_text",
    "fx_clear2textile", "rect_texture", "fx_cubes",      "fx_lines",
};

class QuietEffect : public Effect {
public:
    ErrorCode init(const char*) override { return Ok; }
    void setParam(int32_t, float) override {}
    void render(float) override {}
};

// Fails its init the way a missing file does; its destructor reports how
// much of the log existed when it ran and then disturbs errno.
class FailingEffect : public Effect {
public:
    static ErrorCode result;

    ErrorCode init(const char* parameters) override {
        if (result == IoError) {
            FILE* f = std::fopen("./no/such/picture.jpg", "rb");
            if (f) std::fclose(f);
        }
        if (result == CustomError) setErrorText(parameters);
        return result;
    }
    ~FailingEffect() override {
        std::fprintf(stderr, "destroyed with log of %zu bytes\n", test::readFile("log.txt").size());
        errno = EINVAL;
    }
    void setParam(int32_t, float) override {}
    void render(float) override {}
};
ErrorCode FailingEffect::result = Failed;

int countLines(const std::string& text) {
    int n = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
    return n;
}

}  // namespace

TEST(EffectRegistry, StandardEffectsInTableOrder) {
    EffectRegistry registry;
    EXPECT_EQ(registry.registerStandardEffects(), Ok);
    ASSERT_EQ(registry.count(), 22u);
    EXPECT_EQ(registry.capacity(), 22u);
    for (uint32_t i = 0; i < 22; ++i) EXPECT_STREQ(registry.factory(i)->name, kStandardNames[i]) << "slot " << i;
    EXPECT_EQ(registry.factory(22), nullptr);
    registry.clearRegistry();
    EXPECT_EQ(registry.count(), 0u);
    EXPECT_EQ(registry.capacity(), 0u);
}

TEST(EffectRegistry, LookupIgnoresAsciiCaseOnly) {
    EffectRegistry registry;
    registry.registerStandardEffects();
    struct Case {
        const char* requested;
        const char* found;  // null: no factory
    } cases[] = {
        {"kel_champi", "Kel_champi"}, {"KEL_CHAMPI", "Kel_champi"}, {"Kel_champi", "Kel_champi"},
        {"kel_trans", "Kel_trans"},   {"FX_WhiteFlash", "fx_whiteflash"}, {"fx_clear2tex", "fx_clear2tex"},
        {"fx_clear2textile", "fx_clear2textile"},
        {"", nullptr},                {"fx_clear2", nullptr},             {"fx_clear2texx", nullptr},
        {"bg_clear ", nullptr},       {"bg-clear", nullptr},              {nullptr, nullptr},
    };
    for (const Case& c : cases) {
        EffectFactory* f = registry.findFactory(c.requested);
        if (!c.found) {
            EXPECT_EQ(f, nullptr) << (c.requested ? c.requested : "(null)");
        } else {
            ASSERT_NE(f, nullptr) << c.requested;
            EXPECT_STREQ(f->name, c.found);
        }
    }
}

TEST(EffectRegistry, GrowsOneSlotAtATimeAndFirstMatchWins) {
    EffectRegistry registry;
    auto* first = new EffectFactoryOf<QuietEffect>("twin");
    auto* second = new EffectFactoryOf<QuietEffect>("TWIN");
    EXPECT_EQ(registry.registerEffect(first), Ok);
    EXPECT_EQ(registry.capacity(), 1u);
    EXPECT_EQ(registry.registerEffect(second), Ok);
    EXPECT_EQ(registry.count(), 2u);
    EXPECT_EQ(registry.capacity(), 2u);
    EXPECT_EQ(registry.findFactory("Twin"), first);
    EXPECT_EQ(registry.registerEffect(nullptr), NullPointer);
    EXPECT_EQ(registry.count(), 2u);
}

TEST(EffectRegistry, EveryInstantiateMakesANewEffect) {
    test::TempDir dir;
    EffectRegistry registry;
    registry.registerEffect(new EffectFactoryOf<QuietEffect>("quiet"));
    Effect* a = registry.instantiate("quiet", "");
    Effect* b = registry.instantiate("QUIET", nullptr);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(a, b);
    delete a;
    delete b;
    EXPECT_EQ(test::readFile("log.txt"), "");
}

TEST(EffectRegistry, UnknownNameLogsOneLineAndShowsNoBox) {
    test::TempDir dir;
    test::ChildResult child = test::runChild([] {
        EffectRegistry registry;
        registry.registerStandardEffects();
        if (registry.instantiate("fx_clear2", "x") != nullptr) std::printf("made an effect\n");
    });
    ASSERT_TRUE(child.exited);
    EXPECT_EQ(test::readFile("log.txt"), "fx_clear2 : unknown or unregistered effect!\r\n");
    EXPECT_EQ(child.output.find("FX Suxx"), std::string::npos) << child.output;
    EXPECT_EQ(child.output.find("made an effect"), std::string::npos);
}

TEST(EffectRegistry, FailedInitShowsTheBoxThenDestroysThenLogs) {
    struct Case {
        ErrorCode code;
        const char* parameters;
        const char* logLine;
    } cases[] = {
        {Failed, "", "Bad_Fx>init error : failed\r\n"},
        {IoError, "", "Bad_Fx>init error : io error : No such file or directory.\r\n"},
        {CustomError, "no picture", "Bad_Fx>init error : ! no picture\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logLine);
        test::TempDir dir;
        test::ChildResult child = test::runChild([&c] {
            FailingEffect::result = c.code;
            EffectRegistry registry;
            registry.registerEffect(new EffectFactoryOf<FailingEffect>("bad_fx"));
            if (registry.instantiate("Bad_Fx", c.parameters) != nullptr) std::printf("made an effect\n");
        });
        ASSERT_TRUE(child.exited);
        std::string log = test::readFile("log.txt");
        EXPECT_EQ(log, c.logLine);
        EXPECT_EQ(countLines(log), 1);
        // The box (on the terminal here, no display) comes first, then the
        // effect goes while the log is still empty.
        size_t box = child.output.find("FX Suxx");
        size_t destroyed = child.output.find("destroyed with log of 0 bytes");
        ASSERT_NE(box, std::string::npos) << child.output;
        ASSERT_NE(destroyed, std::string::npos) << child.output;
        EXPECT_LT(box, destroyed);
        EXPECT_EQ(child.output.find("made an effect"), std::string::npos);
    }
}

TEST(EffectRegistry, ScreenEffectsInitialiseWithoutADriver) {
    test::TempDir dir;
    EffectRegistry registry;
    registry.registerStandardEffects();
    for (const char* name : {"bg_clear", "bg_zclear", "set_viewport", "draw_rectblend", "fx_whiteflash",
                             "fx_blacksmousse", "fx_fadein", "fx_whitefadein"}) {
        Effect* e = registry.instantiate(name, "");
        EXPECT_NE(e, nullptr) << name;
        delete e;
    }
    EXPECT_EQ(test::readFile("log.txt"), "");
}
