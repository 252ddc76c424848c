// SPDX-License-Identifier: GPL-2.0-or-later
#include "template/template_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/file_system.h"
#include "testing/temp_dir.h"

namespace vellumix {
namespace {

using Lines = std::vector<std::string>;
using ::testing::StrEq;
using ::testing::ThrowsMessage;
using vellumix::testing::TempDir;

const std::string kMarker = "<!--THUMBNAIL-->";

TEST(ResolveTemplatePath, BareFileNameIsTakenInTheProjectFolder) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {
      {"idx.htm", "/alb/idx.htm"},
      {"tpl/idx.htm", "tpl/idx.htm"},  // relative to the current folder, not the project's
      {"./idx.htm", "./idx.htm"},
      {"/srv/tpl/idx.htm", "/srv/tpl/idx.htm"},
      {"C:idx.htm", "/alb/C:idx.htm"},        // a colon is an ordinary byte
      {"tpl\\idx.htm", "/alb/tpl\\idx.htm"},  // so is a backslash
      {"\x95\x5C.htm", "/alb/\x95\x5C.htm"},  // 表, whose trail byte is a backslash
  };
  for (CodePage cp : {CodePage::kUtf8, CodePage::kCp932}) {
    for (const auto& c : cases) {
      EXPECT_EQ(c.expected, ResolveTemplatePath(c.path, "/alb/", cp))
          << c.path << " cp " << static_cast<int>(cp);
    }
  }
}

TEST(CutCellTemplate, TakesTheLinesBetweenTheFirstTwoMarkers) {
  const struct {
    const char* name;
    Lines lines;
    const char* expected;
  } cases[] = {
      {"one line",
       {"<table>", kMarker, "<td>$INDEX$</td>", kMarker, "</table>"},
       "<td>$INDEX$</td>"},
      {"joined by CR LF",
       {kMarker, "<td>", "$INDEX$", "</td>", kMarker},
       "<td>\r\n$INDEX$\r\n</td>"},
      {"three markers", {kMarker, "A", kMarker, "B", kMarker, "C"}, "A"},
      {"leading empty lines dropped, later ones kept",
       {kMarker, "", "A", "", "B", "", kMarker},
       "A\r\n\r\nB\r\n"},
      {"empty section", {"x", kMarker, kMarker, "y"}, ""},
      {"only empty lines", {kMarker, "", "", kMarker}, ""},
      {"no closing marker", {"x", kMarker, "A", "", "B"}, "A\r\n\r\nB"},
      {"no marker", {"A", "B"}, ""},
      {"no lines", {}, ""},
      {"indented marker", {" " + kMarker, "A", kMarker, "B"}, "B"},
      {"trailing blank", {kMarker + " ", "A", kMarker, "B"}, "B"},
      {"lower case", {"<!--thumbnail-->", "A", "<!--thumbnail-->"}, ""},
      {"look-alikes inside",
       {kMarker, "\t" + kMarker, "<!--Thumbnail-->", kMarker},
       "\t<!--THUMBNAIL-->\r\n<!--Thumbnail-->"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, CutCellTemplate(LineList(c.lines))) << c.name;
  }
}

TEST(IsTableCellTemplate, LooksForTdOrThInAnyCase) {
  const struct {
    const char* cell;
    bool expected;
  } cases[] = {
      {"<td>$INDEX$</td>", true},
      {"<TD>", true},
      {"x<TR<Td", true},
      {"<TH>", true},
      {"<thead>", true},  // any "<th", even where no cell starts
      {"<img src=\"$SRC$\">\r\n<tH align=left>", true},
      {"< td>", false},
      {"<tr>", false},
      {"<t", false},
      {"", false},
      {"<div><img src=\"$SRC$\"></div>", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, IsTableCellTemplate(c.cell, CodePage::kUtf8)) << c.cell;
  }
}

class LoadTemplatesTest : public ::testing::Test {
 protected:
  LoadTemplatesTest() {
    context_.project_dir = dir_.Root() + "/";
    context_.sub_dir_name = "htmsub";
    context_.img_dir_name = "images";
    context_.column = 4;
    context_.has_thumbnail = true;
    for (int i = 1; i <= 10; ++i) context_.texts.push_back("t" + std::to_string(i));
    context_.image_count = 3;
  }

  // Writes p.prj with the given lines under [Template].
  void WriteProject(const std::string& template_keys) {
    dir_.WriteFile("p.prj", "[Template]\n" + template_keys + "[Others]\nText1=unused\n");
  }

  void Load() { LoadTemplates(IniFile(dir_.Path("p.prj")), context_, out_, CodePage::kUtf8); }

  // The message of the Abort that Load() throws, or "" when it throws none.
  std::string AbortMessage() {
    try {
      Load();
    } catch (const Abort& abort) {
      return abort.what();
    }
    return "";
  }

  TempDir dir_;
  TemplateContext context_;
  LoadedTemplates out_;
};

TEST_F(LoadTemplatesTest, AbortsForTheFirstMissingTemplateInOrder) {
  const struct {
    const char* keys;
    const char* expected;
  } cases[] = {
      {"ImagePage=img.htm\nMenuPage=menu.htm\nBlankPage=blank.htm\n",
       "インデックスページのテンプレートが指定されていません"},
      {"IndexPage=\nImagePage=img.htm\n", "インデックスページのテンプレートが指定されていません"},
      {"IndexPage=none.htm\nImagePage=none.htm\n",
       "インデックスページのテンプレートが見つかりません"},
      {"IndexPage=folder\n", "インデックスページのテンプレートが見つかりません"},
      {"IndexPage=idx.htm\nImagePage=none.htm\nMenuPage=none.htm\nBlankPage=none.htm\n",
       "画像ページのテンプレートが見つかりません"},
      {"IndexPage=idx.htm\nImagePage=folder\n", "画像ページのテンプレートが見つかりません"},
      {"IndexPage=idx.htm\nImagePage=img.htm\nMenuPage=none.htm\nBlankPage=none.htm\n",
       "メニューページのテンプレートが見つかりません"},
      {"IndexPage=idx.htm\nMenuPage=folder\n", "メニューページのテンプレートが見つかりません"},
      {"IndexPage=idx.htm\nImagePage=img.htm\nMenuPage=menu.htm\nBlankPage=none.htm\n",
       "ブランクページのテンプレートが見つかりません"},
      {"IndexPage=idx.htm\nBlankPage=folder\n", "ブランクページのテンプレートが見つかりません"},
      {"IndexPage=idx.htm\nImagePage=img.htm\nMenuPage=menu.htm\nBlankPage=blank.htm\n", ""},
  };
  for (const char* name : {"idx.htm", "img.htm", "menu.htm", "blank.htm"}) {
    dir_.WriteFile(name, "x\r\n");
  }
  dir_.MakeDir("folder");
  for (const auto& c : cases) {
    WriteProject(c.keys);
    EXPECT_EQ(c.expected, AbortMessage()) << c.keys;
  }
}

TEST_F(LoadTemplatesTest, WhatWasSetBeforeAnAbortStays) {
  dir_.WriteFile("idx.htm", "index\r\n");
  WriteProject("IndexPage=idx.htm\nImagePage=none.htm\n");
  EXPECT_THAT([&] { Load(); },
              ThrowsMessage<Abort>(StrEq("画像ページのテンプレートが見つかりません")));
  EXPECT_EQ(dir_.Path("idx.htm"), out_.IndexPage);
  EXPECT_EQ(Lines{"index"}, out_.IndexTemplate.Lines());
  EXPECT_EQ(dir_.Path("none.htm"), out_.ImagePage);
}

TEST_F(LoadTemplatesTest, PathWithAFolderPartIsNotTakenInTheProjectFolder) {
  dir_.WriteFile("tpl/idx.htm", "index\r\n");
  WriteProject("IndexPage=tpl/idx.htm\n");
  EXPECT_EQ("インデックスページのテンプレートが見つかりません", AbortMessage());
  EXPECT_EQ("tpl/idx.htm", out_.IndexPage);

  WriteProject("IndexPage=" + dir_.Path("tpl/idx.htm") + "\n");
  Load();
  EXPECT_EQ(dir_.Path("tpl/idx.htm"), out_.IndexPage);
  EXPECT_EQ(Lines{"index"}, out_.IndexTemplate.Lines());
}

TEST_F(LoadTemplatesTest, UnreadableTemplateFailsWithoutAborting) {
  // Exists as a file, but reading from its start fails: nothing is mapped at address 0.
  const std::string path = "/proc/self/mem";
  if (!IsFile(path)) GTEST_SKIP() << path << " is not available";
  WriteProject("IndexPage=" + path + "\n");
  EXPECT_THROW(Load(), Failure);
}

TEST_F(LoadTemplatesTest, FillsTheGlobalPlaceholdersOfEachTemplate) {
  const std::string all = "$SUB_DIR$ $IMG_DIR$ $TOTAL_P$ $THUMB_COL$ $TEXT1$ $TEXT2$ $TEXT10$\r\n";
  dir_.WriteFile("idx.htm", all + "$FIRST_PAGE$ $MENU_PAGE$\r\n<!--IF_FIRST-->\r\n");
  dir_.WriteFile("img.htm", all + "$CUR_P$ $PREV_PAGE$\r\n");
  dir_.WriteFile("menu.htm", all);
  dir_.WriteFile("blank.htm", all);
  WriteProject("IndexPage=idx.htm\nImagePage=img.htm\nMenuPage=menu.htm\nBlankPage=blank.htm\n");
  // Inserted after the other global placeholders, so they stay as typed.
  context_.texts[0] = "$SUB_DIR$";
  context_.texts[1] = "$THUMB_COL$";
  context_.image_count = 12;
  context_.column = 5;

  Load();
  EXPECT_EQ(dir_.Path("idx.htm"), out_.IndexPage);
  EXPECT_EQ(dir_.Path("img.htm"), out_.ImagePage);
  EXPECT_EQ(dir_.Path("menu.htm"), out_.MenuPage);
  EXPECT_EQ(dir_.Path("blank.htm"), out_.BlankPage);
  EXPECT_EQ((Lines{"htmsub images 12 5 $SUB_DIR$ $THUMB_COL$ t10", "$FIRST_PAGE$ $MENU_PAGE$",
                   "<!--IF_FIRST-->"}),
            out_.IndexTemplate.Lines());
  EXPECT_EQ((Lines{"$SUB_DIR$ $IMG_DIR$ $TOTAL_P$ $THUMB_COL$ $SUB_DIR$ $THUMB_COL$ t10",
                   "$CUR_P$ $PREV_PAGE$"}),
            out_.ImageTemplate.Lines());
  const Lines filled = {"htmsub images 12 $THUMB_COL$ $SUB_DIR$ $THUMB_COL$ t10"};
  EXPECT_EQ(filled, out_.MenuTemplate.Lines());
  EXPECT_EQ(filled, out_.BlankTemplate.Lines());
}

TEST_F(LoadTemplatesTest, EachStepSeesTheValuesOfTheStepsBeforeIt) {
  dir_.WriteFile("idx.htm", "$SUB_DIR$|$IMG_DIR$|$TEXT3$\r\n");
  WriteProject("IndexPage=idx.htm\n");
  context_.sub_dir_name = "s$IMG_DIR$";
  context_.img_dir_name = "i$TEXT2$$SUB_DIR$";
  context_.texts[1] = "T2";
  context_.texts[2] = "$TEXT2$";  // a later text is not filled in by an earlier one
  Load();
  EXPECT_EQ(Lines{"siT2$SUB_DIR$|iT2$SUB_DIR$|$TEXT2$"}, out_.IndexTemplate.Lines());
}

TEST_F(LoadTemplatesTest, CellTemplatesAreCutAfterTheSubstitutions) {
  const std::string page =
      "<table>\r\n$TEXT1$\r\n<td><a href=\"$HREF$\">$SUB_DIR$ $THUMB_COL$</a></td>\r\n"
      "$TEXT1$\r\n</table>\r\n";
  dir_.WriteFile("idx.htm", page);
  dir_.WriteFile("menu.htm", page);
  WriteProject("IndexPage=idx.htm\nMenuPage=menu.htm\n");
  context_.texts[0] = "<!--THUMBNAIL-->";

  Load();
  EXPECT_EQ("<td><a href=\"$HREF$\">htmsub 4</a></td>", out_.IndexCellTemplate);
  EXPECT_TRUE(out_.IndexIsTable);
  EXPECT_EQ("<td><a href=\"$HREF$\">htmsub $THUMB_COL$</a></td>", out_.MenuCellTemplate);
  EXPECT_TRUE(out_.MenuIsTable);
  // The section stays in the templates; the page stage replaces it.
  EXPECT_EQ(
      (Lines{"<table>", kMarker, "<td><a href=\"$HREF$\">htmsub 4</a></td>", kMarker, "</table>"}),
      out_.IndexTemplate.Lines());
  EXPECT_EQ(5u, out_.MenuTemplate.Count());
}

TEST_F(LoadTemplatesTest, WithoutThumbnailsTheIndexHasNoCellTemplate) {
  const std::string page =
      "$THUMB_COL$\r\n<!--THUMBNAIL-->\r\n<td>$SRC$</td>\r\n<!--THUMBNAIL-->\r\n";
  dir_.WriteFile("idx.htm", page);
  dir_.WriteFile("menu.htm", page);
  WriteProject("IndexPage=idx.htm\nMenuPage=menu.htm\n");
  context_.has_thumbnail = false;
  out_.IndexCellTemplate = "left over";
  out_.IndexIsTable = true;

  Load();
  EXPECT_EQ("$THUMB_COL$", out_.IndexTemplate[0]);
  EXPECT_EQ("", out_.IndexCellTemplate);
  EXPECT_FALSE(out_.IndexIsTable);
  // The menu's cell template does not depend on the Thumbnail section.
  EXPECT_EQ("<td>$SRC$</td>", out_.MenuCellTemplate);
  EXPECT_TRUE(out_.MenuIsTable);
}

TEST_F(LoadTemplatesTest, OptionalTemplatesNotNamedAreEmpty) {
  dir_.WriteFile("idx.htm", "<!--THUMBNAIL-->\r\n<div>$SRC$</div>\r\n<!--THUMBNAIL-->\r\n");
  WriteProject("IndexPage=idx.htm\n");
  // Left from an earlier run: every optional result is reset.
  out_.ImagePage = out_.MenuPage = out_.BlankPage = "old";
  out_.ImageTemplate.Add("old");
  out_.MenuTemplate.Add("old");
  out_.BlankTemplate.Add("old");
  out_.MenuCellTemplate = "<td>old</td>";
  out_.MenuIsTable = true;

  Load();
  EXPECT_EQ("<div>$SRC$</div>", out_.IndexCellTemplate);
  EXPECT_FALSE(out_.IndexIsTable);
  EXPECT_EQ("", out_.ImagePage);
  EXPECT_EQ("", out_.MenuPage);
  EXPECT_EQ("", out_.BlankPage);
  EXPECT_TRUE(out_.ImageTemplate.Empty());
  EXPECT_TRUE(out_.MenuTemplate.Empty());
  EXPECT_TRUE(out_.BlankTemplate.Empty());
  EXPECT_EQ("", out_.MenuCellTemplate);
  EXPECT_FALSE(out_.MenuIsTable);
}

TEST_F(LoadTemplatesTest, TemplateFilesAreSplitIntoLines) {
  const struct {
    std::string bytes;
    Lines expected;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\rc\nd\r\n", {"a", "b", "c", "d"}},
      {"a\r\n\r\nb\n\nc\r\rd\n", {"a", "", "b", "", "c", "", "d"}},
      {"\r\n", {""}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\r\n$TEXT1$\r\nb" + std::string(1, '\0') + "c\r\nd\r\n", {"a", "t1", "b"}},
      {std::string(1, '\0') + "a\r\n", {}},
  };
  WriteProject("IndexPage=idx.htm\nImagePage=img.htm\nMenuPage=menu.htm\nBlankPage=blank.htm\n");
  for (const auto& c : cases) {
    for (const char* name : {"idx.htm", "img.htm", "menu.htm", "blank.htm"}) {
      dir_.WriteFile(name, c.bytes);
    }
    Load();
    EXPECT_EQ(c.expected, out_.IndexTemplate.Lines()) << ::testing::PrintToString(c.bytes);
    EXPECT_EQ(c.expected, out_.ImageTemplate.Lines()) << ::testing::PrintToString(c.bytes);
    EXPECT_EQ(c.expected, out_.MenuTemplate.Lines()) << ::testing::PrintToString(c.bytes);
    EXPECT_EQ(c.expected, out_.BlankTemplate.Lines()) << ::testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace vellumix
