// The playback clock against simulated devices: steady, off the wall
// clock's rate, late with their figures, stalled. No real time passes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/playback_clock.h"

namespace {

constexpr double kRate = 44100;
constexpr int kBuffer = 512;

struct DeviceCase {
    const char* name;
    double speed;          // device frames per wall second, as a share of kRate
    double lateSeconds;    // the most a callback runs late (spread evenly)
    double stallAt;        // wall time the device stops (negative: never)
    double stallSeconds;
};

struct Sample {
    double wall, shown, heard;
};

// Runs a device for seconds of wall time. Callback k is due when the device
// has played k buffers; it runs late by a varying amount and reports the
// frames heard as of its due time minus one queued buffer, as the SDL output
// does. The clock is read every 4 ms.
std::vector<Sample> simulate(const DeviceCase& c, double seconds) {
    platform::PlaybackClock clock(kRate, 4 * kBuffer);
    std::vector<Sample> samples;
    auto played = [&](double wall) {  // device frames played by wall time
        double active = wall;
        if (c.stallAt >= 0 && wall > c.stallAt) active = wall - std::min(wall - c.stallAt, c.stallSeconds);
        return active * kRate * c.speed;
    };
    auto dueTime = [&](int k) {  // inverse of played
        double active = k * kBuffer / (kRate * c.speed);
        if (c.stallAt >= 0 && active > c.stallAt) active += c.stallSeconds;
        return active;
    };
    uint32_t lcg = 12345;
    int next = 0;
    double nextAt = dueTime(0);
    for (double wall = 0; wall <= seconds; wall += 0.004) {
        while (nextAt <= wall) {
            lcg = lcg * 1664525u + 1013904223u;
            double late = c.lateSeconds * double(lcg >> 8) / double(1u << 24);
            clock.anchor(double(next) * kBuffer - kBuffer, nextAt + late);
            ++next;
            nextAt = dueTime(next);
        }
        samples.push_back({wall, clock.position(wall), std::max(0.0, played(wall) - kBuffer)});
    }
    return samples;
}

const DeviceCase kDevices[] = {
    {"steady", 1.0, 0.0, -1, 0},
    {"late callbacks", 1.0, 0.003, -1, 0},
    {"slow device", 0.99, 0.002, -1, 0},
    {"fast device", 1.01, 0.002, -1, 0},
    {"stalls for half a second", 1.0, 0.002, 2.0, 0.5},
};

TEST(PlaybackClock, FollowsTheDeviceNotTheWallClockAndNeverGoesBack) {
    for (const DeviceCase& c : kDevices) {
        SCOPED_TRACE(c.name);
        std::vector<Sample> run = simulate(c, 10.0);
        double worst = 0, previous = 0;
        for (const Sample& s : run) {
            ASSERT_GE(s.shown, previous) << "at " << s.wall;
            // Settling: the first buffers, and a stall with the slew after it.
            previous = s.shown;
            bool settling = s.wall < 0.2 || (c.stallAt >= 0 && s.wall > c.stallAt && s.wall < c.stallAt + c.stallSeconds + 0.6);
            if (!settling) worst = std::max(worst, std::fabs(s.shown - s.heard));
        }
        EXPECT_LT(worst, 0.005 * kRate) << "frames off what the device has played";
        // After ten seconds the clock is where the device is, not where the
        // wall clock would put it.
        const Sample& last = run.back();
        EXPECT_NEAR(last.shown, last.heard, 0.002 * last.heard);
    }
}

TEST(PlaybackClock, StopsWithAStalledDevice) {
    DeviceCase stall{"stall", 1.0, 0.0, 2.0, 1.0};
    std::vector<Sample> run = simulate(stall, 3.5);
    for (const Sample& s : run) {
        if (s.wall < 2.0 || s.wall > 3.0) continue;
        // Extrapolation runs out a few buffers past the last figure.
        EXPECT_LE(s.shown - s.heard, 4 * kBuffer + 0.021 * kRate) << "at " << s.wall;
    }
}

TEST(PlaybackClock, StartsAtZeroAndIgnoresFiguresBehindIt) {
    platform::PlaybackClock clock(kRate, 4 * kBuffer);
    EXPECT_EQ(clock.position(5.0), 0.0);  // no figure yet
    clock.anchor(-kBuffer, 5.0);          // first callback: everything still queued
    EXPECT_EQ(clock.position(5.001), 0.0);
    clock.anchor(kRate, 6.0);
    double shown = clock.position(6.0);
    EXPECT_GE(shown, kRate - 0.02 * kRate);
    clock.anchor(kRate - 1000, 6.0);  // a figure behind what was shown
    EXPECT_GE(clock.position(6.0), shown);
    EXPECT_GE(clock.position(6.001), shown);
    clock.reset();
    EXPECT_EQ(clock.position(7.0), 0.0);
}

}  // namespace
