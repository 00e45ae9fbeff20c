// The mode list of the probe, the caption of a mode and the GL information text.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "gl/display_modes.h"
#include "gl/gl_driver.h"
#include "tests/support/test_support.h"

namespace {

std::vector<platform::DisplayMode> offered;

bool enumerateOffered(int index, platform::DisplayMode& mode) {
    if (index < 0 || size_t(index) >= offered.size()) return false;
    mode = offered[size_t(index)];
    return true;
}

std::string captions(const GlDriver& driver) {
    std::string out;
    for (uint32_t i = 0; i < driver.modes.count(); ++i) {
        char* text = modeText(*driver.modes[i]);
        out += std::string(text) + ";";
        std::free(text);
    }
    return out;
}

TEST(DisplayModes, OnlySixteenAndThirtyTwoBitModesEnterTheListInOrder) {
    Os os;
    GlDriver driver;
    offered = {{640, 480, 8, 60}, {640, 480, 16, 60}, {640, 480, 24, 60}, {640, 480, 32, 60},
               {1024, 768, 32, 85}, {1024, 768, 32, 85}, {320, 200, 15, 70}};
    EXPECT_EQ(collectDisplayModes(driver, enumerateOffered), Ok);
    EXPECT_EQ(captions(driver), "640x480 16bits 60Hz;640x480 32bits 60Hz;1024x768 32bits 85Hz;1024x768 32bits 85Hz;");

    // A second collection replaces the list and drops the selection with it.
    driver.selectedMode = driver.modes[1];
    offered = {{800, 600, 8, 60}, {800, 600, 24, 60}};
    EXPECT_EQ(collectDisplayModes(driver, enumerateOffered), Failed);
    EXPECT_EQ(driver.modes.count(), 0u);
    EXPECT_EQ(driver.selectedMode, nullptr);
}

TEST(DisplayModes, ProbeOnTheOffscreenDisplayFindsItsMode) {
    test::TempDir dir;
    Os os;
    GlDriver driver;
    EXPECT_EQ(driver.probe(), Ok);
    EXPECT_EQ(captions(driver), "800x600 32bits 60Hz;");
    ASSERT_NE(driver.vendor, nullptr);
    char* info = driver.glInfoText();
    EXPECT_EQ(std::string(info).rfind(std::string("Vendor\t: ") + driver.vendor + "\r\nRenderer\t: ", 0), 0u);
    std::free(info);
}

TEST(DisplayModes, InformationTextListsOneExtensionPerLine) {
    Os os;
    GlDriver driver;
    char* empty = driver.glInfoText();  // no successful open yet: headings alone
    EXPECT_STREQ(empty, "Vendor\t: \r\nRenderer\t: \r\nVersion\t: \r\nExtensions:\r\n");
    std::free(empty);

    driver.vendor = strdup("Velmora");
    driver.renderer = strdup("soft");
    driver.version = strdup("1.1");
    driver.extensions = strdup("GL_one GL_two  GL_three ");
    char* info = driver.glInfoText();
    EXPECT_STREQ(info,
                 "Vendor\t: Velmora\r\nRenderer\t: soft\r\nVersion\t: 1.1\r\nExtensions:\r\n"
                 "GL_one\r\nGL_two\r\nGL_three\r\n");
    std::free(info);
}

TEST(DisplayModes, ModeCaption) {
    char* text = modeText({1024, 768, 32, 85});
    EXPECT_STREQ(text, "1024x768 32bits 85Hz");
    std::free(text);
}

}  // namespace
