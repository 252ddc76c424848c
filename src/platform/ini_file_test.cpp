// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/ini_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/errors.h"
#include "testing/temp_dir.h"

namespace vellumix {
namespace {

using ::vellumix::testing::TempDir;
using std::string_literals::operator""s;

class IniFileTest : public ::testing::Test {
 protected:
  IniFile Open(const std::string& text) {  // writes p.prj in a fresh folder
    dir_.WriteFile("p.prj", text);
    return IniFile(dir_.Path("p.prj"));
  }
  TempDir dir_;  // removed with the fixture, also after a failed ASSERT
};

// A project as Notepad on Windows leaves it, with everything a hand edit brings.
constexpr char kWindowsProject[] =
    "; written by hand\r\n"
    "Orphan=before any section\r\n"
    "[InOut]\r\n"
    "  SubDirName = pages  \r\n"
    "IndexName=\"top\"\r\n"
    "HtmlExt='html'\r\n"
    "ImgNameFormat=\"$ORG_NAME$'\r\n"
    "ImgDirName=\r\n"
    "QuotesOnly=\"\"\r\n"
    "a line without an equals sign\r\n"
    ";OutputDir=/commented/\r\n"
    "subdirname=second\r\n"
    "\tThmNameFormat\t=\t\" padded \"\t\r\n"
    "Formula=a=b\r\n"
    "[ Thumbnail ]\r\n"
    "[inout]\r\n"
    "OutputDir=/from/the/repeated/section/\r\n";

TEST_F(IniFileTest, ReadStringFollowsProfileRules) {
  IniFile ini = Open(kWindowsProject);
  const struct {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {
      {"InOut", "SubDirName", "pages"},  // blanks around name and value, first key wins
      {"INOUT", "subdirNAME", "pages"},
      {"InOut", "IndexName", "top"},
      {"InOut", "HtmlExt", "html"},
      {"InOut", "ImgNameFormat", "\"$ORG_NAME$'"},  // quotes that do not match stay
      {"InOut", "ImgDirName", ""},                  // present and empty is not the default
      {"InOut", "QuotesOnly", ""},
      {"InOut", "ThmNameFormat", " padded "},  // blanks inside the quotes stay
      {"InOut", "Formula", "a=b"},
      {"InOut", "OutputDir", "DEF"},  // only commented out, or in the repeated section
      {"InOut", "Orphan", "DEF"},
      {"InOut", "a line without an equals sign", "DEF"},
      {"Thumbnail", "Width", "DEF"},
      {"Others", "Text1", "DEF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ini.ReadString(c.section, c.key, "DEF")) << c.section << "/" << c.key;
  }
}

TEST_F(IniFileTest, ReadsEveryLineEndAndByteOrderMark) {
  const char* const files[] = {
      "[S]\nk=v\n",
      "[S]\rk=v\r",
      "[S]\r\nk=v",                      // no line break at the end
      "\xEF\xBB\xBF[S]\r\nk=v\r\n",      // a UTF-8 byte order mark before the first header
      "\n\n[S]\r\n\r\n\r\n  k  =  v  ",  // blank lines
      "[S]\nx=1\rk=v\r\ny=2",            // mixed
  };
  for (const char* text : files) {
    EXPECT_EQ("v", Open(text).ReadString("s", "K", "DEF")) << ::testing::PrintToString(text);
  }
}

TEST_F(IniFileTest, ReadIntegerFollowsProfileRules) {
  const struct {
    const char* line;
    int expected;
  } cases[] = {
      {"Width=120", 120},
      {"Width=+7", 7},
      {"Width=-5", -5},
      {"Width=007", 7},
      {"Width=0xFF", 255},
      {"Width=0X1f", 31},
      {"Width=$ff", 255},
      {"WIDTH= 7 ", 7},
      {"Width=\"42\"", 42},
      {"Width=$FFFFFFFF", -1},  // hexadecimal is a 32-bit pattern
      {"Width=$80000000", INT_MIN},
      {"Width=0x000000010", 16},
      {"Width=2147483647", INT_MAX},
      {"Width=-2147483648", INT_MIN},
      {"Width=", 50},
      {"Width=abc", 50},
      {"Width=12abc", 50},
      {"Width=1 2", 50},
      {"Width=1.5", 50},
      {"Width=$", 50},
      {"Width=0x", 50},
      {"Width=-", 50},
      {"Width=-$10", 50},
      {"Width=$100000000", 50},  // out of range
      {"Width=2147483648", 50},
      {"Width=-2147483649", 50},
      {"Width=99999999999999999999999", 50},
      {"Height=9", 50},  // Width absent
  };
  for (const auto& c : cases) {
    IniFile ini = Open(std::string("[Thumbnail]\n") + c.line + "\n");
    EXPECT_EQ(c.expected, ini.ReadInteger("Thumbnail", "Width", 50)) << c.line;
  }
}

TEST_F(IniFileTest, ReadBoolIsAnInteger) {
  const struct {
    const char* line;
    bool def;
    bool expected;
  } cases[] = {
      {"FillSpace=1", false, true},   {"FillSpace=2", false, true},
      {"FillSpace=-1", false, true},  {"FillSpace=0x10", false, true},
      {"FillSpace=0", true, false},   {"FillSpace=true", false, false},  // a word: the default
      {"FillSpace=true", true, true}, {"FillSpace=", true, true},
      {"FillSpace=", false, false},   {"Other=1", true, true},
  };
  for (const auto& c : cases) {
    IniFile ini = Open(std::string("[Thumbnail]\n") + c.line + "\n");
    EXPECT_EQ(c.expected, ini.ReadBool("Thumbnail", "FillSpace", c.def))
        << c.line << " default " << c.def;
  }
}

TEST_F(IniFileTest, StringsReadBackAsAtMost2047Bytes) {
  const std::string exact(2047, 'x');
  const struct {
    std::string value;
    std::string expected;
  } cases[] = {
      {exact, exact},
      {exact + "y", exact},
      {std::string(100000, 'x'), exact},
      {"\"" + exact + "\"", exact},  // quotes are dropped before the cut
      {"  " + exact + "y  ", exact},
  };
  for (const auto& c : cases) {
    IniFile ini = Open("[Others]\r\nText1=" + c.value + "\r\n");
    EXPECT_EQ(c.expected, ini.ReadString("Others", "Text1", "")) << c.value.size();
  }
}

TEST_F(IniFileTest, SectionExistsOnlyWithAKey) {
  const struct {
    const char* text;
    bool expected;
  } cases[] = {
      {"[Thumbnail]\nWidth=1\n", true},
      {"  [ Thumbnail ]  ; note\nWidth=1\n", true},
      {"[thumbnail]\r\n\r\nWidth=\r\n", true},  // an empty value is still a key
      {"[Thumbnail]\n[Others]\nText1=a\n", false},
      {"[Thumbnail]\n; Width=1\nno equals sign\n\n", false},
      {"Width=1\n[Thumbnail]\n", false},
      {"[Thumbnail]\n[Others]\nText1=a\n[Thumbnail]\nWidth=1\n", false},  // the first one wins
      {"", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, Open(c.text).SectionExists("Thumbnail")) << c.text;
  }
  EXPECT_TRUE(Open("[Thumbnail]\n[Others]\nText1=a\n").SectionExists("OTHERS"));
}

TEST_F(IniFileTest, EveryReadSeesTheFileAsItIsNow) {  // catches a cache
  IniFile ini(dir_.Path("p.prj"));
  EXPECT_EQ("htmsub", ini.ReadString("InOut", "SubDirName", "htmsub"));  // no file yet
  EXPECT_FALSE(ini.SectionExists("InOut"));
  dir_.WriteFile("p.prj", "[InOut]\nSubDirName=a\n");
  EXPECT_EQ("a", ini.ReadString("InOut", "SubDirName", "htmsub"));
  dir_.WriteFile("p.prj", "[InOut]\nSubDirName=b\n");
  EXPECT_EQ("b", ini.ReadString("InOut", "SubDirName", "htmsub"));
  std::filesystem::remove(dir_.Path("p.prj"));
  EXPECT_EQ("htmsub", ini.ReadString("InOut", "SubDirName", "htmsub"));
}

TEST_F(IniFileTest, AnUnreadableFileHasNoKeys) {
  dir_.MakeDir("p.prj");  // a folder opens, but does not read
  IniFile ini(dir_.Path("p.prj"));
  EXPECT_EQ("def", ini.ReadString("InOut", "ImgSrcDir", "def"));
  EXPECT_EQ(5, ini.ReadInteger("Thumbnail", "Column", 5));
  EXPECT_FALSE(ini.SectionExists("InOut"));
}

TEST_F(IniFileTest, SurvivesBinaryGarbage) {
  std::string garbage;
  for (int round = 0; round < 3; ++round) {
    for (int byte = 0; byte < 256; ++byte) garbage.push_back(static_cast<char>(byte * 7 + round));
  }
  garbage += "[\n[]\n=\n[=]\n]\n\r\r\n\"\n'\n" + std::string(1 << 20, '[') + "=]";
  IniFile ini = Open(garbage + "\n[S]\nk=a\0b\nq=\"\0\"\n"s);
  EXPECT_EQ("a", ini.ReadString("S", "k", "DEF"));  // a NUL byte ends the value
  EXPECT_EQ("\"", ini.ReadString("S", "q", "DEF"));
  EXPECT_EQ("DEF", ini.ReadString("", "", "DEF"));
  EXPECT_EQ(0, ini.ReadInteger("S", "k", 0));

  IniFile plain = Open(garbage);
  plain.WriteString("S", "k", "v");
  EXPECT_EQ("v", plain.ReadString("S", "k", "DEF"));
  EXPECT_EQ(0u, dir_.ReadFile("p.prj").find(garbage));  // the rest kept, byte for byte
}

TEST_F(IniFileTest, WriteChangesOnlyWhatItMust) {
  const struct {
    const char* name;
    const char* before;  // nullptr: no file yet
    const char* section;
    const char* key;
    const char* value;
    const char* after;
  } cases[] = {
      {"replaces the key's line, keeping its spelling",
       "; Vellumix project\r\n[InOut]\r\n; source\r\n  imgsrcdir = \"/old/\"  \r\n"
       "OutputDir=/out/\r\n[Template]\r\nIndexPage=index.tpl\r\n",
       "InOut", "ImgSrcDir", "/photos/",
       "; Vellumix project\r\n[InOut]\r\n; source\r\nimgsrcdir=/photos/\r\n"
       "OutputDir=/out/\r\n[Template]\r\nIndexPage=index.tpl\r\n"},
      {"adds after the section's last key, before the next section",
       "[InOut]\nImgSrcDir=/p/\nstray line\n\n; templates\n[Template]\nIndexPage=i\n", "INOUT",
       "OutputDir", "/o/",
       "[InOut]\nImgSrcDir=/p/\nOutputDir=/o/\nstray line\n\n; "
       "templates\n[Template]\nIndexPage=i\n"},
      {"appends the section to a file without a final line break", "[General]\r\nWinWidth=600",
       "Option", "OpenLastPrj", "1", "[General]\r\nWinWidth=600\r\n[Option]\r\nOpenLastPrj=1\r\n"},
      {"adds to the last line of the file", "[InOut]\nA=1", "InOut", "B", "2",
       "[InOut]\nA=1\nB=2\n"},
      {"creates the file with CR LF", nullptr, "InOut", "ImgSrcDir", "/p/",
       "[InOut]\r\nImgSrcDir=/p/\r\n"},
      {"fills an empty file", "", "InOut", "ImgSrcDir", "/p/", "[InOut]\r\nImgSrcDir=/p/\r\n"},
      {"fills a header without keys", "[Thumbnail]\n[Others]\nText1=a\n", "Thumbnail", "Width",
       "80", "[Thumbnail]\nWidth=80\n[Others]\nText1=a\n"},
      {"fills a header at the end without a line break", "[A]\r\nx=1\r\n[Thumbnail]", "Thumbnail",
       "Width", "80", "[A]\r\nx=1\r\n[Thumbnail]\r\nWidth=80\r\n"},
      {"updates the first of repeated keys and sections", "[A]\nk=1\nk=2\n[a]\nk=3\n", "a", "K",
       "9", "[A]\nk=9\nk=2\n[a]\nk=3\n"},
      {"adds to the first of repeated sections", "[A]\n[B]\nx=1\n[A]\nk=3\n", "A", "k", "9",
       "[A]\nk=9\n[B]\nx=1\n[A]\nk=3\n"},
      {"ignores a key before the first section", "K=orphan\n[S]\nx=1\n", "S", "K", "v",
       "K=orphan\n[S]\nx=1\nK=v\n"},
      {"keeps a byte order mark", "\xEF\xBB\xBF[InOut]\r\nX=1\r\n", "InOut", "X", "2",
       "\xEF\xBB\xBF[InOut]\r\nX=2\r\n"},
      {"adds after a lone byte order mark", "\xEF\xBB\xBF", "S", "k", "v",
       "\xEF\xBB\xBF[S]\r\nk=v\r\n"},
      {"keeps lone CR line ends", "[S]\rx=1\r", "S", "y", "2", "[S]\rx=1\ry=2\r"},
      {"keeps an empty value empty", "[S]\nk=old\n", "S", "k", "", "[S]\nk=\n"},
      {"cuts a value at its first line break", "[S]\r\nk=1\r\n", "S", "k", "a b\r\n[X]\ny=1",
       "[S]\r\nk=a b\r\n"},
      {"cuts a value at a lone LF", "[S]\nk=1\n", "S", "k", "a\nk2=b", "[S]\nk=a\n"},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(dir_.Path("p.prj"));
    if (c.before != nullptr) dir_.WriteFile("p.prj", c.before);
    IniFile ini(dir_.Path("p.prj"));
    ini.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(c.after, dir_.ReadFile("p.prj")) << c.name;
    const std::string_view value = c.value;
    EXPECT_EQ(value.substr(0, value.find_first_of("\r\n")), ini.ReadString(c.section, c.key, "DEF"))
        << c.name;
  }
}

TEST_F(IniFileTest, WritesIntegersAndBooleansAsDecimal) {
  IniFile ini(dir_.Path("settings.ini"));
  ini.WriteBool("Option", "OpenLastPrj", true);
  ini.WriteBool("Option", "OpenResult", false);
  ini.WriteInteger("General", "WinLeft", -12);
  ini.WriteInteger("General", "WinWidth", INT_MIN);
  EXPECT_EQ(
      "[Option]\r\nOpenLastPrj=1\r\nOpenResult=0\r\n"
      "[General]\r\nWinLeft=-12\r\nWinWidth=-2147483648\r\n",
      dir_.ReadFile("settings.ini"));
  EXPECT_TRUE(ini.ReadBool("Option", "OpenLastPrj", false));
  EXPECT_FALSE(ini.ReadBool("Option", "OpenResult", true));
  EXPECT_EQ(INT_MIN, ini.ReadInteger("General", "WinWidth", 0));
}

TEST_F(IniFileTest, WriteReplacesTheFileSafely) {
  IniFile ini = Open("[InOut]\nImgSrcDir=/a/\n");
  ASSERT_EQ(0, chmod(dir_.Path("p.prj").c_str(), 0640));
  ini.WriteString("InOut", "ImgSrcDir", "/b/");
  struct stat st;
  ASSERT_EQ(0, stat(dir_.Path("p.prj").c_str(), &st));
  EXPECT_EQ(0640u, st.st_mode & 07777);  // the permission bits survive the replacement
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Root())) {
    EXPECT_EQ("p.prj", entry.path().filename().string()) << "left behind";
    ++entries;
  }
  EXPECT_EQ(1, entries);
}

TEST_F(IniFileTest, WriteGoesThroughASymbolicLink) {
  dir_.WriteFile("real/p.prj", "[InOut]\nImgSrcDir=/a/\n");
  ASSERT_EQ(0, symlink("real/p.prj", dir_.Path("link.prj").c_str()));
  IniFile ini(dir_.Path("link.prj"));
  ini.WriteString("InOut", "OutputDir", "/o/");
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.Path("link.prj")));
  EXPECT_EQ("[InOut]\nImgSrcDir=/a/\nOutputDir=/o/\n", dir_.ReadFile("real/p.prj"));
}

TEST_F(IniFileTest, FailedWriteNamesTheFile) {
  dir_.MakeDir("p.prj");  // a folder where the file must go: fails even for root
  dir_.WriteFile("p.prj/inside", "kept");
  dir_.WriteFile("file", "a file, not a folder");
  const std::string paths[] = {dir_.Path("p.prj"), dir_.Path("missing/p.prj"),
                               dir_.Path("file/p.prj")};
  for (const std::string& path : paths) {
    IniFile ini(path);
    EXPECT_THAT([&] { ini.WriteString("InOut", "ImgSrcDir", "/photos/"); },
                ::testing::ThrowsMessage<Failure>(::testing::StrEq(path + " に書き込めません")));
  }
  EXPECT_EQ("kept", dir_.ReadFile("p.prj/inside"));
  EXPECT_FALSE(dir_.Exists("missing"));
  int entries = 0;  // no temporary file left behind
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.Root())) {
    ++entries;
  }
  EXPECT_EQ(2, entries);
}

}  // namespace
}  // namespace vellumix
