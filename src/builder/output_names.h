// SPDX-License-Identifier: GPL-2.0-or-later
// The file names of the exported images and their thumbnails, made from the name patterns.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "platform/line_list.h"

namespace vellumix {

// The serial number text: at least three digits, zero-padded ("001", "999", "1000").
std::string SerialText(size_t serial);

// Fills `image_names` and `thumb_names` (emptied first) with one entry per source image, in
// order. Image name: `img_format` with "$SER_NO$" and then "$ORG_NAME$" replaced, lower-cased,
// ".jpg" appended, all upper-cased when `upper_case`. Thumbnail name likewise from `thm_format`,
// which also knows "$IMG_NAME$" (the image name without its extension); "" for every image when
// `thm_format` is empty.
void ComputeOutputNames(const LineList& source_images, std::string_view img_format,
                        std::string_view thm_format, bool upper_case, LineList& image_names,
                        LineList& thumb_names, CodePage cp = ActiveCodePage());

}  // namespace vellumix
