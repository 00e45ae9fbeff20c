// The run loop, the driver probe and the registries, over recording fakes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kernel/os.h"
#include "tests/support/test_support.h"

namespace {

std::vector<std::string> calls;

struct FakeApp : App {
    explicit FakeApp(std::string n) : name(std::move(n)) {}
    ErrorCode init(Driver* d) override {
        App::init(d);
        calls.push_back(name + ".init");
        if (failInit) {
            setErrorText("no room");
            return CustomError;
        }
        return Ok;
    }
    void shutdown() override { calls.push_back(name + ".shutdown"); }
    void update() override { calls.push_back(name + ".update"); }
    void render() override { calls.push_back(name + ".render"); }
    bool poll(FrameInput*) override {
        calls.push_back(name + ".poll");
        return pollsLeft-- == 0;
    }
    std::string name;
    bool failInit = false;
    int pollsLeft = 1000;
};

struct FakeDriver : Driver {
    explicit FakeDriver(std::string n = "driver") : name(std::move(n)) {}
    ErrorCode probe() override {
        calls.push_back(name + ".probe");
        return probeResult;
    }
    ErrorCode start() override {
        calls.push_back(name + ".start");
        return Ok;
    }
    void stop() override { calls.push_back(name + ".stop"); }
    bool beginFrame() override {
        calls.push_back(name + ".begin");
        return false;
    }
    bool endFrame() override {
        calls.push_back(name + ".end");
        return ++frames == framesToRun;
    }
    std::string name;
    ErrorCode probeResult = Ok;
    int frames = 0;
    int framesToRun = 1;
};

class Kernel : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        OsBase::probePending = true;
    }
    test::TempDir dir;
    Os os;
};

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

}  // namespace

TEST_F(Kernel, RunLoopCallOrder) {
    struct Case {
        const char* what;
        int aPolls;       // polls of A before it ends the run
        bool bFailsInit;
        bool bRenders;
        int frames;
        const char* expected;
    };
    const Case cases[] = {
        {"one frame", 1000, false, true, 1,
         "driver.start A.init B.init A.poll B.poll A.update B.update driver.begin B.render A.render driver.end "
         "B.shutdown A.shutdown driver.stop"},
        {"poll ends the run", 0, false, true, 1, "driver.start A.init B.init A.poll B.shutdown A.shutdown driver.stop"},
        {"init failure unwinds", 1000, true, true, 1, "driver.start A.init B.init A.shutdown driver.stop"},
        {"render disabled", 1000, false, false, 2,
         "driver.start A.init B.init A.poll B.poll A.update B.update driver.begin A.render driver.end "
         "A.poll B.poll A.update B.update driver.begin A.render driver.end B.shutdown A.shutdown driver.stop"},
    };
    for (const Case& c : cases) {
        calls.clear();
        FakeApp a("A"), b("B");
        a.pollsLeft = c.aPolls;
        b.failInit = c.bFailsInit;
        b.renderEnabled = c.bRenders;
        FakeDriver d;
        d.framesToRun = c.frames;
        d.enable();
        Os local;
        local.addDriver(&d);
        local.addApp(&a);
        local.addApp(&b);
        ErrorCode r = local.run();
        std::string joined;
        for (const std::string& s : calls) joined += (joined.empty() ? "" : " ") + s;
        EXPECT_EQ(split(joined), split(c.expected)) << c.what;
        if (c.bFailsInit) {
            ASSERT_EQ(r, CustomError);
            EXPECT_STREQ(errorText(r), "! OS> app init foired : ! no room");
        } else {
            EXPECT_EQ(r, Ok) << c.what;
        }
        EXPECT_EQ(currentDriver, &d);
    }
}

TEST_F(Kernel, FailingProbeRemovesTheDriverOnceAndTheRunHasNone) {
    FakeDriver d;
    d.probeResult = Failed;
    os.addDriver(&d);
    EXPECT_FALSE(os.OsBase::setup());
    EXPECT_EQ(os.drivers.count(), 0u);
    EXPECT_EQ(calls, std::vector<std::string>{"driver.probe"});
    EXPECT_EQ(test::readFile("log.txt"), "failed\r\nremoving driver.\r\n");

    ErrorCode r = os.run();
    EXPECT_EQ(r, CustomError);
    EXPECT_STREQ(errorText(r), "! OS> no driver selected.");

    os.addDriver(&d);  // the probe never runs again in this process
    os.OsBase::setup();
    EXPECT_EQ(calls.size(), 1u);
}

TEST_F(Kernel, ProbeKeepsOrderAndEnablesTheFirstSurvivor) {
    FakeDriver bad("bad"), good1("good1"), good2("good2");
    bad.probeResult = NotEnoughMemory;
    os.addDriver(&bad);
    os.addDriver(&good1);
    os.addDriver(&good2);
    os.OsBase::setup();
    ASSERT_EQ(os.drivers.count(), 2u);
    EXPECT_EQ(os.drivers[0], &good1);
    EXPECT_EQ(os.drivers[1], &good2);
    EXPECT_TRUE(good1.enabled);
    EXPECT_FALSE(good2.enabled);
    good2.enable();
    os.selectDriver();
    EXPECT_EQ(os.current, &good1);  // the first enabled one
}

TEST_F(Kernel, ListsGrowOneSlotAtATimeAndKeepOrder) {
    FakeApp a("A"), b("B"), c("C");
    PtrList<App> list;
    for (App* app : {&a, &b, &a, &c}) {
        ASSERT_EQ(list.add(app), Ok);
        EXPECT_EQ(list.capacity(), list.count());
    }
    list.remove(&a);  // the first of the two
    list.remove(nullptr);
    ASSERT_EQ(list.count(), 3u);
    EXPECT_EQ(list[0], &b);
    EXPECT_EQ(list[1], &a);
    EXPECT_EQ(list[2], &c);
}

TEST_F(Kernel, AnAppAddedTwiceIsInitialisedTwice) {
    FakeApp a("A");
    FakeDriver d;
    d.enable();
    os.addDriver(&d);
    os.addApp(&a);
    os.addApp(&a);
    os.run();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "A.init"), 2);
}
