// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/output_names.h"

#include <gtest/gtest.h>

namespace vellumix {
namespace {

LineList Sources(std::vector<std::string> names) {
  for (auto& name : names) name = "/photos/" + name;
  return LineList(std::move(names));
}

TEST(SerialText, PadsToThreeDigits) {
  EXPECT_EQ("001", SerialText(1));
  EXPECT_EQ("999", SerialText(999));
  EXPECT_EQ("1000", SerialText(1000));
}

TEST(ComputeOutputNames, PatternsAndCase) {
  const struct {
    const char* source;
    const char* img_format;
    const char* thm_format;
    bool upper;
    const char* image;
    const char* thumb;
  } cases[] = {
      {"IMG_0001.JPG", "$ORG_NAME$", "$IMG_NAME$", false, "img_0001.jpg", "img_0001.jpg"},
      {"IMG_0001.JPG", "$ORG_NAME$", "$IMG_NAME$", true, "IMG_0001.JPG", "IMG_0001.JPG"},
      {"a.jpg", "photo$SER_NO$", "t_$IMG_NAME$", false, "photo001.jpg", "t_photo001.jpg"},
      {"a.b.jpg", "$ORG_NAME$", "s$SER_NO$_$ORG_NAME$", false, "a.b.jpg", "s001_a.b.jpg"},
      {"Ab.jpg", "X$ORG_NAME$", "", true, "XAB.JPG", ""},
      {"noext", "$ORG_NAME$", "$IMG_NAME$", false, "noext.jpg", "noext.jpg"},
      // Each placeholder is its own pass: a serial that inserts "$ORG_NAME$" is replaced too.
      {"q.jpg", "$SER_NO$", "$IMG_NAME$$IMG_NAME$", false, "001.jpg", "001001.jpg"},
      {"q.jpg", "same", "", false, "same.jpg", ""},
  };
  for (const auto& c : cases) {
    LineList images, thumbs;
    ComputeOutputNames(Sources({c.source}), c.img_format, c.thm_format, c.upper, images, thumbs);
    ASSERT_EQ(1u, images.Count());
    ASSERT_EQ(1u, thumbs.Count());
    EXPECT_EQ(c.image, images[0]) << c.source << " " << c.img_format;
    EXPECT_EQ(c.thumb, thumbs[0]) << c.source << " " << c.thm_format;
  }
}

TEST(ComputeOutputNames, SerialNumbersFollowTheListAndListsAreRefilled) {
  std::vector<std::string> names;
  for (int i = 0; i < 1000; ++i) names.push_back("x" + std::to_string(i) + ".jpg");
  LineList images({"stale"}), thumbs({"stale"});
  ComputeOutputNames(Sources(names), "photo$SER_NO$", "", false, images, thumbs);
  ASSERT_EQ(1000u, images.Count());
  EXPECT_EQ("photo001.jpg", images[0]);
  EXPECT_EQ("photo999.jpg", images[998]);
  EXPECT_EQ("photo1000.jpg", images[999]);
  EXPECT_EQ(1000u, thumbs.Count());
  EXPECT_EQ("", thumbs[999]);
}

TEST(ComputeOutputNames, ShiftJisTrailBytesKeepTheirCase) {
  // "ソ" is 0x83 0x5C and "ァ" 0x83 0x40; a trail byte 0x61 ('a') belongs to 0x83 0x61.
  const std::string name = "\x83\x61" "B.JPG";
  LineList images, thumbs;
  ComputeOutputNames(LineList({"/p/" + name}), "$ORG_NAME$", "", false, images, thumbs,
                     CodePage::kCp932);
  EXPECT_EQ("\x83\x61" "b.jpg", images[0]);
  ComputeOutputNames(LineList({"/p/" + name}), "$ORG_NAME$", "", true, images, thumbs,
                     CodePage::kCp932);
  EXPECT_EQ("\x83\x61" "B.JPG", images[0]);
}

}  // namespace
}  // namespace vellumix
