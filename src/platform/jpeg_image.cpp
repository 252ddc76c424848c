// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/jpeg_image.h"

#include <jpeglib.h>

#include <cassert>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/file_system.h"

namespace vellumix {
namespace {

// libjpeg allocates its whole-image buffers (multi-scan sources, progressive ones above all) up
// to this size; beyond it, it asks for a backing store, which this build lacks, and fails. That
// bounds what a header claiming an enormous progressive picture can make us allocate, while
// leaving room for any real photograph (a 4:2:0 progressive picture needs about 3 bytes a pixel).
constexpr long kMaxDecoderMemory = 1L << 30;

// libjpeg's error manager, extended with the way back to RunGuarded() and the formatted message.
struct ErrorManager {
  jpeg_error_mgr pub;  // first, so that cinfo->err can be cast back to ErrorManager
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Warnings (corrupt data, a truncated file) are counted and otherwise ignored: the decoder fills
// what is missing and the picture is still usable. Nothing is ever written to stderr.
void EmitMessage(j_common_ptr cinfo, int msg_level) {
  if (msg_level < 0) ++cinfo->err->num_warnings;
}

void OutputMessage(j_common_ptr) {}

void InitErrorManager(ErrorManager* err) {
  jpeg_std_error(&err->pub);
  err->pub.error_exit = ErrorExit;
  err->pub.emit_message = EmitMessage;
  err->pub.output_message = OutputMessage;
  err->message[0] = '\0';
}

// The only function that calls setjmp. A fatal libjpeg error longjmps back here from inside
// `body`, so `body` and everything it calls hold only trivially destructible locals; the job
// (libjpeg's structs and plain pointers) lives in the C++ caller, which cleans up and throws once
// this has returned false.
template <typename Job>
bool RunGuarded(Job* job, void (*body)(Job*)) {
  if (setjmp(job->err.jump) != 0) return false;
  body(job);
  return true;
}

// Everything one decode needs, owned by the caller. Zero-initialised, so that destroying it is
// harmless even when jpeg_create_decompress never ran.
struct DecodeJob {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  const std::string* bytes;
  // Filled by the body.
  int width;
  int height;
  bool cmyk;
  bool inverted_cmyk;
  // Used by the decode bodies: one source row (up to 4 bytes per pixel), the output picture
  // (out_width * out_height * 3 bytes) and, when stretching, the source column of each output
  // column.
  uint8_t* row;
  uint8_t* out;
  int out_width;
  int out_height;
  const int* columns;
};

void ReadHeader(DecodeJob* job) {
  j_decompress_ptr cinfo = &job->cinfo;
  jpeg_create_decompress(cinfo);
  cinfo->mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(job->bytes->data()),
               static_cast<unsigned long>(job->bytes->size()));
  jpeg_read_header(cinfo, TRUE);
  job->width = static_cast<int>(cinfo->image_width);
  job->height = static_cast<int>(cinfo->image_height);
}

// Reads the header and starts a decode with libjpeg's default settings, asking for RGB, or for
// CMYK from a CMYK or YCCK source, which libjpeg cannot turn into RGB itself.
void StartDecompress(DecodeJob* job) {
  ReadHeader(job);
  j_decompress_ptr cinfo = &job->cinfo;
  job->cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
  // Photoshop and most cameras store CMYK inverted (255 = no ink) and mark it with an Adobe
  // APP14 marker.
  job->inverted_cmyk = job->cmyk && cinfo->saw_Adobe_marker;
  cinfo->out_color_space = job->cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_start_decompress(cinfo);
  assert(cinfo->output_components == (job->cmyk ? 4 : 3));
  assert(static_cast<int>(cinfo->output_width) == job->width);
  assert(static_cast<int>(cinfo->output_height) == job->height);
}

void ToRgb(const uint8_t* cmyk, bool inverted, uint8_t* rgb) {
  int k = cmyk[3];
  if (!inverted) k = 255 - k;
  for (int i = 0; i < 3; ++i) {
    int ink = inverted ? cmyk[i] : 255 - cmyk[i];
    rgb[i] = static_cast<uint8_t>((ink * k + 127) / 255);
  }
}

// Copies the sampled pixels of one decoded source row into an output row.
void SampleRow(const DecodeJob& job, uint8_t* out_row) {
  for (int x = 0; x < job.out_width; ++x) {
    const size_t sx = static_cast<size_t>(job.columns[x]);
    if (job.cmyk) {
      ToRgb(job.row + sx * 4, job.inverted_cmyk, out_row + x * 3);
    } else {
      std::memcpy(out_row + x * 3, job.row + sx * 3, 3);
    }
  }
}

void DecodeStretchedBody(DecodeJob* job) {
  StartDecompress(job);
  j_decompress_ptr cinfo = &job->cinfo;
  const size_t out_stride = static_cast<size_t>(job->out_width) * 3;
  JSAMPROW row = job->row;
  int64_t last_source_y = -1;
  for (int y = 0; y < job->out_height; ++y) {
    uint8_t* out_row = job->out + static_cast<size_t>(y) * out_stride;
    const int64_t source_y = static_cast<int64_t>(y) * job->height / job->out_height;
    if (source_y == last_source_y) {  // enlarging: the row repeats
      std::memcpy(out_row, out_row - out_stride, out_stride);
      continue;
    }
    if (source_y > cinfo->output_scanline) {
      jpeg_skip_scanlines(cinfo, static_cast<JDIMENSION>(source_y - cinfo->output_scanline));
    }
    jpeg_read_scanlines(cinfo, &row, 1);
    SampleRow(*job, out_row);
    last_source_y = source_y;
  }
  // The rows below the last one sampled are never decoded: jpeg_finish_decompress would insist
  // on them, so the caller just destroys the decoder.
}

void DecodeFullBody(DecodeJob* job) {
  StartDecompress(job);
  j_decompress_ptr cinfo = &job->cinfo;
  const size_t stride = static_cast<size_t>(job->width) * 3;
  while (cinfo->output_scanline < cinfo->output_height) {
    uint8_t* out_row = job->out + cinfo->output_scanline * stride;
    JSAMPROW row = job->cmyk ? job->row : out_row;
    jpeg_read_scanlines(cinfo, &row, 1);
    if (job->cmyk) {
      for (int x = 0; x < job->width; ++x) {
        ToRgb(job->row + static_cast<size_t>(x) * 4, job->inverted_cmyk, out_row + x * 3);
      }
    }
  }
  jpeg_finish_decompress(cinfo);
}

// Runs `body` on the bytes and throws Failure with libjpeg's message when it fails.
void RunDecode(DecodeJob* job, void (*body)(DecodeJob*)) {
  InitErrorManager(&job->err);
  job->cinfo.err = &job->err.pub;
  const bool ok = RunGuarded(job, body);
  jpeg_destroy_decompress(&job->cinfo);
  if (!ok) throw Failure(job->err.message);
}

struct EncodeJob {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  const RgbImage* image;
  int quality;
  unsigned char* buffer;  // malloc'ed by libjpeg; freed by the caller
  unsigned long size;
};

void EncodeBody(EncodeJob* job) {
  j_compress_ptr cinfo = &job->cinfo;
  jpeg_create_compress(cinfo);
  jpeg_mem_dest(cinfo, &job->buffer, &job->size);
  cinfo->image_width = static_cast<JDIMENSION>(job->image->width);
  cinfo->image_height = static_cast<JDIMENSION>(job->image->height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, job->quality, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  while (cinfo->next_scanline < cinfo->image_height) {
    // libjpeg takes non-const rows but only reads them.
    JSAMPROW row = const_cast<uint8_t*>(job->image->Row(static_cast<int>(cinfo->next_scanline)));
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
}

}  // namespace

JpegImage JpegImage::Load(const std::string& path) { return FromBytes(ReadFileBytes(path)); }

JpegImage JpegImage::FromBytes(std::string bytes) {
  DecodeJob job{};
  job.bytes = &bytes;
  RunDecode(&job, ReadHeader);
  return JpegImage(std::move(bytes), job.width, job.height);
}

void JpegImage::SaveTo(const std::string& path) const { WriteFileBytes(path, bytes_); }

RgbImage JpegImage::DecodeStretched(int out_width, int out_height) const {
  assert(out_width >= 1 && out_height >= 1);
  RgbImage out(out_width, out_height);
  std::vector<int> columns(static_cast<size_t>(out_width));
  for (int x = 0; x < out_width; ++x) {
    columns[x] = static_cast<int>(static_cast<int64_t>(x) * width_ / out_width);
  }
  std::vector<uint8_t> row(static_cast<size_t>(width_) * 4);
  DecodeJob job{};
  job.bytes = &bytes_;
  job.row = row.data();
  job.out = out.pixels.data();
  job.out_width = out_width;
  job.out_height = out_height;
  job.columns = columns.data();
  RunDecode(&job, DecodeStretchedBody);
  return out;
}

RgbImage JpegImage::DecodeFull() const {
  RgbImage out(width_, height_);
  std::vector<uint8_t> row(static_cast<size_t>(width_) * 4);
  DecodeJob job{};
  job.bytes = &bytes_;
  job.row = row.data();
  job.out = out.pixels.data();
  RunDecode(&job, DecodeFullBody);
  return out;
}

RgbImage StretchNearest(const RgbImage& source, int out_width, int out_height) {
  RgbImage out(out_width, out_height);
  for (int y = 0; y < out_height; ++y) {
    const int sy = static_cast<int>(static_cast<int64_t>(y) * source.height / out_height);
    for (int x = 0; x < out_width; ++x) {
      const int sx = static_cast<int>(static_cast<int64_t>(x) * source.width / out_width);
      std::memcpy(out.Row(y) + x * 3, source.Row(sy) + sx * 3, 3);
    }
  }
  return out;
}

std::string EncodeJpeg(const RgbImage& image, int quality) {
  EncodeJob job{};
  job.image = &image;
  job.quality = quality < 1 ? 1 : quality > 100 ? 100 : quality;
  InitErrorManager(&job.err);
  job.cinfo.err = &job.err.pub;
  const bool ok = RunGuarded(&job, EncodeBody);
  jpeg_destroy_compress(&job.cinfo);
  std::unique_ptr<unsigned char, decltype(&std::free)> buffer(job.buffer, &std::free);
  if (!ok) throw Failure(job.err.message);
  return std::string(reinterpret_cast<const char*>(buffer.get()), job.size);
}

}  // namespace vellumix
