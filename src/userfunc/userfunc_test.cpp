// SPDX-License-Identifier: GPL-2.0-or-later
#include "userfunc/userfunc.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/line_list.h"
#include "testing/temp_dir.h"

namespace vellumix {
namespace {

using Lines = std::vector<std::string>;
using vellumix::testing::TempDir;

constexpr CodePage kSjis = CodePage::kCp932;
constexpr CodePage kUtf8 = CodePage::kUtf8;

const std::string kSo = "\x83\x5C";  // ソ, whose trail byte is a backslash
const std::string kAi = "\x88\x9F";  // 亜, whose trail byte is in the lead-byte range

TEST(Userfunc, ReplaceAllReplacesLeftToRightWithoutLookingBack) {
  const struct {
    std::string text, pattern, replacement, expected;
  } cases[] = {
      {"", "$X$", "1", ""},
      {"a$X$b", "", "1", "a$X$b"},
      {"$X$$X$", "$X$", "1", "11"},
      {"$X$", "$X$", "$X$$X$", "$X$$X$"},  // inserted text is not searched again
      {"aabb", "ab", "", "ab"},            // no going back to the first "a"
      {"$Img_Dir$", "$IMG_DIR$", "img", "$Img_Dir$"},
      {"<img src=\"$IMG_DIR$/$IMG_DIR$\">", "$IMG_DIR$", "photos", "<img src=\"photos/photos\">"},
      {"photo$SER_NO$", "$SER_NO$", "001", "photo001"},
      {"$TEXT10$", "$TEXT1$", "x", "$TEXT10$"},
      {"aaa", "aa", "b", "ba"},
      {"abc", "abc", "", ""},
      {"xyz", "abc", "q", "xyz"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ReplaceAll(c.text, c.pattern, c.replacement, kUtf8))
        << c.text << " / " << c.pattern << " -> " << c.replacement;
  }
}

TEST(Userfunc, ReplaceAllNeverMatchesATrailByte) {
  const std::string text = kSo + "\\" + kSo;
  EXPECT_EQ(kSo + "/" + kSo, ReplaceAll(text, "\\", "/", kSjis));
  EXPECT_EQ("\x83//\x83/", ReplaceAll(text, "\\", "/", kUtf8));
  // 亜亜 holds the bytes 9F 88 across its two characters; they are no match.
  EXPECT_EQ(kAi + kAi, ReplaceAll(kAi + kAi, "\x9F\x88", "-", kSjis));
  EXPECT_EQ(kSo + "$X$", ReplaceAll(kSo + "$X$$X$", "$X$$X$", "$X$", kSjis));
}

TEST(Userfunc, ReplaceInLinesWorksOnTheTextForm) {
  LineList lines({"<p>$X$</p>", "", "$X$$X$", "none"});
  ReplaceInLines(lines, "$X$", "1", kUtf8);
  EXPECT_EQ((Lines{"<p>1</p>", "", "11", "none"}), lines.Lines());

  LineList joined({"a", "b", "c"});
  ReplaceInLines(joined, "a\r\nb", "ab", kUtf8);
  EXPECT_EQ((Lines{"ab", "c"}), joined.Lines());

  LineList split({"a|b"});
  ReplaceInLines(split, "|", "\n", kUtf8);
  EXPECT_EQ((Lines{"a", "b"}), split.Lines());

  LineList empty;
  ReplaceInLines(empty, "$X$", "1", kUtf8);
  EXPECT_TRUE(empty.Empty());
}

TEST(Userfunc, PosNoCaseFindsCellTags) {
  const struct {
    std::string needle, text;
    size_t expected;
  } cases[] = {
      {"<td", "x<TR<Td", 5},  // the candidate "<TR" is passed over
      {"<td", "<td>", 1},     {"<TH", "  <th align=center>", 3},
      {"<td", "", 0},         {"", "", 1},
      {"", "abc", 1},         {"<td", "x<t", 0},   // a candidate cut short by the end of the text
      {"<td", "<tr><th>", 0}, {"ab", "Ab ab", 4},  // lower-case first characters are tried first
      {"ab", "xAB", 2},       {"AB", "xab", 2},
      {"b", "B", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, PosNoCase(c.needle, c.text, kUtf8)) << c.needle << " in " << c.text;
  }
}

TEST(Userfunc, PosNoCaseUnderDoubleByteRules) {
  EXPECT_EQ(3u, PosNoCase("\\", kSo + "\\", kSjis));
  EXPECT_EQ(0u, PosNoCase("\\", kSo, kSjis));
  EXPECT_EQ(3u, PosNoCase("<TD", kSo + "<td", kSjis));
  // A needle opening with a double-byte character: after the failed candidate at 1 the search
  // must resume on a character boundary to find the one at 5.
  EXPECT_EQ(5u, PosNoCase(kAi + "b", kAi + kAi + kAi + "b", kSjis));
  EXPECT_EQ(0u, PosNoCase(kAi + "b", kAi + kAi + "c", kSjis));
}

class UserfuncTest : public ::testing::Test {
 protected:
  Lines Find(const std::string& folder, const std::string& mask, bool recursive) {
    LineList list;
    FindFiles(folder, mask, list, recursive, kUtf8);
    return list.Lines();
  }
  static Lines Sorted(Lines lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
  }
  TempDir dir_;
};

TEST_F(UserfuncTest, CollectsJpgFilesInAnyCaseButNotFoldersOrJpeg) {
  dir_.WriteFile("src/a.JPG", "");
  dir_.WriteFile("src/b.jpg", "");
  dir_.WriteFile("src/c.jpeg", "");
  dir_.WriteFile("src/d.jpg/e.jpg", "");
  const std::string folder = dir_.Path("src/");
  EXPECT_EQ((Lines{folder + "a.JPG", folder + "b.jpg"}), Sorted(Find(folder, "*.jpg", false)));
  // A folder path without its trailing "/" gets one.
  EXPECT_EQ((Lines{folder + "a.JPG", folder + "b.jpg"}),
            Sorted(Find(dir_.Path("src"), "*.jpg", false)));
  // An empty mask is "*.*", which takes every file.
  EXPECT_EQ((Lines{folder + "a.JPG", folder + "b.jpg", folder + "c.jpeg"}),
            Sorted(Find(folder, "", false)));
}

TEST_F(UserfuncTest, MissingOrEmptyFolderAddsNothing) {
  dir_.WriteFile("file.jpg", "");
  LineList list({"kept"});
  FindFiles(dir_.Path("missing/"), "*.jpg", list, true, kUtf8);
  FindFiles(dir_.Path("file.jpg"), "*.jpg", list, false, kUtf8);
  FindFiles("", "*.jpg", list, true, kUtf8);
  EXPECT_EQ((Lines{"kept"}), list.Lines());
}

TEST_F(UserfuncTest, AppendsAfterExistingEntriesAndSkipsBareNamesAlreadyListed) {
  dir_.WriteFile("src/a.jpg", "");
  dir_.WriteFile("src/b.jpg", "");
  LineList list({"first", "A.JPG"});
  FindFiles(dir_.Path("src/"), "*.jpg", list, false, kUtf8);
  EXPECT_EQ((Lines{"first", "A.JPG", dir_.Path("src/b.jpg")}), list.Lines());
}

TEST_F(UserfuncTest, RecursionListsSubfoldersFirst) {
  dir_.WriteFile("r/x.jpg", "");
  dir_.WriteFile("r/note.txt", "");
  dir_.WriteFile("r/sub/y.JPG", "");
  dir_.WriteFile("r/sub/deeper/z.jpg", "");
  EXPECT_EQ(
      (Lines{dir_.Path("r/sub/deeper/z.jpg"), dir_.Path("r/sub/y.JPG"), dir_.Path("r/x.jpg")}),
      Find(dir_.Path("r/"), "*.jpg", true));
  EXPECT_EQ((Lines{dir_.Path("r/x.jpg")}), Find(dir_.Path("r/"), "*.jpg", false));
}

TEST_F(UserfuncTest, RecursionStopsAtALinkBackUpTheTree) {
  dir_.WriteFile("r/x.jpg", "");
  dir_.WriteFile("r/sub/y.jpg", "");
  ASSERT_EQ(0, symlink(dir_.Path("r").c_str(), dir_.Path("r/sub/up").c_str()));
  EXPECT_EQ((Lines{dir_.Path("r/sub/y.jpg"), dir_.Path("r/x.jpg")}),
            Find(dir_.Path("r/"), "*.jpg", true));
}

TEST_F(UserfuncTest, DirectoryExists) {
  dir_.MakeDir("folder");
  dir_.WriteFile("file", "");
  EXPECT_TRUE(DirectoryExists(dir_.Path("folder")));
  EXPECT_TRUE(DirectoryExists(dir_.Path("folder/")));
  EXPECT_FALSE(DirectoryExists(dir_.Path("file")));
  EXPECT_FALSE(DirectoryExists(dir_.Path("missing")));
  EXPECT_FALSE(DirectoryExists(""));
}

}  // namespace
}  // namespace vellumix
