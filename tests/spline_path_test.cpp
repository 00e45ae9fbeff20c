// Spline paths: arc-length evaluation, the text and binary readers, write,
// and files that break off or announce what they do not hold.
#include <gtest/gtest.h>

#include <cmath>

#include "modules/spline_path.h"
#include "tests/support/asset_bytes.h"
#include "tests/support/test_support.h"

using test::Bytes;
using test::f32;
using test::le32;

namespace {

void expectPoint(const Vector3& v, float x, float y, float z, float tolerance = 1e-5f) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

Bytes record(const std::vector<Vector3>& points) {
    Bytes b = le32(uint32_t(points.size()));
    for (const Vector3& p : points) b += f32(p.x) + f32(p.y) + f32(p.z);
    return b;
}

}  // namespace

TEST(SplinePath, EvaluatesByArcLength) {
    SplinePath straight({{0, 0, 0}, {10, 0, 0}});
    EXPECT_FLOAT_EQ(straight.segmentLength(0), 10.0f);
    EXPECT_FLOAT_EQ(straight.totalLength(), 10.0f);
    Vector3 v;
    expectPoint(straight.evaluate(v, 0.25f), 2.5f, 0, 0);

    SplinePath corner({{0, 0, 0}, {3, 0, 0}, {3, 4, 0}});
    EXPECT_FLOAT_EQ(corner.segmentLength(0), 3.0f);
    EXPECT_FLOAT_EQ(corner.segmentLength(1), 4.0f);
    EXPECT_FLOAT_EQ(corner.totalLength(), 7.0f);
    expectPoint(corner.evaluate(v, 0.5f), 3.0f, 0.5f, 0);
    expectPoint(corner.evaluate(v, 3.0f / 7.0f), 3.0f, 0, 0);

    struct Case {
        float s;
        float x, y;
    } ends[] = {{0.0f, 0, 0}, {-0.5f, 0, 0}, {1.0f, 3, 4}, {1.5f, 3, 4}, {NAN, 0, 0}};
    for (const Case& c : ends) {
        SCOPED_TRACE(c.s);
        expectPoint(corner.evaluate(v, c.s), c.x, c.y, 0);
    }
}

TEST(SplinePath, OnePointAndIndicesOutsideThePath) {
    SplinePath single({{1, 2, 3}});
    EXPECT_EQ(single.pointCount(), 1);
    EXPECT_EQ(single.totalLength(), 0.0f);
    Vector3 v;
    for (float s : {-1.0f, 0.0f, 0.5f, 1.0f, 2.0f}) expectPoint(single.evaluate(v, s), 1, 2, 3);

    Vector3 untouched{7, 8, 9};
    single.getPoint(untouched, 1);
    single.getPoint(untouched, -1);
    expectPoint(untouched, 7, 8, 9);
    EXPECT_EQ(single.segmentLength(0), 0.0f);
    EXPECT_EQ(single.segmentLength(-1), 0.0f);
}

TEST(SplineText, ReadsNumbersInAnyLayout) {
    test::TempDir dir;
    test::writeBytes("lines.spl", "1\n2\n0\n0\n0\n10\n0\n0\n");
    test::writeBytes("packed.spl", "1 2 0 0 0\t10 0 0");
    test::writeBytes("mixed.spl", "  1\n\n 2 0\n0 0 10\r\n 0\n 0 \n");
    for (const char* name : {"lines.spl", "packed.spl", "mixed.spl"}) {
        SCOPED_TRACE(name);
        SplinePathList list = readSplinePathsText(name);
        ASSERT_EQ(list.size(), 1);
        EXPECT_EQ(list[0]->pointCount(), 2);
        EXPECT_FLOAT_EQ(list[0]->totalLength(), 10.0f);
        Vector3 v;
        expectPoint(list[0]->evaluate(v, 0.25f), 2.5f, 0, 0);
    }
}

TEST(SplineText, BrokenFilesGiveThePathsReadUntilThen) {
    test::TempDir dir;
    struct Case {
        const char* text;
        int paths;
        bool complete;
    } cases[] = {
        {"", 0, false},
        {"0", 0, true},
        {"-3 1 0 0 0", 0, true},
        {"2 1 5 5 5", 1, false},              // the second path is missing
        {"2 1 5 5 5 3 0 0 0 1 1", 1, false},  // the second path breaks off
        {"3 0 -4 1 5 5 5", 1, true},          // empty and negative paths are skipped
        {"1 2147483647 0 0 0", 0, false},     // a count the file cannot hold
        {"2 1 5 5 x 1 0 0 0", 0, false},      // not a number
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        test::writeBytes("p.spl", c.text);
        SplineReadReport report;
        SplinePathList list = readSplinePathsText("p.spl", &report);
        EXPECT_TRUE(report.opened);
        EXPECT_EQ(report.complete, c.complete);
        ASSERT_EQ(list.size(), c.paths);
        for (int i = 0; i < list.size(); ++i) EXPECT_GE(list[i]->pointCount(), 1);
    }
    SplineReadReport report;
    EXPECT_EQ(readSplinePathsText("absent.spl", &report).size(), 0);
    EXPECT_FALSE(report.opened);
    EXPECT_EQ(readSplinePathsBinary("absent.spl").size(), 0);
}

TEST(SplineBinary, ReadsRecordsAndWriteReproducesThem) {
    test::TempDir dir;
    std::vector<Vector3> three = {{0, 0, 0}, {1.5f, -2, 3}, {4, 5, 6.25f}};
    std::vector<Vector3> five = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}};
    Bytes first = record(three);
    test::writeBytes("twob.spl", le32(2) + first + record(five));

    SplinePathList list = readSplinePathsBinary("twob.spl");
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0]->pointCount(), 3);
    EXPECT_EQ(list[1]->pointCount(), 5);
    EXPECT_FLOAT_EQ(list[1]->totalLength(), 4 * std::sqrt(3.0f));

    FILE* out = std::fopen("record.bin", "wb");
    ASSERT_NE(out, nullptr);
    list[0]->write(out, 3);
    std::fclose(out);
    EXPECT_EQ(test::readFile("record.bin"), first);

    // A count beyond the path writes the path with its own count, so the
    // record still reads back; a negative count writes an empty record.
    out = std::fopen("cut.bin", "wb");
    list[0]->write(out, 9);
    list[0]->write(out, -2);
    std::fclose(out);
    EXPECT_EQ(test::readFile("cut.bin"), first + le32(0));
}

TEST(SplineBinary, HostileCountsAreSkippedOrEndTheList) {
    test::TempDir dir;
    Bytes one = record({{1, 2, 3}});
    struct Case {
        const char* name;
        Bytes bytes;
        int paths;
    } cases[] = {
        {"empty", "", 0},
        {"short count", Bytes("\x01\x00", 2), 0},
        {"negative N", le32(uint32_t(-1)) + one, 0},
        {"zero and negative paths", le32(3) + le32(0) + le32(uint32_t(-7)) + one, 1},
        {"huge point count", le32(2) + one + le32(0x7FFFFFFF) + f32(1), 1},
        {"truncated points", le32(1) + le32(2) + f32(1) + f32(2) + f32(3) + f32(4), 0},
        {"huge N", le32(0x7FFFFFFF) + one, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes("h.spl", c.bytes);
        SplinePathList list = readSplinePathsBinary("h.spl");
        EXPECT_EQ(list.size(), c.paths);
    }
}
