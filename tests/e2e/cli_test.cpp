// SPDX-License-Identifier: GPL-2.0-or-later
// vellumix-cli's contract: its arguments, its exit statuses, and the log on standard output.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "testing/temp_dir.h"
#include "testing/test_jpeg.h"
#include "tests/e2e/cli_support.h"

namespace vellumix::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kUsage = "usage: vellumix-cli [-H] PROJECT\n";

TEST(CliUsage, BadArgumentsExitWith64AndOneLine) {
  TempDir dir;
  const std::vector<std::vector<std::string>> cases = {
      {}, {"-H"}, {"-x", "p.prj"}, {"a.prj", "b.prj"}, {"-S", "p.prj"}, {""},
  };
  for (const auto& args : cases) {
    const CliResult r = RunCli(dir.Root(), args);
    EXPECT_EQ(64, r.status) << ::testing::PrintToString(args);
    EXPECT_EQ(kUsage, r.err) << ::testing::PrintToString(args);
    EXPECT_EQ("", r.out) << ::testing::PrintToString(args);
  }
  const CliResult help = RunCli(dir.Root(), {"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(kUsage, help.out);
}

// A project in a temp folder: photos in src/, the album in out/, templates beside the project.
class CliRunTest : public ::testing::Test {
 protected:
  void Project(const std::string& inout_extra, const std::string& rest) {
    dir_.WriteFile("p.prj", "[InOut]\r\nImgSrcDir=src\r\nOutputDir=out\r\n" + inout_extra + rest);
  }
  void Photo(const std::string& name) { dir_.WriteFile("src/" + name, MakeTestJpeg(16, 12)); }
  CliResult Run(std::vector<std::string> args = {"p.prj"}) { return RunCli(dir_.Root(), args); }

  TempDir dir_;
};

TEST_F(CliRunTest, AbortsExitWith1AndEndTheLog) {
  const struct {
    const char* inout;
    const char* rest;
    bool with_photo;
    const char* message;
  } cases[] = {
      {"SubDirName=\r\n", "", true, "サブディレクトリが無指定です"},
      {"ImgDirName=\r\n", "", true, "画像サブディレクトリが無指定です"},
      {"", "", false, "対象となる画像ファイルがありません"},
      {"", "", true, "インデックスページのテンプレートが指定されていません"},
      {"", "[Template]\r\nIndexPage=none.htm\r\n", true,
       "インデックスページのテンプレートが見つかりません"},
      {"", "[Template]\r\nIndexPage=i.htm\r\nImagePage=none.htm\r\n", true,
       "画像ページのテンプレートが見つかりません"},
      {"", "[Template]\r\nIndexPage=i.htm\r\nMenuPage=none.htm\r\n", true,
       "メニューページのテンプレートが見つかりません"},
      {"", "[Template]\r\nIndexPage=i.htm\r\nBlankPage=none.htm\r\n", true,
       "ブランクページのテンプレートが見つかりません"},
      // A template path that names a folder is no template.
      {"", "[Template]\r\nIndexPage=src\r\n", true,
       "インデックスページのテンプレートが見つかりません"},
  };
  for (const auto& c : cases) {
    TempDir fresh;
    dir_.WriteFile("i.htm", "x\n");
    Project(c.inout, c.rest);
    if (c.with_photo) Photo("a.jpg");
    const CliResult r = Run();
    EXPECT_EQ(1, r.status) << c.message;
    EXPECT_EQ("", r.err) << c.message;
    ASSERT_GE(r.lines.size(), 5u) << r.out;
    EXPECT_THAT(std::vector(r.lines.begin(), r.lines.begin() + 3),
                ElementsAre("Project File = p.prj", "", "作成開始"));
    EXPECT_THAT(std::vector(r.lines.end() - 2, r.lines.end()),
                ElementsAre(std::string("エラー: ") + c.message, "中断しました"));
    EXPECT_EQ('\n', r.out.back());
    EXPECT_FALSE(dir_.Exists("out/index.htm"));
    std::filesystem::remove_all(dir_.Path("src"));
  }
}

TEST_F(CliRunTest, MissingProjectFileOpensAsAnEmptyProject) {
  const CliResult r = Run({"nowhere.prj"});
  EXPECT_EQ(1, r.status);
  EXPECT_THAT(r.lines, ElementsAre("Project File = nowhere.prj", "", "作成開始",
                                   "エラー: 対象となる画像ファイルがありません", "中断しました"));
}

TEST_F(CliRunTest, FinishedRunExitsWith0) {
  Photo("b.jpg");
  Photo("a.jpg");
  dir_.WriteFile("i.htm", "$TOTAL_P$\n");
  Project("", "[Template]\r\nIndexPage=i.htm\r\n[Thumbnail]\r\nWidth=8\r\n");
  const CliResult r = Run();
  EXPECT_EQ(0, r.status) << r.err;
  EXPECT_EQ("", r.err);
  EXPECT_THAT(r.lines, ElementsAre("Project File = p.prj", "", "作成開始",
                                   "2個の画像ファイルがあります", "a.jpg  →a.jpg/  →a.jpg",
                                   "b.jpg  →b.jpg/  →b.jpg", "→ index.htm", "終了しました"));
}

TEST_F(CliRunTest, HtmlOnlyRunNeedsAnEarlierRun) {
  Photo("a.jpg");
  dir_.WriteFile("i.htm", "x\n");
  Project("", "[Template]\r\nIndexPage=i.htm\r\n");
  const CliResult first = Run({"-H", "p.prj"});
  EXPECT_EQ(1, first.status);
  EXPECT_THAT(std::vector(first.lines.end() - 3, first.lines.end()),
              ElementsAre("a.jpg", "エラー: 画像ファイルがありません", "中断しました"));
  ASSERT_EQ(0, Run().status);
  const CliResult again = Run({"p.prj", "-H"});
  EXPECT_EQ(0, again.status) << again.out;
  EXPECT_THAT(std::vector(again.lines.end() - 3, again.lines.end()),
              ElementsAre("a.jpg", "→ index.htm", "終了しました"));
}

TEST_F(CliRunTest, OtherFailuresExitWith2AndNameTheCause) {
  const struct {
    const char* name;
    const char* bytes;  // of src/a.jpg
    const char* index_page;
    const char* message;
  } cases[] = {
      {"not a JPEG", "plain text, not a picture", "i.htm", "Not a JPEG file"},
      {"zero bytes", "", "i.htm", ""},
      // Readable by name but not by read(2), even for root: a real unreadable template.
      {"unreadable template", nullptr, "/proc/self/mem", "/proc/self/mem"},
  };
  for (const auto& c : cases) {
    if (c.bytes != nullptr) {
      dir_.WriteFile("src/a.jpg", c.bytes);
    } else {
      Photo("a.jpg");
    }
    dir_.WriteFile("i.htm", "x\n");
    Project("", std::string("[Template]\r\nIndexPage=") + c.index_page + "\r\n");
    const CliResult r = Run();
    EXPECT_EQ(2, r.status) << c.name;
    EXPECT_THAT(r.err, StartsWith(c.message)) << c.name;
    EXPECT_NE("", r.err) << c.name;
    EXPECT_EQ('\n', r.err.back()) << c.name;
    EXPECT_THAT(r.out, ::testing::Not(HasSubstr("中断しました"))) << c.name;
    EXPECT_THAT(r.out, ::testing::Not(HasSubstr("終了しました"))) << c.name;
  }
}

TEST_F(CliRunTest, LogIsWrittenInTheActiveCodePage) {
  Project("", "");
  const CliResult r = RunCli(dir_.Root(), {"p.prj"}, {{"VELLUMIX_CODEPAGE", "932"}});
  EXPECT_EQ(1, r.status);
  EXPECT_THAT(r.lines,
              ElementsAre("Project File = p.prj", "", "\x8D\xEC\x90\xAC\x8A\x4A\x8E\x6E",
                          "\x83\x47\x83\x89\x81\x5B\x3A\x20\x91\xCE\x8F\xDB\x82\xC6\x82\xC8\x82\xE9"
                          "\x89\xE6\x91\x9C\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xAA\x82\xA0\x82\xE8"
                          "\x82\xDC\x82\xB9\x82\xF1",
                          "\x92\x86\x92\x66\x82\xB5\x82\xDC\x82\xB5\x82\xBD"));
}

}  // namespace
}  // namespace vellumix::testing
