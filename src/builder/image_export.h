// SPDX-License-Identifier: GPL-2.0-or-later
// Putting one source image into the album's image folder under its new name.
#pragma once

#include <cstdint>
#include <string>

#include "builder/run_log.h"
#include "builder/vellumix_state.h"
#include "platform/code_page.h"
#include "platform/jpeg_image.h"

namespace vellumix {

// What the pages and cells need to know of an exported image.
struct ImageFacts {
  int32_t width = 0;      // pixel size from the source's header
  int32_t height = 0;
  int64_t file_size = 0;  // bytes of the file in the image folder; 0 when it cannot be read
};

// The image folder (OutputDir + ImgDirName + "/") and the destination of `image_name` in it.
std::string ImageFolder(const VellumixState& state);

// Exports `image`, loaded from `source_path`, as `image_name`:
// - when the source folder is not the image folder (decided on disk, not by text): writes the
//   loaded bytes, replacing an existing file, gives the copy the source's modification time at
//   two-second resolution, and appends "  →" + name to the log line;
// - when it is: renames the file in place, never replacing another file (Abort
//   "ファイル名の変更に失敗しました" when the name is taken), appending "  →" + name; nothing
//   moves and nothing is logged when the name is already right;
// - in an HTML-only run: writes nothing, and throws Abort("画像ファイルがありません") when the
//   exported file cannot be opened for reading.
// Throws Failure when the copy cannot be written.
ImageFacts ExportImage(const JpegImage& image, const std::string& source_path,
                       const std::string& image_name, const VellumixState& state, RunLog& log,
                       CodePage cp = ActiveCodePage());

}  // namespace vellumix
