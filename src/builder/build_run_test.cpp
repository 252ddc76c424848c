// SPDX-License-Identifier: GPL-2.0-or-later
#include "builder/build_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "builder/open_project.h"
#include "platform/errors.h"
#include "testing/recording_log.h"
#include "testing/temp_dir.h"
#include "testing/test_jpeg.h"

namespace vellumix {
namespace {

using ::testing::ElementsAre;
using vellumix::testing::RecordingLog;
using vellumix::testing::TempDir;

class BuildRunTest : public ::testing::Test {
 protected:
  // A project in the temp folder with photos in src/ and the album going to out/.
  void WriteProject(const std::string& extra_inout, const std::string& rest) {
    dir_.WriteFile("p.prj", "[InOut]\nImgSrcDir=" + dir_.Path("src") +
                                "\nOutputDir=" + dir_.Path("out") + "\n" + extra_inout + rest);
  }
  void AddPhoto(const std::string& name, int w = 64, int h = 48) {
    dir_.WriteFile("src/" + name, testing::MakeTestJpeg(w, h));
  }
  void Run() {
    state_.ProjectPath = dir_.Path("p.prj");
    RunBuild(state_, log_);
  }
  // The lines after the three opening lines.
  std::vector<std::string> Tail() {
    EXPECT_GE(log_.lines.size(), 3u);
    return {log_.lines.begin() + 3, log_.lines.end()};
  }

  TempDir dir_;
  VellumixState state_;
  RecordingLog log_;
};

TEST_F(BuildRunTest, OpenProjectSetsWhatTheWindowShows) {
  dir_.WriteFile("trip.prj", "[InOut]\nImgSrcDir=photos\nOutputDir=Album\nNameUpperCase=1\n");
  state_.ProjectPath = dir_.Path("trip.prj");
  state_.LastError = "old";
  log_.lines = {"earlier run"};
  OpenProject(state_, log_);
  EXPECT_THAT(log_.lines, ElementsAre("Project File = " + dir_.Path("trip.prj")));
  EXPECT_EQ("Vellumix- [trip.prj]", state_.Caption);
  EXPECT_EQ(dir_.Root() + "/", state_.ProjectDir);
  EXPECT_EQ("photos/", state_.ImgSrcDir);
  EXPECT_EQ("Album/", state_.OutputDir);
  EXPECT_TRUE(state_.ExecBtnEnabled);
  EXPECT_TRUE(state_.LastError.empty());
  EXPECT_FALSE(dir_.ReadFile("trip.prj").find("photos/") != std::string::npos)
      << "the normalised folders are not written back";
}

TEST_F(BuildRunTest, OpenProjectStartButtonNeedsBothFolders) {
  const struct {
    const char* text;
    bool enabled;
  } cases[] = {
      {"[InOut]\nImgSrcDir=a\n", false},
      {"[InOut]\nOutputDir=b\n", false},
      {"", false},
      {"\x01\x02\xff binary\0\n[", false},
      {"[InOut]\nImgSrcDir=a\nOutputDir=b\n", true},
  };
  for (const auto& c : cases) {
    dir_.WriteFile("p.prj", c.text);
    state_.ProjectPath = dir_.Path("p.prj");
    OpenProject(state_, log_);
    EXPECT_EQ(c.enabled, state_.ExecBtnEnabled) << c.text;
  }
  state_.ProjectPath = dir_.Path("missing.prj");
  OpenProject(state_, log_);
  EXPECT_FALSE(state_.ExecBtnEnabled);
  EXPECT_TRUE(state_.ImgSrcDir.empty());
}

TEST_F(BuildRunTest, OpenProjectWithoutPathChangesNothing) {
  state_.Caption = "kept";
  log_.lines = {"kept"};
  OpenProject(state_, log_);
  EXPECT_EQ("kept", state_.Caption);
  EXPECT_THAT(log_.lines, ElementsAre("kept"));
}

void WriteProjectIn(const TempDir& dir, const std::string& extra_inout,
                    const std::string& rest = "") {
  dir.WriteFile("p.prj", "[InOut]\nImgSrcDir=" + dir.Path("src") + "\nOutputDir=" +
                             dir.Path("out") + "\n" + extra_inout + rest);
}

void AddPhotoIn(const TempDir& dir) { dir.WriteFile("src/a.jpg", testing::MakeTestJpeg(8, 8)); }

TEST(BuildRunAbort, EndsTheLogBeepsAndCleansUp) {
  const struct {
    const char* name;
    void (*setup)(const TempDir&);
    const char* message;
  } cases[] = {
      {"empty sub folder name", [](const TempDir& d) { WriteProjectIn(d, "SubDirName=\n"); },
       "サブディレクトリが無指定です"},
      {"empty image folder name", [](const TempDir& d) { WriteProjectIn(d, "ImgDirName=\n"); },
       "画像サブディレクトリが無指定です"},
      {"no images", [](const TempDir& d) { WriteProjectIn(d, ""); },
       "対象となる画像ファイルがありません"},
      {"output parent missing",
       [](const TempDir& d) {
         AddPhotoIn(d);
         d.WriteFile("p.prj", "[InOut]\nImgSrcDir=" + d.Path("src") +
                                  "\nOutputDir=" + d.Path("no/out") + "\n");
       },
       "出力先ディレクトリが作成できません"},
      {"file where the image folder goes",
       [](const TempDir& d) {
         AddPhotoIn(d);
         d.WriteFile("out/image", "x");
         WriteProjectIn(d, "");
       },
       "画像ディレクトリが作成できません"},
      {"file where the sub folder goes",
       [](const TempDir& d) {
         AddPhotoIn(d);
         d.WriteFile("out/htmsub", "x");
         WriteProjectIn(d, "");
       },
       "サブディレクトリが作成できません"},
      {"no index template",
       [](const TempDir& d) {
         AddPhotoIn(d);
         WriteProjectIn(d, "", "[Template]\nImagePage=i.htm\n");
       },
       "インデックスページのテンプレートが指定されていません"},
      {"index template missing",
       [](const TempDir& d) {
         AddPhotoIn(d);
         WriteProjectIn(d, "", "[Template]\nIndexPage=nothere.htm\n");
       },
       "インデックスページのテンプレートが見つかりません"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    c.setup(dir);
    VellumixState state;
    RecordingLog log;
    state.ProjectPath = dir.Path("p.prj");
    state.HtmlOnly = true;
    RunBuild(state, log);

    const std::string error = std::string("エラー: ") + c.message;
    ASSERT_GE(log.lines.size(), 5u) << c.name;
    EXPECT_EQ("", log.lines[1]) << c.name;
    EXPECT_EQ("作成開始", log.lines[2]) << c.name;
    EXPECT_THAT(std::vector(log.lines.end() - 2, log.lines.end()),
                ElementsAre(error, "中断しました"))
        << c.name;
    EXPECT_EQ(error, state.LastError) << c.name;
    EXPECT_EQ(1, log.beeps) << c.name;
    EXPECT_TRUE(log.opened.empty() && log.sounds.empty()) << c.name;
    EXPECT_TRUE(state.ExecBtnEnabled && state.MenuBtnEnabled) << c.name;
    EXPECT_FALSE(state.HtmlOnly) << c.name;
  }
}

TEST_F(BuildRunTest, FinishedRunRequestsTheCompletionActions) {
  AddPhoto("b.jpg");
  AddPhoto("A.JPG");
  dir_.WriteFile("idx.htm", "<p>$TOTAL_P$</p>\n");
  WriteProject("", "[Template]\nIndexPage=idx.htm\n");
  state_.OpenResult = true;
  state_.CompleteSound = "/sounds/done.wav";
  Run();
  EXPECT_THAT(Tail(), ElementsAre("2個の画像ファイルがあります", "A.JPG  →a.jpg",
                                  "b.jpg  →b.jpg", "→ index.htm", "終了しました"));
  EXPECT_TRUE(state_.LastError.empty());
  EXPECT_EQ(0, log_.beeps);
  EXPECT_THAT(log_.opened, ElementsAre(dir_.Path("out/index.htm")));
  EXPECT_THAT(log_.sounds, ElementsAre("/sounds/done.wav"));
  EXPECT_EQ("<p>2</p>\r\n", dir_.ReadFile("out/index.htm"));
  EXPECT_EQ(dir_.Path("idx.htm"), state_.IndexPage);
  EXPECT_TRUE(state_.ExecBtnEnabled);
}

TEST_F(BuildRunTest, OtherFailurePassesOnAfterTheCleanUp) {
  dir_.WriteFile("src/a.jpg", "this is no JPEG");
  dir_.WriteFile("idx.htm", "x\n");
  WriteProject("", "[Template]\nIndexPage=idx.htm\n");
  state_.HtmlOnly = true;
  EXPECT_THROW(Run(), Failure);
  EXPECT_EQ("a.jpg", log_.lines.back()) << "no closing line after a failure";
  EXPECT_TRUE(state_.LastError.empty());
  EXPECT_EQ(0, log_.beeps);
  EXPECT_TRUE(state_.ExecBtnEnabled && state_.MenuBtnEnabled);
  EXPECT_FALSE(state_.HtmlOnly);
}

TEST_F(BuildRunTest, EveryRunRereadsTheProject) {
  AddPhoto("a.jpg");
  dir_.WriteFile("idx.htm", "$TEXT1$\n");
  WriteProject("", "[Template]\nIndexPage=idx.htm\n[Others]\nText1=first\n");
  Run();
  EXPECT_EQ("first\r\n", dir_.ReadFile("out/index.htm"));
  WriteProject("", "[Template]\nIndexPage=idx.htm\n[Others]\nText1=second\n");
  Run();
  EXPECT_EQ("second\r\n", dir_.ReadFile("out/index.htm"));
  EXPECT_EQ("Project File = " + dir_.Path("p.prj"), log_.lines[0]) << "a fresh log each run";
}

TEST_F(BuildRunTest, NamesThatLeaveTheOutputFolderAreRefused) {
  AddPhoto("a.jpg");
  dir_.WriteFile("idx.htm", "x\n");
  WriteProject("ImgNameFormat=../../escaped\n", "[Template]\nIndexPage=idx.htm\n");
  EXPECT_THROW(Run(), Failure);
  EXPECT_FALSE(dir_.Exists("escaped.jpg"));
}

}  // namespace
}  // namespace vellumix
