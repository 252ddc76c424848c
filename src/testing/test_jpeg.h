// SPDX-License-Identifier: GPL-2.0-or-later
// Test JPEGs made through libjpeg at exact sizes, with a picture whose every pixel is predictable
// enough to tell rows and columns apart after scaling.
#pragma once

#include <string>

namespace vellumix::testing {

enum class Sampling { k420, k422, k444, kGrey };

struct TestJpegOptions {
  Sampling sampling = Sampling::k420;
  bool progressive = false;
  int quality = 90;
};

// A width x height JPEG of a smooth colour gradient with a few sharp stripes.
std::string MakeTestJpeg(int width, int height, TestJpegOptions options = {});

// A JPEG of one solid colour (r, g, b).
std::string MakeSolidJpeg(int width, int height, int r, int g, int b);

}  // namespace vellumix::testing
