// The GL driver on a real (offscreen) context: start, frames, stop, start again.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "tests/support/gl_fixture.h"
#include "tests/support/test_support.h"

TEST(GlFixture, ClearsAndReadsBack) {
    test::TempDir dir;
    test::GlFixture gl(64, 48);
    ASSERT_TRUE(gl.ok());
    gl.clear(1, 0, 0);
    EXPECT_EQ(gl.pixel(0, 0), (test::Rgba{255, 0, 0, 255}));
    EXPECT_EQ(gl.countNear({255, 0, 0, 255}, 0, 0, 64, 48), 64 * 48);
}

#include <cstdlib>

#include "platform/window.h"

namespace {

int handled = 0;
bool countingProcedure(platform::Window*, const platform::Message& m) {
    if (m.kind == platform::MessageKind::User) ++handled;
    return true;
}

platform::Message userMessage(platform::Window* w) {
    platform::Message m;
    m.window = w;
    m.kind = platform::MessageKind::User;
    return m;
}

}  // namespace

TEST(GlDriver, StartFramesStopAndStartAgain) {
    test::TempDir dir;
    Os os;
    GlDriver driver;
    driver.fullscreen = false;
    ASSERT_EQ(driver.start(), Ok);
    ASSERT_NE(driver.window, nullptr);
    ASSERT_NE(driver.vendor, nullptr);
    ASSERT_NE(driver.extensions, nullptr);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(driver.endFrame());
    const char* firstVendor = driver.vendor;
    driver.stop();
    EXPECT_EQ(driver.window, nullptr);
    EXPECT_EQ(driver.context, nullptr);

    ASSERT_EQ(driver.start(), Ok);
    ASSERT_NE(driver.vendor, nullptr);
    EXPECT_NE(static_cast<const void*>(driver.vendor), static_cast<const void*>(nullptr));
    (void)firstVendor;  // the copy was replaced; its old address may be reused
    driver.stop();
}

TEST(Windows, AClassRegisteredAgainGivesNewWindowsTheNewProcedure) {
    test::TempDir dir;
    Os os;
    platform::Window* first = os.createWindow("test class", "one", 64, 64, countingProcedure);
    ASSERT_NE(first, nullptr);
    platform::destroyWindow(first);
    handled = 0;
    platform::Window* second =
        os.createWindow("test class", "two", 64, 64, [](platform::Window*, const platform::Message&) {
            handled += 100;
            return true;
        });
    ASSERT_NE(second, nullptr);
    platform::postMessage(userMessage(second));
    os.pumpWindowMessages(second);
    EXPECT_EQ(handled, 100);
    platform::destroyWindow(second);
}

TEST(Windows, OneMessagePerFrame) {
    test::TempDir dir;
    Os os;
    GlDriver driver;
    driver.fullscreen = false;
    ASSERT_EQ(driver.start(), Ok);
    platform::Window* w = os.createWindow("counting", "c", 32, 32, countingProcedure);
    ASSERT_NE(w, nullptr);
    handled = 0;
    for (int i = 0; i < 3; ++i) platform::postMessage(userMessage(w));
    for (int frame = 1; frame <= 3; ++frame) {
        EXPECT_FALSE(os.pumpWindowMessages(w));
        EXPECT_EQ(handled, frame);
    }
    EXPECT_FALSE(os.pumpWindowMessages(w));  // nothing pending: no wait
    platform::postQuitMessage(0);
    EXPECT_TRUE(driver.endFrame());  // the quit message ends the run, whatever the filter
    platform::destroyWindow(w);
    driver.stop();
}

TEST(GlDriver, EscapeInTheRenderingWindowEndsTheProcessWithZero) {
    test::TempDir dir;
    test::ChildResult child = test::runChild([] {
        Os os;
        GlDriver driver;
        driver.fullscreen = false;
        if (driver.start() != Ok) std::_Exit(3);
        platform::Message escape;
        escape.window = driver.window;
        escape.kind = platform::MessageKind::KeyDown;
        escape.key = platform::Key::Escape;
        platform::postMessage(escape);
        driver.endFrame();
        std::_Exit(4);  // not reached
    });
    EXPECT_TRUE(child.exited);
    EXPECT_EQ(child.status, 0) << child.output;
}

TEST(GlDriver, FailedWindowCreationNestsIntoTheRunError) {
    test::TempDir dir;
    Os os;
    GlDriver driver;
    driver.width = -5;  // no window of that size can exist
    driver.height = -5;
    driver.enable();
    os.addDriver(&driver);
    ErrorCode r = os.run();
    ASSERT_EQ(r, CustomError);
    EXPECT_STREQ(errorText(r), "! OS> driver start foired : ! create_window foired");
    EXPECT_NE(test::readFile("log.txt").find("CreateWindowEx foired.\r\n"), std::string::npos);
}
