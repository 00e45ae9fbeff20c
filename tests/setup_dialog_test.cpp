// The setup dialog and the video page, driven by messages with no display:
// a simulated user acts once the dialog is up, then Start or Quit ends it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "gl/display_modes.h"
#include "gl/gl_driver.h"
#include "kernel/os.h"
#include "platform/dialog.h"
#include "tests/support/test_support.h"

namespace {

using platform::Dialog;

constexpr int kStart = 1000, kQuit = 1001, kLogButton = 1008, kTabs = 1009, kLogView = 1010, kClear = 1011,
              kCommandLine = 1156;
constexpr int kUse = 1023, kModes = 1025, kGlInfo = 1029, kDepth = 1031, kTexture = 1182, kFullscreen = 1185,
              kNoWait = 1186;

// 640x480 in 8, 16 and 32 bits, a 24-bit mode, 1024x768 in 32 bits.
bool fakeModes(int index, platform::DisplayMode& mode) {
    static const platform::DisplayMode table[] = {
        {640, 480, 8, 60}, {640, 480, 16, 60}, {640, 480, 32, 60}, {800, 600, 24, 75}, {1024, 768, 32, 85}};
    if (index < 0 || index >= 5) return false;
    mode = table[index];
    return true;
}

// A page that records the command lines it is handed.
class RecordingPage : public SetupPage {
public:
    const char* name() override { return "Recorder"; }
    void command(const char* line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

class SetupDialog : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
        clearLog();
        OsBase::probePending = false;  // the modes come from the table above
        ASSERT_EQ(collectDisplayModes(driver, fakeModes), Ok);
        driver.enable();
    }
    void TearDown() override {
        platform::useDrawnDialogs();
        clearLog();
    }

    void registerDriver() {
        os.addDriver(&driver);
        os.addPage(&driver);
    }

    // Runs setup; act sees the open dialog once. Unless act ends the dialog,
    // the user then presses Quit.
    bool runSetup(const std::function<void(Dialog*)>& act) {
        bool acted = false;
        platform::useHeadlessDialogs([&] {
            if (!acted) {
                acted = true;
                act(os.dialog);
            } else {
                platform::userClick(os.dialog, kQuit);
            }
        });
        return os.setup();
    }

    std::string settings() { return test::readFile(dir.path() + "/Velmora/Quillon.conf"); }

    test::TempDir dir;
    Os os;
    GlDriver driver;
};

TEST_F(SetupDialog, FirstStartShowsTheDefaultsAndStartWritesThemAll) {
    registerDriver();
    bool started = runSetup([&](Dialog* d) {
        Dialog* page = driver.pageDialog;
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(platform::dialogTitle(d), "Velmora Setup v0.1 - moot 02 - Plinthor");
        EXPECT_TRUE(platform::dialogVisible(d));
        EXPECT_EQ(platform::dialogRect(d).width, 312);
        EXPECT_EQ(platform::controlText(d, kLogButton), "&Log >>");
        EXPECT_EQ(platform::focusedControl(d), kStart);
        ASSERT_EQ(platform::tabCount(d, kTabs), 1);
        EXPECT_EQ(platform::tabItem(d, kTabs, 0), "OpenGL");
        EXPECT_EQ(platform::controlFontWeight(d, kTabs), 600);
        EXPECT_TRUE(platform::dialogVisible(page));

        ASSERT_EQ(platform::comboCount(page, kModes), 3);
        EXPECT_EQ(platform::comboItem(page, kModes, 0), "640x480 16bits 60Hz");
        EXPECT_EQ(platform::comboItem(page, kModes, 1), "640x480 32bits 60Hz");
        EXPECT_EQ(platform::comboItem(page, kModes, 2), "1024x768 32bits 85Hz");
        EXPECT_EQ(platform::comboSelection(page, kModes), 0);
        EXPECT_EQ(platform::comboItem(page, kTexture, platform::comboSelection(page, kTexture)), "32bits");
        EXPECT_EQ(platform::comboItem(page, kDepth, platform::comboSelection(page, kDepth)), "16bits");
        EXPECT_EQ(platform::comboCount(page, kDepth), 4);
        EXPECT_TRUE(platform::isChecked(page, kFullscreen));
        EXPECT_TRUE(platform::isChecked(page, kNoWait));
        EXPECT_TRUE(platform::isChecked(page, kUse));
        EXPECT_EQ(platform::controlText(page, kGlInfo).rfind("Vendor\t: ", 0), 0u);
        platform::userClick(d, kStart);
    });
    EXPECT_TRUE(started);
    EXPECT_FALSE(os.quitRequested);
    EXPECT_EQ(os.dialog, nullptr);
    EXPECT_EQ(driver.pageDialog, nullptr);
    EXPECT_EQ(settings(),
              "# Velmora Quillon settings\ndriver_sel=0\nmode=0\nzbuffer_bits=16\ntexture_bits=32\nfullscreen=1\n"
              "disable_vsync=1\nsetup_tab_select=0\nend\n");
    // The chosen mode reaches the driver for the run.
    EXPECT_EQ(driver.width, 640);
    EXPECT_EQ(driver.height, 480);
    EXPECT_EQ(driver.colorBits, 16);
}

TEST_F(SetupDialog, StoredModeOutOfRangeFallsBackToTheFirst) {
    registerDriver();
    struct Case {
        int32_t stored;
        int selected;
    } cases[] = {{-1, 0}, {3, 0}, {1000, 0}, {2, 2}, {1, 1}};
    for (const Case& c : cases) {
        os.writeSetting("mode", c.stored);
        runSetup([&](Dialog*) { EXPECT_EQ(platform::comboSelection(driver.pageDialog, kModes), c.selected); });
        EXPECT_EQ(os.readSetting("mode", 99), c.selected) << "stored " << c.stored;
    }
}

TEST_F(SetupDialog, QuitStillWritesEveryPageValueAndUnknownBitsStayAsStored) {
    registerDriver();
    os.writeSetting("texture_bits", 15);
    bool started = runSetup([&](Dialog* d) {
        Dialog* page = driver.pageDialog;
        EXPECT_EQ(platform::comboItem(page, kTexture, platform::comboSelection(page, kTexture)), "16bits");
        platform::userChoose(page, kModes, 2);
        platform::userChoose(page, kDepth, 2);
        platform::userClick(page, kFullscreen);
        EXPECT_FALSE(driver.fullscreen);
        EXPECT_EQ(driver.depthBits, 24);
        platform::userClick(d, kQuit);
    });
    EXPECT_FALSE(started);
    EXPECT_TRUE(os.quitRequested);
    EXPECT_EQ(os.readSetting("mode", 99), 2);
    EXPECT_EQ(os.readSetting("zbuffer_bits", 99), 24);
    EXPECT_EQ(os.readSetting("texture_bits", 99), 15);
    EXPECT_EQ(os.readSetting("fullscreen", 99), 0);
    EXPECT_EQ(os.readSetting("disable_vsync", 99), 1);
    EXPECT_EQ(driver.width, 1024);
    EXPECT_EQ(driver.height, 768);
    EXPECT_EQ(driver.colorBits, 32);
}

TEST_F(SetupDialog, StoredIndicesOutOfRangeAreReplaced) {
    registerDriver();
    os.writeSetting("setup_tab_select", 5);
    os.writeSetting("driver_sel", 7);
    runSetup([&](Dialog* d) {
        EXPECT_EQ(os.selectedTab, 0);
        EXPECT_EQ(platform::tabSelection(d, kTabs), 0);
        EXPECT_TRUE(platform::dialogVisible(driver.pageDialog));
        EXPECT_TRUE(driver.enabled);
    });
    EXPECT_EQ(os.readSetting("setup_tab_select", 99), 0);
    EXPECT_EQ(os.readSetting("driver_sel", 99), 0);
}

TEST_F(SetupDialog, NoPagesMeansNoTabsAndTabZero) {
    os.writeSetting("setup_tab_select", 3);
    runSetup([&](Dialog* d) { EXPECT_EQ(platform::tabCount(d, kTabs), 0); });
    EXPECT_EQ(os.selectedTab, 0);
    EXPECT_EQ(os.readSetting("setup_tab_select", 99), 0);
}

TEST_F(SetupDialog, UseThisDriverBoxFollowsTheDriver) {
    registerDriver();
    runSetup([&](Dialog*) {
        Dialog* page = driver.pageDialog;
        platform::userClick(page, kUse);  // ticked: the driver is disabled
        EXPECT_FALSE(driver.enabled);
        EXPECT_FALSE(platform::isChecked(page, kUse));
        platform::userClick(page, kUse);
        EXPECT_TRUE(driver.enabled);
        EXPECT_TRUE(platform::isChecked(page, kUse));
    });
}

TEST_F(SetupDialog, CommandLineHandsEachLineWithoutItsEndToEveryPage) {
    RecordingPage first, second;
    os.addPage(&first);
    os.addPage(&second);
    runSetup([&](Dialog* d) {
        platform::userType(d, kCommandLine, "hel");
        EXPECT_TRUE(first.lines.empty());
        platform::userType(d, kCommandLine, "hello\r\n");
        EXPECT_EQ(platform::controlText(d, kCommandLine), "");
        platform::userType(d, kCommandLine, "again\n");  // a newline alone also ends a line
        platform::userType(d, kCommandLine, std::string(300, 'x').append("\r\n").c_str());
    });
    std::vector<std::string> expected = {"hello", "again", std::string(255, 'x')};
    EXPECT_EQ(first.lines, expected);
    EXPECT_EQ(second.lines, expected);
}

TEST_F(SetupDialog, LogButtonAnimatesBothWays) {
    registerDriver();
    runSetup([&](Dialog* d) {
        int before = platform::dialogMoveCount(d);
        platform::userClick(d, kLogButton);
        EXPECT_TRUE(os.logShown);
        EXPECT_EQ(platform::dialogMoveCount(d) - before, 101);
        EXPECT_EQ(platform::dialogRect(d).width, 596);
        EXPECT_EQ(platform::controlText(d, kLogButton), "&Log <<");
        before = platform::dialogMoveCount(d);
        platform::userClick(d, kLogButton);
        EXPECT_FALSE(os.logShown);
        EXPECT_EQ(platform::dialogMoveCount(d) - before, 67);
        EXPECT_EQ(platform::dialogRect(d).width, 315);
        EXPECT_EQ(platform::controlText(d, kLogButton), "&Log >>");
    });
    // The next dialog starts from the exact widths again.
    os.logShown = true;
    runSetup([&](Dialog* d) { EXPECT_EQ(platform::dialogRect(d).width, 597); });
}

TEST_F(SetupDialog, MessageLoggedWhileFoldedUnfoldsAndScrollsToTheEnd) {
    registerDriver();
    runSetup([&](Dialog* d) {
        ASSERT_FALSE(os.logShown);
        logPrintf("first\r\n");
        logPrintf("boom\r\n");
        EXPECT_TRUE(os.logShown);
        EXPECT_EQ(platform::dialogRect(d).width, 596);
        EXPECT_EQ(platform::controlText(d, kLogView), "first\r\nboom\r\n");
        EXPECT_EQ(platform::scrolledLine(d, kLogView), 2);
        platform::userClick(d, kClear);
        EXPECT_EQ(platform::controlText(d, kLogView), "");
        EXPECT_EQ(logText(), nullptr);
    });
    EXPECT_EQ(test::readFile("log.txt"), "first\r\nboom\r\n");  // the file keeps everything
}

TEST_F(SetupDialog, DialogOpensUnfoldedOnAnEarlierError) {
    registerDriver();
    logPrintf("! OS> driver start foired : ! GetDC foired\r\n");
    runSetup([&](Dialog* d) {
        EXPECT_TRUE(os.logShown);
        EXPECT_EQ(platform::controlText(d, kLogView), "! OS> driver start foired : ! GetDC foired\r\n");
        EXPECT_EQ(platform::controlText(d, kLogButton), "&Log <<");
        EXPECT_EQ(platform::dialogRect(d).width, 597);
    });
}

TEST_F(SetupDialog, EscapeAndClosingQuit) {
    registerDriver();
    for (bool escape : {true, false}) {
        Os fresh;  // quitRequested is never cleared once set
        fresh.addDriver(&driver);
        fresh.addPage(&driver);
        bool acted = false;
        platform::useHeadlessDialogs([&] {
            ASSERT_FALSE(acted) << "the dialog did not end";
            acted = true;
            if (escape) platform::userKey(fresh.dialog, platform::Key::Escape);
            else platform::userClose(fresh.dialog);
        });
        EXPECT_FALSE(fresh.setup());
        EXPECT_TRUE(fresh.quitRequested);
        EXPECT_EQ(fresh.readSetting("fullscreen", 99), 1);
    }
}

TEST_F(SetupDialog, NoDisplayMeansTheDialogCannotBeCreated) {
    auto child = test::runChild([] {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        platform::useDrawnDialogs();
        Os os;
        bool started = os.setup();
        const char* log = logText();
        std::exit(!started && log && std::string(log).find("CreateDialog foired : ") == 0 ? 0 : 1);
    });
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.status, 0) << child.output;
}

}  // namespace
