// A GL context without a display, and pixel read-back, for drawing tests.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "shell/glcontext.h"

using Rgb = std::array<int, 3>;

// Fixture: an offscreen context of the render size (640 x 480 by default),
// current for the test's whole body.
class OffscreenTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The pixel at (x, y) of the frame drawn so far, (0, 0) at the bottom left.
    Rgb pixel(int x, int y) const;
    virtual int contextWidth() const { return 640; }
    virtual int contextHeight() const { return 480; }

    OffscreenContext context;
};

// True when every channel is within tolerance steps of 255 of the expected one.
::testing::AssertionResult colorNear(const Rgb& actual, const Rgb& expected, int tolerance = 3);
