// SPDX-License-Identifier: GPL-2.0-or-later
// RgbImage is a plain 24-bit picture in memory: rows top to bottom, pixels as R, G, B bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace vellumix {

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width * height * 3 bytes

  RgbImage() = default;
  RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w) * h * 3) {}

  uint8_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width * 3; }
  const uint8_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width * 3; }
};

}  // namespace vellumix
