// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace vellumix {
namespace {

TEST(CodePage, OverrideWinsOverLocaleCodeset) {
  const struct {
    const char* override_value;
    const char* codeset;
    CodePage expected;
  } cases[] = {
      {nullptr, "UTF-8", CodePage::kUtf8},          {nullptr, "SHIFT_JIS", CodePage::kCp932},
      {nullptr, "CP932", CodePage::kCp932},         {nullptr, "WINDOWS-31J", CodePage::kCp932},
      {nullptr, "ANSI_X3.4-1968", CodePage::kUtf8},  // the "C" locale
      {nullptr, nullptr, CodePage::kUtf8},          {"932", "UTF-8", CodePage::kCp932},
      {"utf-8", "SHIFT_JIS", CodePage::kUtf8},      {"UTF8", "SHIFT_JIS", CodePage::kUtf8},
      {"", "SHIFT_JIS", CodePage::kCp932},        // empty override: the codeset decides
      {"latin1", "SHIFT_JIS", CodePage::kCp932},  // unknown override: the codeset decides
      {"latin1", "UTF-8", CodePage::kUtf8},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, CodePageFrom(c.override_value, c.codeset))
        << (c.override_value ? c.override_value : "(unset)") << " / "
        << (c.codeset ? c.codeset : "(null)");
  }
}

TEST(CodePage, LeadBytesOnlyUnderCp932) {
  for (int byte : {0x81, 0x9F, 0xE0, 0xFC}) {
    EXPECT_TRUE(IsLeadByte(byte, CodePage::kCp932)) << byte;
    EXPECT_FALSE(IsLeadByte(byte, CodePage::kUtf8)) << byte;
  }
  for (int byte : {0x00, 0x5C, 0x7F, 0x80, 0xA0, 0xC0, 0xDF, 0xFD, 0xFF}) {
    EXPECT_FALSE(IsLeadByte(byte, CodePage::kCp932)) << byte;
  }
}

TEST(CodePage, TrailBytesAreJudgedFromTheStart) {
  // "aソ\亜亜" in Shift_JIS: ソ ends in a backslash byte, and the trail byte 0x9F of 亜 is itself
  // in the lead-byte range, so only a scan from the start tells the bytes apart.
  const std::string text = "a\x83\x5C\\\x88\x9F\x88\x9F";
  const bool trail[] = {false, false, true, false, false, true, false, true};
  for (size_t pos = 0; pos < text.size(); ++pos) {
    EXPECT_EQ(trail[pos], IsTrailByteAt(text, pos, CodePage::kCp932)) << pos;
    EXPECT_FALSE(IsTrailByteAt(text, pos, CodePage::kUtf8)) << pos;
  }
}

TEST(CodePage, NativeConvertsOwnTextsOnlyUnderCp932) {
  EXPECT_EQ("\x92\x86\x92\x66\x82\xB5\x82\xDC\x82\xB5\x82\xBD",
            Native("中断しました", CodePage::kCp932));
  EXPECT_EQ("中断しました", Native("中断しました", CodePage::kUtf8));
  EXPECT_EQ("Project File = ", Native("Project File = ", CodePage::kCp932));
}

TEST(CodePage, NativeShowsUnmappableCharactersAsQuestionMarks) {
  EXPECT_EQ("a?b\x83\x5C", Native("a표bソ", CodePage::kCp932));
}

}  // namespace
}  // namespace vellumix
