// The settings file: seeding, round trips, damaged files and interrupted writes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "kernel/os.h"
#include "tests/support/test_support.h"

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1); }
    std::string file() const { return dir.path() + "/Velmora/Quillon.conf"; }
    void putFile(const std::string& text) {
        std::filesystem::create_directories(dir.path() + "/Velmora");
        std::ofstream(file(), std::ios::binary) << text;
    }

    test::TempDir dir;
    Os os;
};

TEST_F(Settings, FirstReadOfAMissingFileSeedsOnlyThatValue) {
    EXPECT_EQ(os.readSetting("driver_sel", 0), 0);
    EXPECT_EQ(test::readFile(file()), "# Velmora Quillon settings\ndriver_sel=0\nend\n");
    EXPECT_EQ(os.readSetting("mode", 4), 4);  // found the file: nothing stored
    EXPECT_EQ(test::readFile(file()), "# Velmora Quillon settings\ndriver_sel=0\nend\n");
}

TEST_F(Settings, ValuesComeBackExactly) {
    const int32_t values[] = {0, -1, 15, INT32_MIN, INT32_MAX};
    for (int32_t v : values) {
        os.writeSetting("mode", v);
        os.writeSetting("zbuffer_bits", v / 2);
        EXPECT_EQ(os.readSetting("mode", 7), v);
        EXPECT_EQ(os.readSetting("zbuffer_bits", 7), v / 2);
    }
    EXPECT_EQ(os.readSetting("texture_bits", 32), 32);
}

TEST_F(Settings, DamagedFilesGiveDefaultsAndAreKeptAside) {
    const char* damaged[] = {
        "# Velmora Quillon settings\nmode=3\n",           // cut off before its end line
        "# Velmora Quillon settings\nmode=3\nen",         // cut off inside it
        "mode=3\nend\ngarbage=1\n",                       // something after the end
        "\x7f" "ELF\x01\x02\x03 binary junk",             // not a settings file at all
        "mode=3\nthis line has no equals sign\nend\n",
    };
    for (const char* text : damaged) {
        putFile(text);
        EXPECT_EQ(os.readSetting("mode", 9), 9) << text;
        EXPECT_EQ(test::readFile(file()), text) << "a read changed the file";
        os.writeSetting("fullscreen", 0);
        EXPECT_EQ(test::readFile(file() + ".bad"), text);
        EXPECT_EQ(os.readSetting("fullscreen", 1), 0);
        EXPECT_EQ(os.readSetting("mode", 9), 9);
    }
}

TEST_F(Settings, NonNumbersAndOutOfRangeValuesReadAsDefaults) {
    putFile("mode=12abc\nzbuffer_bits=4294967296\ntexture_bits=\nfullscreen= 1\nend\n");
    EXPECT_EQ(os.readSetting("mode", 1), 1);
    EXPECT_EQ(os.readSetting("zbuffer_bits", 16), 16);
    EXPECT_EQ(os.readSetting("texture_bits", 32), 32);
    EXPECT_EQ(os.readSetting("fullscreen", 1), 1);
}

TEST_F(Settings, WithoutAnAbsoluteXdgFolderTheHomeConfigIsUsed) {
    setenv("XDG_CONFIG_HOME", "relative/path", 1);
    std::string savedHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", dir.path().c_str(), 1);
    os.writeSetting("mode", 5);
    setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(test::readFile(dir.path() + "/.config/Velmora/Quillon.conf"),
              "# Velmora Quillon settings\nmode=5\nend\n");
}

TEST_F(Settings, AWriteKilledAnywhereLeavesTheOldOrTheNewFileWhole) {
    os.writeSetting("mode", 0);
    for (int round = 0; round < 5; ++round) {
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t pid = fork();
        if (pid == 0) {
            close(ready[0]);
            Os writer;
            for (int32_t i = 1;; ++i) {
                writer.writeSetting("mode", i);
                writer.writeSetting("zbuffer_bits", i);
                if (i == 3) (void)!write(ready[1], "r", 1);
            }
        }
        close(ready[1]);
        char byte;
        ASSERT_EQ(read(ready[0], &byte, 1), 1);
        usleep(useconds_t(1000 * (round + 1)));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        close(ready[0]);

        std::string text = test::readFile(file());
        ASSERT_GE(text.size(), 4u);
        EXPECT_EQ(text.substr(text.size() - 4), "end\n") << text;
        EXPECT_GE(os.readSetting("mode", -5), 3) << text;
    }
}

TEST_F(Settings, RegistryStringsKeepOpenOrCreateRules) {
    char buffer[16] = "youpi";
    os.readRegistryString(SettingsRoot::Classes, "http\\shell\\open\\command", nullptr, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "youpi");
    std::string key = dir.path() + "/Velmora/Classes/http/shell/open/command.conf";
    EXPECT_EQ(test::readFile(key), "# Velmora Quillon settings\nend\n");  // created, empty

    std::ofstream(key) << "@=browser %1\nlong=0123456789abcdefghij\nend\n";
    os.readRegistryString(SettingsRoot::Classes, "http\\shell\\open\\command", nullptr, buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "browser %1");
    os.readRegistryString(SettingsRoot::Classes, "http\\shell\\open\\command", "long", buffer, sizeof buffer);
    EXPECT_STREQ(buffer, "browser %1");  // does not fit: unchanged

    for (const char* path : {"..\\escape", "a\\\\b", "a/b", ""}) {
        os.readRegistryString(SettingsRoot::Classes, path, nullptr, buffer, sizeof buffer);
        EXPECT_STREQ(buffer, "browser %1") << path;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/Velmora/escape.conf"));
}

}  // namespace
