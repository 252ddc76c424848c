// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/thumbnail.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "testing/test_jpeg.h"

namespace vellumix {
namespace {

VellumixState Box(int width, int height, int percent = 0, bool fill = false, int color = 0) {
  VellumixState s;
  s.Width = width;
  s.Height = height;
  s.Percent = percent;
  s.FillSpace = fill;
  s.SpaceColor = color;
  return s;
}

TEST(FittedSize, PercentUsesExtendedPrecision) {
  const struct {
    int w, h, percent;
    Size expected;
  } cases[] = {
      {640, 480, 10, {63, 47}},  {640, 480, 20, {127, 95}}, {640, 480, 5, {31, 23}},
      {640, 480, 25, {160, 120}}, {640, 480, 50, {320, 240}}, {640, 480, 100, {640, 480}},
      {3, 3, 10, {1, 1}},        // below one pixel: made 1
      {640, 480, -5, {1, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FittedSize(c.w, c.h, Box(50, 50, c.percent)))
        << c.w << "x" << c.h << " at " << c.percent;
  }
}

TEST(FittedSize, BoxFitTouchesOneSide) {
  const struct {
    int w, h, box_w, box_h;
    Size expected;
  } cases[] = {
      {640, 480, 50, 50, {50, 37}}, {480, 640, 50, 50, {37, 50}}, {40, 30, 50, 50, {50, 37}},
      {100, 100, 50, 50, {50, 50}}, {100, 200, 80, 60, {30, 60}}, {6000, 1, 50, 50, {50, 1}},
      {640, 480, 0, 50, {1, 1}},    {640, 480, -20, -20, {1, 1}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, FittedSize(c.w, c.h, Box(c.box_w, c.box_h)))
        << c.w << "x" << c.h << " in " << c.box_w << "x" << c.box_h;
  }
}

TEST(CellSize, IsTheBoxOnlyWhenFillingWithoutPercent) {
  EXPECT_EQ((Size{50, 50}), CellSize({50, 37}, Box(50, 50, 0, true)));
  EXPECT_EQ((Size{127, 95}), CellSize({127, 95}, Box(50, 50, 20, true)));
  EXPECT_EQ((Size{50, 37}), CellSize({50, 37}, Box(50, 50, 0, false)));
}

bool Near(const uint8_t* pixel, int r, int g, int b) {
  return std::abs(pixel[0] - r) <= 8 && std::abs(pixel[1] - g) <= 8 && std::abs(pixel[2] - b) <= 8;
}

TEST(RenderThumbnail, FilledBoxCentresThePictureWithTheOddPixelLast) {
  // 640x480 in 50x50 fits as 50x37: 13 spare rows, 6 above and 7 below.
  const JpegImage green = JpegImage::FromBytes(testing::MakeSolidJpeg(640, 480, 0, 255, 0));
  const RgbImage thumb = RenderThumbnail(green, Box(50, 50, 0, true, 0x0000FF));  // red
  ASSERT_EQ(50, thumb.width);
  ASSERT_EQ(50, thumb.height);
  EXPECT_TRUE(Near(thumb.Row(5) + 25 * 3, 255, 0, 0));
  EXPECT_TRUE(Near(thumb.Row(6) + 25 * 3, 0, 255, 0));
  EXPECT_TRUE(Near(thumb.Row(42) + 25 * 3, 0, 255, 0));
  EXPECT_TRUE(Near(thumb.Row(43) + 25 * 3, 255, 0, 0));

  // Portrait: the picture stands 6 pixels from the left.
  const JpegImage tall = JpegImage::FromBytes(testing::MakeSolidJpeg(480, 640, 0, 255, 0));
  const RgbImage side = RenderThumbnail(tall, Box(50, 50, 0, true, 0xFF0000));  // blue
  EXPECT_TRUE(Near(side.Row(25) + 5 * 3, 0, 0, 255));
  EXPECT_TRUE(Near(side.Row(25) + 6 * 3, 0, 255, 0));
  EXPECT_TRUE(Near(side.Row(25) + 42 * 3, 0, 255, 0));
  EXPECT_TRUE(Near(side.Row(25) + 43 * 3, 0, 0, 255));
}

TEST(RenderThumbnail, PercentIgnoresFillSpace) {
  const JpegImage image = JpegImage::FromBytes(testing::MakeSolidJpeg(640, 480, 10, 20, 30));
  const RgbImage thumb = RenderThumbnail(image, Box(50, 50, 20, true, 0xFF));
  EXPECT_EQ(127, thumb.width);
  EXPECT_EQ(95, thumb.height);
}

}  // namespace
}  // namespace vellumix
