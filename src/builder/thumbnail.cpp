// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/thumbnail.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/errors.h"
#include "platform/file_system.h"

namespace vellumix {

namespace {

// libjpeg's own limit; checked before any canvas is allocated for an absurd box or percentage.
constexpr int64_t kMaxSide = 65500;

int32_t AtLeastOne(int64_t side) { return static_cast<int32_t>(std::max<int64_t>(side, 1)); }

bool FillsBox(const VellumixState& settings) {
  return settings.FillSpace && settings.Percent == 0;
}

Size BoxSize(const VellumixState& settings) {
  return {AtLeastOne(settings.Width), AtLeastOne(settings.Height)};
}

void RequireEncodable(Size size) {
  if (size.width > kMaxSide || size.height > kMaxSide) {
    throw Failure("Maximum supported image dimension is 65500 pixels");
  }
}

}  // namespace

Size FittedSize(int32_t image_width, int32_t image_height, const VellumixState& settings) {
  const int64_t w = image_width;
  const int64_t h = image_height;
  if (settings.Percent != 0) {
    // The factor is taken as Percent times the extended-precision value nearest 0.01, which lies
    // a little below it; whole results can therefore come out one less (640 at 10 % is 63), and
    // albums rely on exactly these sizes.
    const long double factor = static_cast<long double>(settings.Percent) * 0.01L;
    return {AtLeastOne(static_cast<int64_t>(static_cast<long double>(w) * factor)),
            AtLeastOne(static_cast<int64_t>(static_cast<long double>(h) * factor))};
  }
  const int64_t box_w = settings.Width;
  const int64_t box_h = settings.Height;
  if (box_h * w > box_w * h) return {AtLeastOne(box_w), AtLeastOne(box_w * h / w)};
  return {AtLeastOne(box_h * w / h), AtLeastOne(box_h)};
}

Size CellSize(Size fitted, const VellumixState& settings) {
  return FillsBox(settings) ? BoxSize(settings) : fitted;
}

RgbImage RenderThumbnail(const JpegImage& image, const VellumixState& settings) {
  const Size fitted = FittedSize(image.Width(), image.Height(), settings);
  RequireEncodable(fitted);
  if (!FillsBox(settings)) return image.DecodeStretched(fitted.width, fitted.height);

  const Size box = BoxSize(settings);
  RequireEncodable(box);
  RgbImage canvas(box.width, box.height);
  const uint8_t fill[3] = {static_cast<uint8_t>(settings.SpaceColor & 0xFF),
                           static_cast<uint8_t>((settings.SpaceColor >> 8) & 0xFF),
                           static_cast<uint8_t>((settings.SpaceColor >> 16) & 0xFF)};
  for (size_t i = 0; i < canvas.pixels.size(); i += 3) std::memcpy(&canvas.pixels[i], fill, 3);

  const RgbImage picture = image.DecodeStretched(fitted.width, fitted.height);
  // Integer halving puts the odd pixel of an odd margin to the right or at the bottom.
  const int left = std::max(0, (box.width - fitted.width) / 2);
  const int top = std::max(0, (box.height - fitted.height) / 2);
  const int copy_w = std::min(picture.width, box.width - left);
  const int copy_h = std::min(picture.height, box.height - top);
  for (int y = 0; y < copy_h; ++y) {
    std::memcpy(canvas.Row(top + y) + static_cast<size_t>(left) * 3, picture.Row(y),
                static_cast<size_t>(copy_w) * 3);
  }
  return canvas;
}

std::string EncodeThumbnail(const JpegImage& image, const VellumixState& settings) {
  return EncodeJpeg(RenderThumbnail(image, settings), settings.Quality);
}

Size MakeThumbnail(const JpegImage& image, const std::string& thumb_name,
                   const VellumixState& state, RunLog& log, const std::string* encoded,
                   CodePage cp) {
  const Size cell = CellSize(FittedSize(image.Width(), image.Height(), state), state);
  if (thumb_name.empty()) return cell;

  const std::string path = state.OutputDir + state.SubDirName + "/" + thumb_name;
  if (state.HtmlOnly) {
    if (!IsFile(path)) throw Abort(Native("サムネイルがありません", cp));
    return cell;
  }
  // Encoded whole in memory before the file is opened, so a picture the decoder rejects leaves
  // no half-written thumbnail behind.
  WriteFileBytes(path, encoded != nullptr ? *encoded : EncodeThumbnail(image, state));
  log.AppendToLastLine(Native("/  →", cp) + thumb_name);
  return cell;
}

}  // namespace vellumix
