// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/byte_string.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumix {
namespace {

constexpr CodePage kSjis = CodePage::kCp932;
constexpr CodePage kUtf8 = CodePage::kUtf8;

// Shift_JIS characters whose trail byte looks like ASCII.
const std::string kSo = "\x83\x5C";     // ソ: trail byte "\"
const std::string kA = "\x83\x41";      // ア: trail byte "A"
const std::string kWideB = "\x82\x61";  // Ｂ: trail byte "a"
const std::string kAi = "\x88\x9F";     // 亜: trail byte in the lead-byte range

TEST(ByteString, CaseMappingLeavesTrailBytesAlone) {
  const struct {
    std::string text, upper, lower;
  } cases[] = {
      {"IMG_0001.Jpg", "IMG_0001.JPG", "img_0001.jpg"},
      {kWideB + "a", kWideB + "A", kWideB + "a"},
      {kA + "A", kA + "A", kA + "a"},
      {kSo + "x" + kAi + "y", kSo + "X" + kAi + "Y", kSo + "x" + kAi + "y"},
      {"\xB1z", "\xB1Z", "\xB1z"},  // half-width katakana is a single byte
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.upper, UpperCase(c.text, kSjis)) << c.text;
    EXPECT_EQ(c.lower, LowerCase(c.text, kSjis)) << c.text;
  }
  // Without double-byte rules the same bytes are plain ASCII letters after a high byte.
  EXPECT_EQ(
      "\x82"
      "A",
      UpperCase(kWideB, kUtf8));
  EXPECT_EQ(
      "\x83"
      "a",
      LowerCase(kA, kUtf8));
}

TEST(ByteString, SameTextNoCaseComparesTrailBytesExactly) {
  EXPECT_TRUE(SameTextNoCase("<Td", "<tD", kSjis));
  EXPECT_TRUE(SameTextNoCase("", "", kSjis));
  EXPECT_FALSE(SameTextNoCase("<td", "<td ", kSjis));
  // 82 61 (Ｂ) and 82 41 are different characters whose trail bytes differ only in ASCII case.
  EXPECT_FALSE(SameTextNoCase(kWideB, "\x82\x41", kSjis));
  EXPECT_TRUE(SameTextNoCase(kWideB, "\x82\x41", kUtf8));
}

TEST(ByteString, CompareTextNoCaseIgnoresCaseAndComparesDigitsAsCharacters) {
  EXPECT_LT(CompareTextNoCase("IMG1.jpg", "img10.jpg", kUtf8), 0);
  EXPECT_LT(CompareTextNoCase("img10.jpg", "img2.jpg", kUtf8), 0);
  EXPECT_GT(CompareTextNoCase("B.jpg", "a.jpg", kUtf8), 0);
  EXPECT_EQ(0, CompareTextNoCase("A.JPG", "a.jpg", kUtf8));
}

TEST(ByteString, FindBytesNeverMatchesFromATrailByte) {
  const struct {
    std::string text, pattern;
    size_t sjis, utf8;
  } cases[] = {
      {kSo, "\\", std::string::npos, 1},
      {kSo + "\\", "\\", 2, 1},
      {"x" + kWideB + "a", "a", 3, 2},
      {kAi + kAi, "\x9F\x88", std::string::npos, 1},  // straddles two characters
      {"\xB1" + kAi, kAi, 1, 1},                      // a single-byte katakana before it
      {"abc", "", 0, 0},
      {"ab", "abc", std::string::npos, std::string::npos},
      {"", "a", std::string::npos, std::string::npos},
      {"aXbX", "X", 1, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.sjis, FindBytes(c.text, c.pattern, kSjis)) << c.text << " / " << c.pattern;
    EXPECT_EQ(c.utf8, FindBytes(c.text, c.pattern, kUtf8)) << c.text << " / " << c.pattern;
  }
}

TEST(ByteString, FindLastByteSkipsTrailBytes) {
  EXPECT_EQ(1u, FindLastByte("a\\" + kSo, '\\', kSjis));
  EXPECT_EQ(3u, FindLastByte("a\\" + kSo, '\\', kUtf8));
  EXPECT_EQ(std::string::npos, FindLastByte(kSo, '\\', kSjis));
}

TEST(ByteString, PathParts) {
  const struct {
    std::string path, file, folder;
  } cases[] = {
      {"/photos/2024/IMG_1.JPG", "IMG_1.JPG", "/photos/2024/"},
      {"IMG_1.JPG", "IMG_1.JPG", ""},
      {"/photos/", "", "/photos/"},
      {"/", "", "/"},
      {"", "", ""},
      {"c:\\photos\\a.jpg", "c:\\photos\\a.jpg", ""},  // backslash and colon are ordinary bytes
      {"/x/" + kSo + "/" + kSo + ".jpg", kSo + ".jpg", "/x/" + kSo + "/"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.file, FileNamePart(c.path, kSjis)) << c.path;
    EXPECT_EQ(c.folder, FolderPart(c.path, kSjis)) << c.path;
  }
}

TEST(ByteString, StripExtensionRemovesFromTheLastDot) {
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {
      {"IMG_0001.JPG", "IMG_0001"}, {"a.b.jpg", "a.b"}, {"noext", "noext"},
      {"trailing.", "trailing"},    {".hidden", ""},    {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, StripExtension(c.name, kSjis)) << c.name;
}

TEST(ByteString, EndsWithByteLooksAtTheLastByte) {
  // The last byte of ソ is a backslash: a trailing-separator test sees it, as on the original
  // platform.
  EXPECT_TRUE(EndsWithByte(kSo, '\\'));
  EXPECT_TRUE(EndsWithByte("/photos/", '/'));
  EXPECT_FALSE(EndsWithByte("", '/'));
}

}  // namespace
}  // namespace vellumix
