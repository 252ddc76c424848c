// SPDX-License-Identifier: GPL-2.0-or-later
// JpegImage holds one JPEG file's bytes and its pixel size, over libjpeg-turbo's jpeglib API.
// The file is read once; the same bytes are saved unchanged as the album's copy and decoded for
// the thumbnail. libjpeg's errors never end the process: they become Failure exceptions carrying
// libjpeg's own message, while corrupt-data warnings are counted and do not fail.
#pragma once

#include <string>

#include "platform/rgb_image.h"

namespace vellumix {

class JpegImage {
 public:
  // Reads the whole file and parses its header for the pixel size. Throws Failure when the file
  // cannot be read or libjpeg rejects the header (e.g. "Not a JPEG file: starts with 0x.. 0x..").
  static JpegImage Load(const std::string& path);
  // The same from bytes already in memory.
  static JpegImage FromBytes(std::string bytes);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const std::string& Bytes() const { return bytes_; }

  // Writes the loaded bytes unchanged to `path`, replacing an existing file. Throws Failure.
  void SaveTo(const std::string& path) const;

  // Decodes with libjpeg's default decompression settings to RGB (a greyscale source becomes grey
  // RGB; a CMYK or YCCK source, which libjpeg cannot turn into RGB, is decoded as CMYK and
  // converted here, Adobe-inverted when it carries an Adobe marker) and stretches the picture to out_width x out_height by nearest neighbour: output pixel
  // (x, y) takes source pixel (x * Width() / out_width, y * Height() / out_height). Rows that no
  // output row uses are skipped while decoding, and only one source row is held at a time, so
  // memory stays bounded for any source size; the pixels equal those of DecodeFull() followed by
  // StretchNearest(). REQUIRES: out_width >= 1, out_height >= 1. Throws Failure on a fatal
  // decoder error.
  RgbImage DecodeStretched(int out_width, int out_height) const;

  // The whole picture at full size; the straightforward reference for tests.
  RgbImage DecodeFull() const;

 private:
  JpegImage(std::string bytes, int width, int height)
      : bytes_(std::move(bytes)), width_(width), height_(height) {}

  std::string bytes_;
  int width_ = 0;
  int height_ = 0;
};

// The plain nearest-neighbour stretch that DecodeStretched() samples by: no smoothing; rows and
// columns are dropped when reducing and repeated when enlarging.
RgbImage StretchNearest(const RgbImage& source, int out_width, int out_height);

// Encodes `image` as a baseline JPEG with three components: jpeg_set_defaults, then
// jpeg_set_quality(quality, TRUE); everything else at libjpeg's defaults. Throws Failure.
std::string EncodeJpeg(const RgbImage& image, int quality);

}  // namespace vellumix
