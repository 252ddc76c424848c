// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/line_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "testing/temp_dir.h"

namespace vellumix {
namespace {

using Lines = std::vector<std::string>;
using vellumix::testing::TempDir;

// A literal's bytes, NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

TEST(LineList, SetTextSplitsAtEveryKindOfLineBreak) {
  const struct {
    std::string text;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\n", {"a"}},
      {"a\r", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"\r\n", {""}},
      {"a\r\n\r\n", {"a", ""}},
      {"\n\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},    // LF CR is two breaks
      {"a\r\r\nb", {"a", "", "b"}},  // a lone CR, then CR LF
      {" a \t", {" a \t"}},          // blanks are kept
      {Bytes("a\r\nb\0c\r\nd"), {"a", "b"}},
      {Bytes("\0a"), {}},
      {"\x83\x5C\r\n\x82\x61", {"\x83\x5C", "\x82\x61"}},
  };
  for (const auto& c : cases) {
    LineList list({"old"});
    list.SetText(c.text);
    EXPECT_EQ(c.lines, list.Lines()) << ::testing::PrintToString(c.text);
  }
}

TEST(LineList, TextEndsEveryLineWithCrLf) {
  EXPECT_EQ("", LineList().Text());
  EXPECT_EQ("\r\n", LineList({""}).Text());
  EXPECT_EQ("a\r\n\r\nb\r\n", LineList({"a", "", "b"}).Text());
}

TEST(LineList, SortIgnoresCaseAndComparesDigitsAsCharacters) {
  LineList list({"img2.jpg", "b.jpg", "IMG1.jpg", "img10.jpg", "A.jpg"});
  list.Sort();
  EXPECT_EQ((Lines{"A.jpg", "b.jpg", "IMG1.jpg", "img10.jpg", "img2.jpg"}), list.Lines());
}

class LineListFileTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(LineListFileTest, SaveWritesTheTextFormAndReplacesTheFile) {
  dir_.WriteFile("t.html", "an older and much longer content that must not survive");
  LineList({"<p>\x83\x5C</p>", "", "end"}).SaveToFile(dir_.Path("t.html"));
  EXPECT_EQ("<p>\x83\x5C</p>\r\n\r\nend\r\n", dir_.ReadFile("t.html"));  // no byte-order mark

  LineList().SaveToFile(dir_.Path("t.html"));
  EXPECT_TRUE(dir_.Exists("t.html"));
  EXPECT_EQ("", dir_.ReadFile("t.html"));
}

TEST_F(LineListFileTest, LoadReadsBytesAsTheyAre) {
  dir_.WriteFile("t.html", Bytes("\xEF\xBB\xBFone\n\x83\x5C\rthree\r\n\0after"));
  LineList list;
  list.LoadFromFile(dir_.Path("t.html"));
  EXPECT_EQ((Lines{"\xEF\xBB\xBFone", "\x83\x5C", "three"}), list.Lines());
}

TEST_F(LineListFileTest, LoadAndSaveFailuresNameThePath) {
  LineList list({"kept"});
  const std::string missing = dir_.Path("missing.html");
  EXPECT_THAT([&] { list.LoadFromFile(missing); },
              ::testing::ThrowsMessage<Failure>(::testing::StartsWith(missing + ": ")));
  EXPECT_EQ((Lines{"kept"}), list.Lines());

  const std::string in_missing_folder = dir_.Path("nowhere/t.html");
  EXPECT_THAT([&] { list.SaveToFile(in_missing_folder); },
              ::testing::ThrowsMessage<Failure>(::testing::StartsWith(in_missing_folder + ": ")));
}

}  // namespace
}  // namespace vellumix
