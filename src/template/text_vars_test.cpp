// SPDX-License-Identifier: GPL-2.0-or-later
#include "template/text_vars.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumix {
namespace {

// Ten texts, "t1" .. "t10", with the given ones overridden.
std::vector<std::string> Texts(std::initializer_list<std::pair<int, std::string>> set = {}) {
  std::vector<std::string> texts;
  for (int i = 1; i <= 10; ++i) texts.push_back("t" + std::to_string(i));
  for (const auto& [number, value] : set) texts[number - 1] = value;
  return texts;
}

TEST(ReplaceTextVars, ReplacesEachNumberedPlaceholder) {
  const struct {
    const char* text;
    std::vector<std::string> texts;
    const char* expected;
  } cases[] = {
      {"", Texts(), ""},
      {"<p>$TEXT1$</p>", Texts(), "<p>t1</p>"},
      {"$TEXT1$$TEXT1$", Texts(), "t1t1"},
      {"$TEXT10$", Texts(), "t10"},  // not "t1" followed by "0$"
      {"$TEXT1$/$TEXT10$/$TEXT2$", Texts(), "t1/t10/t2"},
      {"$TEXT11$ $TEXT0$ $text1$ $TEXT 1$", Texts(), "$TEXT11$ $TEXT0$ $text1$ $TEXT 1$"},
      {"a$TEXT3$b", Texts({{3, ""}}), "ab"},  // an absent key removes the placeholder
      {"a\r\n$TEXT4$\r\nb\r\n", Texts({{4, "<!--THUMBNAIL-->"}}), "a\r\n<!--THUMBNAIL-->\r\nb\r\n"},
      // Applied in increasing order on the running result.
      {"$TEXT1$", Texts({{1, "$TEXT2$"}, {2, "x"}}), "x"},
      {"$TEXT2$", Texts({{1, "y"}, {2, "$TEXT1$"}}), "$TEXT1$"},
      {"$TEXT1$", Texts({{1, "$TEXT1$$TEXT1$"}}), "$TEXT1$$TEXT1$"},
      {"$SUB_DIR$ $TEXT5$", Texts({{5, "$SUB_DIR$"}}), "$SUB_DIR$ $SUB_DIR$"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ReplaceTextVars(c.text, c.texts, CodePage::kUtf8)) << c.text;
  }
}

TEST(ReplaceTextVars, FewerTextsLeaveTheHigherPlaceholders) {
  EXPECT_EQ("a $TEXT2$", ReplaceTextVars("$TEXT1$ $TEXT2$", {"a"}, CodePage::kUtf8));
  EXPECT_EQ("$TEXT1$", ReplaceTextVars("$TEXT1$", {}, CodePage::kUtf8));
}

TEST(ReplaceTextVars, NeverMatchesOnATrailByte) {
  // After the Shift_JIS lead byte 0x81 the "$" is a trail byte, so no placeholder starts there.
  const std::string text = "\x81$TEXT1$";
  EXPECT_EQ(text, ReplaceTextVars(text, Texts(), CodePage::kCp932));
  EXPECT_EQ("\x81t1", ReplaceTextVars(text, Texts(), CodePage::kUtf8));
  EXPECT_EQ("\x95\x5Ct1", ReplaceTextVars("\x95\x5C$TEXT1$", Texts(), CodePage::kCp932));
}

}  // namespace
}  // namespace vellumix
