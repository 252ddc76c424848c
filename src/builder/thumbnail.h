// SPDX-License-Identifier: GPL-2.0-or-later
// The thumbnail of one image: its size by percentage or box fit, the optional filled box, and the
// JPEG file in the sub folder.
#pragma once

#include <cstdint>
#include <string>

#include "builder/run_log.h"
#include "builder/vellumix_state.h"
#include "platform/code_page.h"
#include "platform/jpeg_image.h"
#include "platform/rgb_image.h"

namespace vellumix {

struct Size {
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const Size&) const = default;
};

// The size the picture is scaled to. Percent not 0: each side times Percent * 0.01 in 80-bit
// extended precision, truncated (so 640 x 480 at 10 gives 63 x 47). Percent 0: fitted into the
// Width x Height box with one side equal to the box's, enlarging small images. A side below 1 is
// made 1.
Size FittedSize(int32_t image_width, int32_t image_height, const VellumixState& settings);

// The size handed to the cells: the box when FillSpace applies (Percent 0), else `fitted`.
Size CellSize(Size fitted, const VellumixState& settings);

// The thumbnail picture: the image stretched to its fitted size, centred on a box filled with
// SpaceColor when FillSpace applies (the odd pixel of the margin to the right or bottom).
RgbImage RenderThumbnail(const JpegImage& image, const VellumixState& settings);

// The thumbnail file's bytes: RenderThumbnail encoded at Quality. Throws Failure when the image
// cannot be decoded.
std::string EncodeThumbnail(const JpegImage& image, const VellumixState& settings);

// Writes the thumbnail of `image` as `thumb_name` into the sub folder and appends "/  →" + name
// to the log line, or, in an HTML-only run, throws Abort("サムネイルがありません") when that file
// is missing. Makes nothing when `thumb_name` is empty. Returns the cell size either way.
// `encoded`, when given, is EncodeThumbnail's result made ahead of time.
// Throws Failure when the image cannot be decoded or the file cannot be written.
Size MakeThumbnail(const JpegImage& image, const std::string& thumb_name,
                   const VellumixState& state, RunLog& log, const std::string* encoded = nullptr,
                   CodePage cp = ActiveCodePage());

}  // namespace vellumix
