// SPDX-License-Identifier: GPL-2.0-or-later
#include "testing/test_jpeg.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

namespace vellumix::testing {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;  // first, so that cinfo->err can be cast back
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Everything the encoder needs, owned by the caller so that nothing with a destructor lives
// between setjmp and a longjmp out of libjpeg.
struct EncodeJob {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  int width;
  int height;
  TestJpegOptions options;
  const uint8_t* pixels;  // width * components bytes per row
  unsigned char* buffer;  // malloc'ed by libjpeg
  unsigned long size;
};

void EncodeBody(EncodeJob* job) {
  j_compress_ptr cinfo = &job->cinfo;
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, &job->buffer, &job->size);
  const bool grey = job->options.sampling == Sampling::kGrey;
  cinfo->image_width = static_cast<JDIMENSION>(job->width);
  cinfo->image_height = static_cast<JDIMENSION>(job->height);
  cinfo->input_components = grey ? 1 : 3;
  cinfo->in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, job->options.quality, TRUE);
  if (!grey) {
    // The chroma components keep 1x1; the luma factors set the subsampling.
    const int h = job->options.sampling == Sampling::k444 ? 1 : 2;
    const int v = job->options.sampling == Sampling::k420 ? 2 : 1;
    cinfo->comp_info[0].h_samp_factor = h;
    cinfo->comp_info[0].v_samp_factor = v;
  }
  if (job->options.progressive) jpeg_simple_progression(cinfo);
  jpeg_start_compress(cinfo, TRUE);
  const size_t stride = static_cast<size_t>(job->width) * cinfo->input_components;
  while (cinfo->next_scanline < cinfo->image_height) {
    JSAMPROW row = const_cast<uint8_t*>(job->pixels + cinfo->next_scanline * stride);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
}

bool RunGuarded(EncodeJob* job) {
  if (setjmp(job->err.jump) != 0) return false;
  EncodeBody(job);
  return true;
}

std::string Encode(int width, int height, const std::vector<uint8_t>& pixels,
                   TestJpegOptions options) {
  EncodeJob job{};
  job.width = width;
  job.height = height;
  job.options = options;
  job.pixels = pixels.data();
  job.cinfo.err = jpeg_std_error(&job.err.pub);
  job.err.pub.error_exit = ErrorExit;
  const bool ok = RunGuarded(&job);
  jpeg_destroy_compress(&job.cinfo);
  std::unique_ptr<unsigned char, decltype(&std::free)> buffer(job.buffer, &std::free);
  if (!ok) throw std::runtime_error(std::string("test JPEG: ") + job.err.message);
  return std::string(reinterpret_cast<const char*>(buffer.get()), job.size);
}

uint8_t Ramp(int i, int n) { return static_cast<uint8_t>(n > 1 ? i * 255 / (n - 1) : 128); }

}  // namespace

std::string MakeTestJpeg(int width, int height, TestJpegOptions options) {
  const bool grey = options.sampling == Sampling::kGrey;
  const int components = grey ? 1 : 3;
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * components);
  uint8_t* p = pixels.data();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // Red runs left to right and green top to bottom, so every pixel's place can be read back;
      // thin stripes every 5th column and 7th row give sharp edges that show a row or column
      // taken from the wrong place.
      const uint8_t r = Ramp(x, width);
      const uint8_t g = Ramp(y, height);
      const bool stripe = x % 5 == 0 || y % 7 == 0;
      if (grey) {
        const uint8_t level = static_cast<uint8_t>((r + g) / 2);
        *p++ = stripe ? static_cast<uint8_t>(255 - level) : level;
      } else {
        *p++ = r;
        *p++ = g;
        *p++ = static_cast<uint8_t>((x % 5 == 0 ? 160 : 0) + (y % 7 == 0 ? 95 : 0));
      }
    }
  }
  return Encode(width, height, pixels, options);
}

std::string MakeSolidJpeg(int width, int height, int r, int g, int b) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < pixels.size(); i += 3) {
    pixels[i] = static_cast<uint8_t>(r);
    pixels[i + 1] = static_cast<uint8_t>(g);
    pixels[i + 2] = static_cast<uint8_t>(b);
  }
  return Encode(width, height, pixels, TestJpegOptions{Sampling::k420, false, 95});
}

}  // namespace vellumix::testing
