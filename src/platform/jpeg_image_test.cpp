// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/jpeg_image.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "platform/errors.h"
#include "platform/rgb_image.h"
#include "testing/temp_dir.h"
#include "testing/test_jpeg.h"

namespace vellumix {
namespace {

using testing::MakeSolidJpeg;
using testing::MakeTestJpeg;
using testing::Sampling;
using testing::TempDir;
using testing::TestJpegOptions;

// Names the first differing pixel instead of dumping two whole pictures.
::testing::AssertionResult SamePixels(const RgbImage& expected, const RgbImage& actual) {
  if (expected.width != actual.width || expected.height != actual.height) {
    return ::testing::AssertionFailure()
           << "size " << actual.width << "x" << actual.height << ", expected " << expected.width
           << "x" << expected.height;
  }
  for (int y = 0; y < expected.height; ++y) {
    for (int x = 0; x < expected.width * 3; ++x) {
      if (expected.Row(y)[x] != actual.Row(y)[x]) {
        return ::testing::AssertionFailure()
               << "pixel (" << x / 3 << ", " << y << ") channel " << x % 3 << " is "
               << int{actual.Row(y)[x]} << ", expected " << int{expected.Row(y)[x]};
      }
    }
  }
  return ::testing::AssertionSuccess();
}

// What libjpeg reads from a JPEG's headers, for checking the encoder's choices.
struct HeaderFacts {
  int width, height, components;
  bool progressive;
  int max_quant_value;
};

HeaderFacts ReadHeaderFacts(const std::string& bytes) {
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);  // the bytes are our own encoder's; an error ends the test
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  jpeg_read_header(&cinfo, TRUE);
  HeaderFacts facts{static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
                    cinfo.num_components, cinfo.progressive_mode != 0, 0};
  for (JQUANT_TBL* table : cinfo.quant_tbl_ptrs) {
    if (table == nullptr) continue;
    for (UINT16 q : table->quantval) {
      facts.max_quant_value = std::max<int>(facts.max_quant_value, q);
    }
  }
  jpeg_destroy_decompress(&cinfo);
  return facts;
}

// A four-component JPEG written from CMYK bytes: inverted with an Adobe marker as Photoshop
// writes it, or plain without one, and stored as CMYK or as YCCK.
std::string MakeCmykJpeg(int width, int height, const std::vector<uint8_t>& cmyk, bool adobe,
                         J_COLOR_SPACE stored_as) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = width;
  cinfo.image_height = height;
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  jpeg_set_colorspace(&cinfo, stored_as);
  cinfo.write_Adobe_marker = adobe ? TRUE : FALSE;
  jpeg_set_quality(&cinfo, 95, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(cmyk.data() + cinfo.next_scanline * width * 4);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::string bytes(reinterpret_cast<const char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

// Rewrites the size in the SOF0/SOF2 frame header: FFCx, length(2), precision(1), height(2),
// width(2).
std::string WithClaimedSize(std::string bytes, int width, int height) {
  for (size_t i = 2; i + 9 < bytes.size(); ++i) {
    const auto marker = static_cast<unsigned char>(bytes[i + 1]);
    if (static_cast<unsigned char>(bytes[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
      bytes[i + 5] = static_cast<char>(height >> 8);
      bytes[i + 6] = static_cast<char>(height & 0xFF);
      bytes[i + 7] = static_cast<char>(width >> 8);
      bytes[i + 8] = static_cast<char>(width & 0xFF);
      return bytes;
    }
  }
  ADD_FAILURE() << "no frame header";
  return bytes;
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(JpegImage, DecodeStretchedSamplesLikeFullDecodeThenStretch) {
  const struct {
    const char* name;
    TestJpegOptions options;
  } sources[] = {
      {"4:2:0", {Sampling::k420, false, 90}},
      {"4:2:2", {Sampling::k422, false, 90}},
      {"4:4:4", {Sampling::k444, false, 90}},
      {"grey", {Sampling::kGrey, false, 90}},
      {"progressive 4:2:0", {Sampling::k420, true, 90}},
      {"progressive 4:4:4", {Sampling::k444, true, 90}},
  };
  const struct {
    int width, height, out_width, out_height;
  } sizes[] = {
      {640, 480, 63, 47}, {640, 480, 50, 37}, {640, 480, 1, 1}, {640, 480, 640, 480},
      {64, 64, 4, 4},  // every sampled row starts an iMCU row
      {40, 30, 50, 37},   {17, 1000, 3, 170}, {1, 1, 1, 1},     {1, 1, 5, 3},
      {7, 5, 7, 5},       {7, 5, 13, 11},     {7, 5, 3, 2},     {33, 47, 32, 46},
  };
  for (const auto& source : sources) {
    for (const auto& s : sizes) {
      const JpegImage image = JpegImage::FromBytes(MakeTestJpeg(s.width, s.height, source.options));
      const RgbImage expected = StretchNearest(image.DecodeFull(), s.out_width, s.out_height);
      EXPECT_TRUE(SamePixels(expected, image.DecodeStretched(s.out_width, s.out_height)))
          << source.name << " " << s.width << "x" << s.height << " -> " << s.out_width << "x"
          << s.out_height;
    }
  }
}

TEST(JpegImage, StretchNearestDropsAndRepeatsRowsAndColumns) {
  RgbImage source(3, 2);
  for (int i = 0; i < 6; ++i) source.pixels[i * 3] = static_cast<uint8_t>(10 * (i + 1));
  // Reducing 3x2 -> 2x1 keeps columns 0 and 1 (x * 3 / 2) of row 0.
  RgbImage reduced = StretchNearest(source, 2, 1);
  EXPECT_EQ((std::vector<uint8_t>{10, 0, 0, 20, 0, 0}), reduced.pixels);
  // Enlarging 3x2 -> 4x3: columns 0,0,1,2 and rows 0,0,1.
  RgbImage enlarged = StretchNearest(source, 4, 3);
  const int expected_red[3][4] = {{10, 10, 20, 30}, {10, 10, 20, 30}, {40, 40, 50, 60}};
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(expected_red[y][x], enlarged.Row(y)[x * 3]) << x << "," << y;
    }
  }
}

TEST(JpegImage, GreyscaleDecodesToGreyRgb) {
  const JpegImage image = JpegImage::FromBytes(MakeTestJpeg(31, 17, {Sampling::kGrey}));
  for (const RgbImage& decoded : {image.DecodeFull(), image.DecodeStretched(12, 40)}) {
    bool saw_dark = false, saw_light = false;
    for (size_t i = 0; i < decoded.pixels.size(); i += 3) {
      ASSERT_EQ(decoded.pixels[i], decoded.pixels[i + 1]) << "pixel " << i / 3;
      ASSERT_EQ(decoded.pixels[i], decoded.pixels[i + 2]) << "pixel " << i / 3;
      saw_dark |= decoded.pixels[i] < 64;
      saw_light |= decoded.pixels[i] > 192;
    }
    EXPECT_TRUE(saw_dark && saw_light);  // a real picture, not one flat grey
  }
}

TEST(JpegImage, LoadReadsHeaderSizeAndSaveToCopiesBytes) {
  TempDir dir;
  const std::string bytes = MakeTestJpeg(123, 45);
  dir.WriteFile("src.jpg", bytes);
  const JpegImage image = JpegImage::Load(dir.Path("src.jpg"));
  EXPECT_EQ(123, image.Width());
  EXPECT_EQ(45, image.Height());
  EXPECT_EQ(bytes, image.Bytes());

  dir.WriteFile("out.jpg", std::string(bytes.size() * 2, 'x'));  // longer: must be replaced whole
  image.SaveTo(dir.Path("out.jpg"));
  EXPECT_EQ(bytes, dir.ReadFile("out.jpg"));
}

TEST(JpegImage, FileErrorsThrowFailure) {
  TempDir dir;
  EXPECT_THROW(JpegImage::Load(dir.Path("missing.jpg")), Failure);
  dir.MakeDir("taken.jpg");  // a folder where the file must go
  const JpegImage image = JpegImage::FromBytes(MakeTestJpeg(8, 8));
  EXPECT_THROW(image.SaveTo(dir.Path("taken.jpg")), Failure);
}

TEST(JpegImage, RejectedBytesFailWithDecoderMessage) {
  const struct {
    std::string bytes;
    const char* message;
  } cases[] = {
      {"GIF89a\x01\x00\x01\x00", "Not a JPEG file: starts with 0x47 0x49"},
      {std::string("\x89PNG\r\n\x1a\n", 8), "Not a JPEG file: starts with 0x89 0x50"},
      {"", "Empty input file"},
      {"\xFF\xD8\xFF\xD9", "JPEG datastream contains no image"},  // SOI, EOI and nothing else
  };
  for (const auto& c : cases) {
    EXPECT_THAT([&] { JpegImage::FromBytes(c.bytes); },
                ::testing::ThrowsMessage<Failure>(::testing::StrEq(c.message)))
        << c.message;
  }
  TempDir dir;
  dir.WriteFile("empty.jpg", "");
  EXPECT_THAT([&] { JpegImage::Load(dir.Path("empty.jpg")); },
              ::testing::ThrowsMessage<Failure>(::testing::StrEq("Empty input file")));
}

TEST(JpegImage, TruncatedFileDecodesQuietlyToFullSize) {
  const std::string whole = MakeTestJpeg(96, 64);
  const JpegImage image = JpegImage::FromBytes(whole.substr(0, whole.size() / 2));
  ::testing::internal::CaptureStderr();
  const RgbImage full = image.DecodeFull();
  const RgbImage stretched = image.DecodeStretched(40, 30);
  EXPECT_EQ("", ::testing::internal::GetCapturedStderr());  // warnings are not printed
  EXPECT_EQ(96, full.width);
  EXPECT_EQ(64, full.height);
  EXPECT_TRUE(SamePixels(StretchNearest(full, 40, 30), stretched));
}

TEST(JpegImage, HugeClaimedSizeIsSampledWithoutFullSizeBuffers) {
  const JpegImage image = JpegImage::FromBytes(WithClaimedSize(MakeTestJpeg(32, 32), 60000, 60000));
  EXPECT_EQ(60000, image.Width());
  EXPECT_EQ(60000, image.Height());
  const long rss_before = PeakRssKiB();
  ::testing::internal::CaptureStderr();
  const RgbImage thumb = image.DecodeStretched(50, 50);
  EXPECT_EQ("", ::testing::internal::GetCapturedStderr());
  EXPECT_EQ(50, thumb.width);
  EXPECT_EQ(50, thumb.height);
  // A full-size bitmap would be 10 GB; a few source rows are well under 64 MiB.
  EXPECT_LT(PeakRssKiB() - rss_before, 64 * 1024);
}

TEST(JpegImage, HugeClaimedProgressiveSizeFailsInsteadOfAllocating) {
  // A progressive decode buffers every coefficient of the picture: 10 GB here.
  const JpegImage image = JpegImage::FromBytes(
      WithClaimedSize(MakeTestJpeg(32, 32, {Sampling::k420, true}), 60000, 60000));
  const long rss_before = PeakRssKiB();
  EXPECT_THAT([&] { image.DecodeStretched(50, 50); },
              ::testing::ThrowsMessage<Failure>(::testing::StrEq("Backing store not supported")));
  EXPECT_LT(PeakRssKiB() - rss_before, 64 * 1024);
}

TEST(JpegImage, CmykSourcesDecodeToRgb) {
  const struct {
    const char* name;
    bool adobe;
    J_COLOR_SPACE stored_as;
    uint8_t cmyk[4];
    uint8_t rgb[3];
  } cases[] = {
      // Inverted (Adobe): 255 means no ink.
      {"Adobe CMYK", true, JCS_CMYK, {255, 128, 0, 255}, {255, 128, 0}},
      {"Adobe CMYK, half black", true, JCS_CMYK, {255, 128, 0, 128}, {128, 64, 0}},
      {"Adobe YCCK", true, JCS_YCCK, {255, 128, 0, 128}, {128, 64, 0}},
      // Plain: 255 means full ink.
      {"plain CMYK", false, JCS_CMYK, {0, 127, 255, 0}, {255, 128, 0}},
  };
  for (const auto& c : cases) {
    const int w = 24, h = 16;
    std::vector<uint8_t> cmyk;
    for (int i = 0; i < w * h; ++i) cmyk.insert(cmyk.end(), c.cmyk, c.cmyk + 4);
    const JpegImage image = JpegImage::FromBytes(MakeCmykJpeg(w, h, cmyk, c.adobe, c.stored_as));
    const RgbImage decoded = image.DecodeStretched(5, 4);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(c.rgb[i], decoded.pixels[i], 3) << c.name << " " << i;
  }

  // A gradient in every channel: the stretched decode converts the same pixels as the full one.
  const int w = 45, h = 70;
  std::vector<uint8_t> cmyk;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const auto bar = static_cast<uint8_t>(x % 5 == 0 ? 255 : 40);
      cmyk.insert(cmyk.end(), {static_cast<uint8_t>(x * 5), static_cast<uint8_t>(y * 3), bar,
                               static_cast<uint8_t>(255 - y * 2)});
    }
  }
  for (const bool adobe : {true, false}) {
    const JpegImage image = JpegImage::FromBytes(MakeCmykJpeg(w, h, cmyk, adobe, JCS_CMYK));
    for (const auto& [ow, oh] : {std::pair{11, 9}, std::pair{90, 100}, std::pair{45, 70}}) {
      EXPECT_TRUE(
          SamePixels(StretchNearest(image.DecodeFull(), ow, oh), image.DecodeStretched(ow, oh)))
          << (adobe ? "Adobe " : "plain ") << ow << "x" << oh;
    }
  }
}

TEST(EncodeJpeg, WritesBaselineThreeComponentJpeg) {
  RgbImage canvas(37, 21);
  for (size_t i = 0; i < canvas.pixels.size(); i += 3) {
    canvas.pixels[i] = 200;
    canvas.pixels[i + 1] = 40;
    canvas.pixels[i + 2] = 90;
  }
  const std::string bytes = EncodeJpeg(canvas, 90);
  const HeaderFacts facts = ReadHeaderFacts(bytes);
  EXPECT_EQ(37, facts.width);
  EXPECT_EQ(21, facts.height);
  EXPECT_EQ(3, facts.components);
  EXPECT_FALSE(facts.progressive);

  const RgbImage decoded = JpegImage::FromBytes(bytes).DecodeFull();
  ASSERT_EQ(canvas.pixels.size(), decoded.pixels.size());
  for (size_t i = 0; i < decoded.pixels.size(); ++i) {
    ASSERT_NEAR(canvas.pixels[i], decoded.pixels[i], 3) << "byte " << i;
  }
}

TEST(EncodeJpeg, QualityIsClampedAndBaselineEnforced) {
  RgbImage picture = JpegImage::FromBytes(MakeTestJpeg(40, 30)).DecodeFull();
  // Quality 1 scales the standard tables far beyond 255; baseline caps every entry at 255.
  EXPECT_EQ(255, ReadHeaderFacts(EncodeJpeg(picture, 1)).max_quant_value);
  EXPECT_EQ(EncodeJpeg(picture, 1), EncodeJpeg(picture, 0));
  EXPECT_EQ(EncodeJpeg(picture, 1), EncodeJpeg(picture, -5));
  EXPECT_EQ(EncodeJpeg(picture, 100), EncodeJpeg(picture, 101));
  EXPECT_NE(EncodeJpeg(picture, 100), EncodeJpeg(picture, 99));
}

TEST(EncodeJpeg, EmptyCanvasThrowsFailure) {
  EXPECT_THROW(EncodeJpeg(RgbImage(0, 0), 75), Failure);
}

}  // namespace
}  // namespace vellumix
