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
