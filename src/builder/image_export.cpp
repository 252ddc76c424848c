// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/image_export.h"

#include <string>

#include "platform/byte_string.h"
#include "platform/errors.h"
#include "platform/file_system.h"

namespace vellumix {

namespace {

// The copy keeps the source's date, as far as the two-second steps of a DOS date allow, so that
// albums made on either system carry the same times.
void CopyModificationTime(const std::string& source_path, const std::string& destination) {
  if (const auto time = LastWriteTime(source_path)) {
    SetLastWriteTime(destination, ToDosTimeResolution(*time));
  }
}

int64_t SizeOrZero(const std::string& path) { return ReadableFileSize(path).value_or(0); }

}  // namespace

std::string ImageFolder(const VellumixState& state) {
  return state.OutputDir + state.ImgDirName + "/";
}

ImageFacts ExportImage(const JpegImage& image, const std::string& source_path,
                       const std::string& image_name, const VellumixState& state, RunLog& log,
                       CodePage cp) {
  ImageFacts facts;
  facts.width = image.Width();
  facts.height = image.Height();
  const std::string destination = ImageFolder(state) + image_name;

  if (state.HtmlOnly) {
    const auto size = ReadableFileSize(destination);
    if (!size) throw Abort(Native("画像ファイルがありません", cp));
    facts.file_size = *size;
    return facts;
  }

  if (!SameFileOnDisk(state.ImgSrcDir, ImageFolder(state))) {
    image.SaveTo(destination);
    CopyModificationTime(source_path, destination);
    facts.file_size = SizeOrZero(destination);
    log.AppendToLastLine(Native("  →", cp) + image_name);
    return facts;
  }

  // The photos already lie in the image folder: give them their new names where they stand.
  // Both folders are the same on disk, so the names alone tell whether anything must move.
  if (FileNamePart(source_path, cp) != image_name) {
    if (!RenameNoReplace(source_path, destination)) {
      throw Abort(Native("ファイル名の変更に失敗しました", cp));
    }
    log.AppendToLastLine(Native("  →", cp) + image_name);
  }
  facts.file_size = SizeOrZero(destination);
  return facts;
}

}  // namespace vellumix
