// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/project_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "testing/temp_dir.h"

namespace vellumix {
namespace {

using ::testing::ThrowsMessage;
using ::testing::StrEq;
using vellumix::testing::TempDir;

class ProjectSettingsTest : public ::testing::Test {
 protected:
  IniFile Project(const std::string& text) {
    dir_.WriteFile("p.prj", text);
    return IniFile(dir_.Path("p.prj"));
  }
  TempDir dir_;
};

TEST(NormaliseFolder, AddsOneSeparator) {
  EXPECT_EQ("", NormaliseFolder(""));
  EXPECT_EQ("photos/", NormaliseFolder("photos"));
  EXPECT_EQ("photos/", NormaliseFolder("photos/"));
  EXPECT_EQ("/", NormaliseFolder("/"));
}

TEST_F(ProjectSettingsTest, FoldersAreNormalisedAndOutputKeepsItsCase) {
  VellumixState state;
  ReadFolderSettings(Project("[InOut]\nNameUpperCase=1\nImgSrcDir=src\nOutputDir=/tmp/Out\n"),
                     state);
  EXPECT_TRUE(state.NameUpperCase);
  EXPECT_EQ("src/", state.ImgSrcDir);
  // File names are case-sensitive here: upper-casing the user's folder would point elsewhere.
  EXPECT_EQ("/tmp/Out/", state.OutputDir);
}

TEST_F(ProjectSettingsTest, NameSettingsDefaultsAndNormalisation) {
  const struct {
    const char* inout;  // lines of section InOut
    const char* sub, *img, *index, *ext, *img_format, *thm_format;
  } cases[] = {
      {"", "htmsub", "image", "index", ".htm", "$ORG_NAME$", "$IMG_NAME$"},
      {"NameUpperCase=1\n", "HTMSUB", "IMAGE", "INDEX", ".HTM", "$ORG_NAME$", "$IMG_NAME$"},
      {"NameUpperCase=1\nImgNameFormat=p$SER_NO$\nThmNameFormat=t_$IMG_NAME$\n", "HTMSUB",
       "IMAGE", "INDEX", ".HTM", "p$SER_NO$", "t_$IMG_NAME$"},
      {"SubDirName=pages/\nImgDirName=img//\n", "pages", "img/", "index", ".htm", "$ORG_NAME$",
       "$IMG_NAME$"},
      {"HtmlExt=html\n", "htmsub", "image", "index", ".html", "$ORG_NAME$", "$IMG_NAME$"},
      {"HtmlExt=.html\n", "htmsub", "image", "index", "..html", "$ORG_NAME$", "$IMG_NAME$"},
      {"HtmlExt=\nIndexName=\nThmNameFormat=\n", "htmsub", "image", "", ".", "$ORG_NAME$", ""},
  };
  for (const auto& c : cases) {
    VellumixState state;
    const IniFile project = Project(std::string("[InOut]\n") + c.inout);
    ReadFolderSettings(project, state);
    ReadNameSettings(project, state);
    EXPECT_EQ(c.sub, state.SubDirName) << c.inout;
    EXPECT_EQ(c.img, state.ImgDirName) << c.inout;
    EXPECT_EQ(c.index, state.IndexName) << c.inout;
    EXPECT_EQ(c.ext, state.HtmlExt) << c.inout;
    EXPECT_EQ(c.img_format, state.ImgNameFormat) << c.inout;
    EXPECT_EQ(c.thm_format, state.ThmNameFormat) << c.inout;
  }
}

TEST_F(ProjectSettingsTest, EmptyFolderNamesAbortInReadingOrder) {
  const struct {
    const char* inout;
    const char* message;
  } cases[] = {
      {"SubDirName=\n", "サブディレクトリが無指定です"},
      {"SubDirName=\nImgDirName=\n", "サブディレクトリが無指定です"},
      {"ImgDirName=\n", "画像サブディレクトリが無指定です"},
      {"ImgDirName=\"\"\n", "画像サブディレクトリが無指定です"},
  };
  for (const auto& c : cases) {
    VellumixState state;
    const IniFile project = Project(std::string("[InOut]\n") + c.inout);
    EXPECT_THAT([&] { ReadNameSettings(project, state); },
                ThrowsMessage<Abort>(StrEq(c.message)))
        << c.inout;
    EXPECT_TRUE(state.IndexName.empty()) << "keys after the abort must not be read";
  }
}

TEST_F(ProjectSettingsTest, ThumbnailValuesWithCapsAndDefaults) {
  const struct {
    const char* lines;
    int width, height, percent, quality, column;
    bool fill;
    int color;
  } cases[] = {
      {"Width=120\n", 120, 50, 0, 100, 5, false, 0xFFFFFF},
      {"Width=abc\nHeight=\n", 50, 50, 0, 100, 5, false, 0xFFFFFF},
      {"Percent=250\nQuality=150\n", 50, 50, 100, 100, 5, false, 0xFFFFFF},
      {"Percent=-5\n", 50, 50, -5, 100, 5, false, 0xFFFFFF},
      {"FillSpace=2\nSpaceColor=255\n", 50, 50, 0, 100, 5, true, 255},
      {"FillSpace=true\nSpaceColor=0xFF\n", 50, 50, 0, 100, 5, false, 255},
      {"SpaceColor=$FF00\nColumn=3\n", 50, 50, 0, 100, 3, false, 0xFF00},
      // The table layout divides by the column count and the encoder knows no quality below 1.
      {"Column=0\nQuality=-3\n", 50, 50, 0, 1, 1, false, 0xFFFFFF},
      {"Column=-4\nQuality=0\n", 50, 50, 0, 1, 1, false, 0xFFFFFF},
  };
  for (const auto& c : cases) {
    VellumixState state;
    ASSERT_TRUE(ReadThumbnailSettings(Project(std::string("[Thumbnail]\n") + c.lines), state))
        << c.lines;
    EXPECT_EQ(c.width, state.Width) << c.lines;
    EXPECT_EQ(c.height, state.Height) << c.lines;
    EXPECT_EQ(c.percent, state.Percent) << c.lines;
    EXPECT_EQ(c.quality, state.Quality) << c.lines;
    EXPECT_EQ(c.column, state.Column) << c.lines;
    EXPECT_EQ(c.fill, state.FillSpace) << c.lines;
    EXPECT_EQ(c.color, state.SpaceColor) << c.lines;
  }
}

TEST_F(ProjectSettingsTest, ThumbnailSectionWithoutKeysCountsAsMissing) {
  VellumixState state;
  state.Width = 7;
  EXPECT_FALSE(ReadThumbnailSettings(Project("[Thumbnail]\n[Others]\nText1=a\n"), state));
  EXPECT_FALSE(ReadThumbnailSettings(Project("[InOut]\nImgSrcDir=x\n"), state));
  EXPECT_EQ(7, state.Width) << "fields stay as they were";
}

TEST_F(ProjectSettingsTest, TextsAreAlwaysTenInKeyOrder) {
  const auto texts = ReadTexts(Project("[Others]\nText10=ten\nText1=one\nText11=no\nText3=\n"));
  ASSERT_EQ(10u, texts.size());
  EXPECT_EQ("one", texts[0]);
  EXPECT_EQ("", texts[1]);
  EXPECT_EQ("", texts[2]);
  EXPECT_EQ("ten", texts[9]);
}

}  // namespace
}  // namespace vellumix
