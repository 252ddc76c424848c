// SPDX-License-Identifier: GPL-2.0-or-later
// Builds whole albums with the real vellumix-cli in a fresh folder and checks what a user gets:
// the log on stdout, the exit status, every page byte for byte, the copied images, and the
// thumbnails by size and decoded pixels. The templates are tiny on purpose, so that the expected
// pages can be written out in full.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/jpeg_image.h"
#include "platform/rgb_image.h"
#include "testing/temp_dir.h"
#include "testing/test_jpeg.h"

namespace vellumix {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// ---------------------------------------------------------------------------------------------
// Small text helpers.

// Each line followed by "\n", as the CLI prints its log.
std::string LogText(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}

// Each line followed by CR LF, as every page is written.
std::string PageText(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

// The first four lines of every run's log.
std::string LogHead(int image_count) {
  return LogText({"Project File = album.prj", "", "作成開始",
                  std::to_string(image_count) + "個の画像ファイルがあります"});
}

std::string Quoted(std::string_view text) { return "'" + std::string(text) + "'"; }

// A JPEG grown to exactly `size` bytes by zeros after its end marker, which decoders never read;
// the file sizes on the pages then come out as chosen.
std::string PaddedTo(std::string jpeg, size_t size) {
  EXPECT_LE(jpeg.size(), size) << "test JPEG too large to pad";
  jpeg.resize(std::max(size, jpeg.size()), '\0');
  return jpeg;
}

// Sets the marker segment SOF0's picture size, as a damaged or hostile file could claim.
std::string WithClaimedSize(std::string jpeg, int width, int height) {
  size_t pos = 2;  // after SOI
  while (pos + 9 < jpeg.size()) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(jpeg[i]); };
    if (byte(pos) != 0xFF) break;
    const unsigned char marker = byte(pos + 1);
    const size_t length = byte(pos + 2) * 256u + byte(pos + 3);
    if (marker == 0xC0) {
      jpeg[pos + 5] = static_cast<char>(height >> 8);
      jpeg[pos + 6] = static_cast<char>(height & 0xFF);
      jpeg[pos + 7] = static_cast<char>(width >> 8);
      jpeg[pos + 8] = static_cast<char>(width & 0xFF);
      return jpeg;
    }
    pos += 2 + length;
  }
  ADD_FAILURE() << "no SOF0 marker in the test JPEG";
  return jpeg;
}

struct timespec MTime(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mtim;
}

void SetMTime(const std::string& path, std::time_t seconds, long nanoseconds = 0) {
  const struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// ---------------------------------------------------------------------------------------------
// A project file written section by section; keys keep the order in which they were first set.

class ProjectFile {
 public:
  ProjectFile& Set(const std::string& section, const std::string& key, const std::string& value) {
    auto& keys = SectionKeys(section);
    for (auto& entry : keys) {
      if (entry.first == key) {
        entry.second = value;
        return *this;
      }
    }
    keys.emplace_back(key, value);
    return *this;
  }

  ProjectFile& RemoveSection(const std::string& section) {
    std::erase_if(sections_, [&](const auto& s) { return s.first == section; });
    return *this;
  }

  std::string Text() const {
    std::string text;
    for (const auto& [section, keys] : sections_) {
      text += "[" + section + "]\n";
      for (const auto& [key, value] : keys) text += key + "=" + value + "\n";
    }
    return text;
  }

 private:
  using Keys = std::vector<std::pair<std::string, std::string>>;

  Keys& SectionKeys(const std::string& section) {
    for (auto& s : sections_) {
      if (s.first == section) return s.second;
    }
    sections_.emplace_back(section, Keys{});
    return sections_.back().second;
  }

  std::vector<std::pair<std::string, Keys>> sections_;
};

// ---------------------------------------------------------------------------------------------
// The album fixture: a project in a temp folder with sources in src/ and the album in out/.

constexpr std::string_view kIndexTemplate =
    "<html><title>$TEXT1$</title>\n"
    "<p>$TOTAL_P$ $SUB_DIR$ $IMG_DIR$ $THUMB_COL$</p>\n"
    "<table>\n"
    "<!--THUMBNAIL-->\n"
    "<td><a href=\"$HREF$\"><img src=\"$SRC$\" width=\"$WIDTH$\" height=\"$HEIGHT$\"></a>"
    "$INDEX$ $IMG_FNAME$ $IMG_FSIZE$ $IMG_WIDTH$x$IMG_HEIGHT$</td>\n"
    "<!--THUMBNAIL-->\n"
    "</table>\n"
    "<a href=\"$SUB_DIR$/$FIRST_PAGE$\">first</a> <a href=\"$SUB_DIR$/$LAST_PAGE$\">last</a>\n"
    "<a href=\"$MENU_PAGE$\">menu</a> <a href=\"$SUB_DIR$/$BLANK_PAGE$\">blank</a> $CUR_P$\n"
    "</html>\n";

constexpr std::string_view kImageTemplate =
    "<html>$TEXT1$ $CUR_P$/$TOTAL_P$\n"
    "<img src=\"$IMG_SRC$\" width=\"$IMG_WIDTH$\" height=\"$IMG_HEIGHT$\"> $IMG_FNAME$ "
    "$IMG_FSIZE$KB\n"
    "<!--IF_FIRST-->\n"
    "first\n"
    "<!--ELSE-->\n"
    "<a href=\"$PREV_PAGE$\">prev</a>\n"
    "<!--ENDIF-->\n"
    "<!--IF_LAST-->\n"
    "last $NEXT_PAGE$\n"
    "<!--ELSE-->\n"
    "<a href=\"$NEXT_PAGE$\">next</a>\n"
    "<!--ENDIF-->\n"
    "<a href=\"$INDEX_PAGE$\">index</a> $FIRST_PAGE$ $LAST_PAGE$ $SUB_DIR$ $MENU_PAGE$\n"
    "</html>\n";

// No table cell tag: the menu's cells follow one another without rows or fillers.
constexpr std::string_view kMenuTemplate =
    "<p>menu $TOTAL_P$ $SUB_DIR$ $THUMB_COL$ $TEXT1$</p>\n"
    "<!--THUMBNAIL-->\n"
    "<a href=\"$HREF$\">$INDEX$</a>\n"
    "<!--THUMBNAIL-->\n"
    "<p>$FIRST_PAGE$</p>\n";

// The blank page has no thumbnail section: its marker line is ordinary text.
constexpr std::string_view kBlankTemplate =
    "<p>blank $SUB_DIR$ $IMG_DIR$ $TOTAL_P$ $TEXT1$ $MENU_PAGE$</p>\n"
    "<!--THUMBNAIL-->\n";

// An index page that shows nothing but each cell's size, one per line.
constexpr std::string_view kCellSizeIndexTemplate =
    "<!--THUMBNAIL-->\n"
    "$WIDTH$x$HEIGHT$\n"
    "<!--THUMBNAIL-->\n";

struct CliResult {
  int status = -1;  // exit status; -1 when the CLI did not exit normally
  std::string out;
  std::string err;
};

// How the CLI is started besides its arguments.
struct Launch {
  std::string env;      // "NAME=value " assignments for the CLI's environment
  std::string setup;    // shell commands run first, each ending in " && "
  std::string wrapper;  // a command the CLI runs under, like "timeout 60 "
};

class AlbumTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project_.Set("InOut", "ImgSrcDir", "src/")
        .Set("InOut", "OutputDir", "out/")
        .Set("InOut", "SubDirName", "sub")
        .Set("InOut", "ImgDirName", "image")
        .Set("Thumbnail", "Width", "50")
        .Set("Thumbnail", "Height", "50")
        .Set("Thumbnail", "Column", "2")
        .Set("Thumbnail", "BlankCell", "BLANK")
        .Set("Others", "Text1", "Album")
        .Set("Template", "IndexPage", "index.tpl")
        .Set("Template", "ImagePage", "image.tpl")
        .Set("Template", "MenuPage", "menu.tpl")
        .Set("Template", "BlankPage", "blank.tpl");
    temp_.WriteFile("index.tpl", kIndexTemplate);
    temp_.WriteFile("image.tpl", kImageTemplate);
    temp_.WriteFile("menu.tpl", kMenuTemplate);
    temp_.WriteFile("blank.tpl", kBlankTemplate);
    temp_.MakeDir("src");
  }

  // The three sources of most tests: sorted without regard to case they are a.jpg, B.JPG and
  // c.jpg; their sizes give 1, 2 and 4 kilobytes with halves counted up.
  void AddThreeSources() {
    AddSource("a.jpg", PaddedTo(testing::MakeSolidJpeg(64, 48, 200, 40, 40), 1535));
    AddSource("B.JPG", PaddedTo(testing::MakeSolidJpeg(48, 64, 40, 200, 40), 1536));
    AddSource("c.jpg", PaddedTo(testing::MakeSolidJpeg(40, 30, 40, 40, 200), 3584));
  }

  void AddSource(const std::string& name, const std::string& bytes) {
    temp_.WriteFile("src/" + name, bytes);
    sources_[name] = bytes;
  }

  // Writes the project as album.prj and runs the CLI on it from the temp folder.
  CliResult Run(std::vector<std::string> options = {}, const Launch& launch = {}) {
    temp_.WriteFile("album.prj", project_.Text());
    const std::string out = temp_.Path("cli.stdout");
    const std::string err = temp_.Path("cli.stderr");
    std::string command = "cd " + Quoted(temp_.Root()) + " && " + launch.setup + launch.env +
                          "VELLUMIX_CODEPAGE=utf-8 exec " + launch.wrapper + Quoted(VELLUMIX_CLI);
    options.push_back("album.prj");
    for (const std::string& option : options) command += " " + Quoted(option);
    command += " >" + Quoted(out) + " 2>" + Quoted(err);
    const int status = std::system(command.c_str());
    CliResult result;
    if (status != -1 && WIFEXITED(status)) result.status = WEXITSTATUS(status);
    result.out = temp_.ReadFile("cli.stdout");
    result.err = temp_.ReadFile("cli.stderr");
    return result;
  }

  CliResult RunHtmlOnly() { return Run({"-H"}); }

  std::string Read(std::string_view relative) const { return temp_.ReadFile(relative); }
  bool Exists(std::string_view relative) const { return temp_.Exists(relative); }

  // The pixel size of a JPEG written by the run.
  std::pair<int, int> JpegSize(std::string_view relative) const {
    const JpegImage image = JpegImage::FromBytes(Read(relative));
    return {image.Width(), image.Height()};
  }

  RgbImage Decoded(std::string_view relative) const {
    return JpegImage::FromBytes(Read(relative)).DecodeFull();
  }

  testing::TempDir temp_;
  ProjectFile project_;
  std::map<std::string, std::string> sources_;
};

// Whether a decoded pixel is within `tolerance` of (r, g, b) in every channel.
::testing::AssertionResult PixelNear(const RgbImage& image, int x, int y, int r, int g, int b,
                                     int tolerance = 8) {
  const uint8_t* p = image.Row(y) + static_cast<size_t>(x) * 3;
  if (std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
      std::abs(p[2] - b) <= tolerance) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure()
         << "pixel (" << x << ", " << y << ") is (" << int{p[0]} << ", " << int{p[1]} << ", "
         << int{p[2]} << "), expected about (" << r << ", " << g << ", " << b << ")";
}

// Parameterised cases go by their `name`, in test names and in failure messages alike.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
  return info.param.name;
}

// ---------------------------------------------------------------------------------------------
// 1. A full run.

constexpr std::string_view kIndexPage =
    "<html><title>Album</title>\r\n"
    "<p>3 sub image 2</p>\r\n"
    "<table>\r\n"
    "<tr>\r\n"
    "<td><a href=\"sub/a.htm\"><img src=\"sub/a.jpg\" width=\"50\" height=\"37\"></a>"
    "1 a.jpg 1 64x48</td>\r\n"
    "<td><a href=\"sub/b.htm\"><img src=\"sub/b.jpg\" width=\"37\" height=\"50\"></a>"
    "2 b.jpg 2 48x64</td>\r\n"
    "</tr>\r\n"
    "<tr>\r\n"
    "<td><a href=\"sub/c.htm\"><img src=\"sub/c.jpg\" width=\"50\" height=\"37\"></a>"
    "3 c.jpg 4 40x30</td>\r\n"
    "<td>BLANK</td>\r\n"
    "</tr>\r\n"
    "\r\n"
    "</table>\r\n"
    "<a href=\"sub/a.htm\">first</a> <a href=\"sub/c.htm\">last</a>\r\n"
    "<a href=\"menu.htm\">menu</a> <a href=\"sub/blank.htm\">blank</a> $CUR_P$\r\n"
    "</html>\r\n";

constexpr std::string_view kFirstImagePage =
    "<html>Album 1/3\r\n"
    "<img src=\"../image/a.jpg\" width=\"64\" height=\"48\"> a.jpg 1KB\r\n"
    "first\r\n"
    "<a href=\"b.htm\">next</a>\r\n"
    "<a href=\"../index.htm\">index</a> a.htm c.htm $SUB_DIR$ $MENU_PAGE$\r\n"
    "</html>\r\n";

constexpr std::string_view kMiddleImagePage =
    "<html>Album 2/3\r\n"
    "<img src=\"../image/b.jpg\" width=\"48\" height=\"64\"> b.jpg 2KB\r\n"
    "<a href=\"a.htm\">prev</a>\r\n"
    "<a href=\"c.htm\">next</a>\r\n"
    "<a href=\"../index.htm\">index</a> a.htm c.htm $SUB_DIR$ $MENU_PAGE$\r\n"
    "</html>\r\n";

constexpr std::string_view kLastImagePage =
    "<html>Album 3/3\r\n"
    "<img src=\"../image/c.jpg\" width=\"40\" height=\"30\"> c.jpg 4KB\r\n"
    "<a href=\"b.htm\">prev</a>\r\n"
    "last $NEXT_PAGE$\r\n"
    "<a href=\"../index.htm\">index</a> a.htm c.htm $SUB_DIR$ $MENU_PAGE$\r\n"
    "</html>\r\n";

constexpr std::string_view kMenuPage =
    "<p>menu 3 sub $THUMB_COL$ Album</p>\r\n"
    "<a href=\"sub/a.htm\">1</a>\r\n"
    "<a href=\"sub/b.htm\">2</a>\r\n"
    "<a href=\"sub/c.htm\">3</a>\r\n"
    "\r\n"
    "<p>$FIRST_PAGE$</p>\r\n";

constexpr std::string_view kBlankPage =
    "<p>blank sub image 3 Album $MENU_PAGE$</p>\r\n"
    "<!--THUMBNAIL-->\r\n";

TEST_F(AlbumTest, FullRunLogsEveryStepAndWritesEveryPage) {
  AddThreeSources();
  const CliResult result = Run();

  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, LogHead(3) + LogText({
                                         "a.jpg  →a.jpg/  →a.jpg/  →a.htm",
                                         "B.JPG  →b.jpg/  →b.jpg/  →b.htm",
                                         "c.jpg  →c.jpg/  →c.jpg/  →c.htm",
                                         "→ menu.htm",
                                         "→ blank.htm",
                                         "→ index.htm",
                                         "終了しました",
                                     }));
  EXPECT_EQ(Read("out/index.htm"), kIndexPage);
  EXPECT_EQ(Read("out/sub/a.htm"), kFirstImagePage);
  EXPECT_EQ(Read("out/sub/b.htm"), kMiddleImagePage);
  EXPECT_EQ(Read("out/sub/c.htm"), kLastImagePage);
  EXPECT_EQ(Read("out/menu.htm"), kMenuPage);
  EXPECT_EQ(Read("out/sub/blank.htm"), kBlankPage);

  EXPECT_EQ(Read("out/image/a.jpg"), sources_["a.jpg"]);
  EXPECT_EQ(Read("out/image/b.jpg"), sources_["B.JPG"]);
  EXPECT_EQ(Read("out/image/c.jpg"), sources_["c.jpg"]);
  EXPECT_EQ(JpegSize("out/sub/a.jpg"), std::make_pair(50, 37));
  EXPECT_EQ(JpegSize("out/sub/b.jpg"), std::make_pair(37, 50));
  EXPECT_EQ(JpegSize("out/sub/c.jpg"), std::make_pair(50, 37));
}

TEST_F(AlbumTest, SingleImageIsFirstAndLast) {
  AddSource("only.jpg", PaddedTo(testing::MakeSolidJpeg(16, 16, 90, 90, 90), 1024));
  const CliResult result = Run();

  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(Read("out/sub/only.htm"),
            PageText({
                "<html>Album 1/1",
                "<img src=\"../image/only.jpg\" width=\"16\" height=\"16\"> only.jpg 1KB",
                "first",
                "last $NEXT_PAGE$",
                "<a href=\"../index.htm\">index</a> only.htm only.htm $SUB_DIR$ $MENU_PAGE$",
                "</html>",
            }));
}

// Output names: the patterns and NameUpperCase, seen in the log, on disk and in the links.
struct NamingCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> in_out;  // keys set in section InOut
  std::string image_lines;                                  // log lines of the three images
  std::string closing_lines;                                // menu, blank and index lines
  std::vector<std::string> files;                           // written, relative to the temp root
  std::vector<std::string> absent;                          // not written
  std::string index_path;
  std::string index_first_cell;
  std::string first_page_path;
  std::vector<std::string> first_page_parts;
};
void PrintTo(const NamingCase& c, std::ostream* os) { *os << c.name; }

class AlbumNamingTest : public AlbumTest, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(AlbumNamingTest, NamesFilesLogAndLinks) {
  const NamingCase& c = GetParam();
  for (const auto& [key, value] : c.in_out) project_.Set("InOut", key, value);
  AddThreeSources();
  const CliResult result = Run();

  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(result.out, LogHead(3) + c.image_lines + c.closing_lines + LogText({"終了しました"}));
  for (const std::string& file : c.files) EXPECT_TRUE(Exists(file)) << file;
  for (const std::string& file : c.absent) EXPECT_FALSE(Exists(file)) << file;
  EXPECT_THAT(Read(c.index_path), HasSubstr(c.index_first_cell));
  for (const std::string& part : c.first_page_parts) {
    EXPECT_THAT(Read(c.first_page_path), HasSubstr(part));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, AlbumNamingTest,
    ::testing::Values(
        NamingCase{
            "SerialNumberAndThumbnailPatterns",
            {{"ImgNameFormat", "photo$SER_NO$"}, {"ThmNameFormat", "t_$IMG_NAME$"}},
            LogText({"a.jpg  →photo001.jpg/  →t_photo001.jpg/  →photo001.htm",
                     "B.JPG  →photo002.jpg/  →t_photo002.jpg/  →photo002.htm",
                     "c.jpg  →photo003.jpg/  →t_photo003.jpg/  →photo003.htm"}),
            LogText({"→ menu.htm", "→ blank.htm", "→ index.htm"}),
            {"out/image/photo001.jpg", "out/image/photo003.jpg", "out/sub/t_photo001.jpg",
             "out/sub/t_photo003.jpg", "out/sub/photo001.htm", "out/sub/photo003.htm"},
            {"out/image/a.jpg", "out/sub/a.jpg", "out/sub/a.htm"},
            "out/index.htm",
            "<td><a href=\"sub/photo001.htm\"><img src=\"sub/t_photo001.jpg\" width=\"50\" "
            "height=\"37\"></a>1 photo001.jpg 1 64x48</td>\r\n",
            "out/sub/photo001.htm",
            {"<img src=\"../image/photo001.jpg\"", "<a href=\"photo002.htm\">next</a>",
             " photo001.htm photo003.htm "},
        },
        NamingCase{
            "UpperCaseKeepsTheOutputFolderAsWritten",
            {{"OutputDir", "Out/"}, {"NameUpperCase", "1"}},
            LogText({"a.jpg  →A.JPG/  →A.JPG/  →A.HTM", "B.JPG  →B.JPG/  →B.JPG/  →B.HTM",
                     "c.jpg  →C.JPG/  →C.JPG/  →C.HTM"}),
            LogText({"→ MENU.HTM", "→ BLANK.HTM", "→ INDEX.HTM"}),
            {"Out/INDEX.HTM", "Out/MENU.HTM", "Out/SUB/BLANK.HTM", "Out/IMAGE/A.JPG",
             "Out/IMAGE/C.JPG", "Out/SUB/A.JPG", "Out/SUB/A.HTM", "Out/SUB/C.HTM"},
            {"OUT", "out", "Out/index.htm", "Out/menu.htm", "Out/image", "Out/sub"},
            "Out/INDEX.HTM",
            "<td><a href=\"SUB/A.HTM\"><img src=\"SUB/A.JPG\" width=\"50\" height=\"37\"></a>"
            "1 A.JPG 1 64x48</td>\r\n",
            "Out/SUB/A.HTM",
            {"<img src=\"../IMAGE/A.JPG\"", "<a href=\"../INDEX.HTM\">index</a> A.HTM C.HTM",
             "<a href=\"B.HTM\">next</a>"},
        },
        NamingCase{
            "UpperCaseAppliesToPatternNames",
            {{"NameUpperCase", "1"},
             {"ImgNameFormat", "photo$SER_NO$"},
             {"ThmNameFormat", "t_$IMG_NAME$"}},
            LogText({"a.jpg  →PHOTO001.JPG/  →T_PHOTO001.JPG/  →PHOTO001.HTM",
                     "B.JPG  →PHOTO002.JPG/  →T_PHOTO002.JPG/  →PHOTO002.HTM",
                     "c.jpg  →PHOTO003.JPG/  →T_PHOTO003.JPG/  →PHOTO003.HTM"}),
            LogText({"→ MENU.HTM", "→ BLANK.HTM", "→ INDEX.HTM"}),
            {"out/IMAGE/PHOTO002.JPG", "out/SUB/T_PHOTO002.JPG", "out/SUB/PHOTO002.HTM"},
            {"OUT"},
            "out/INDEX.HTM",
            "<td><a href=\"SUB/PHOTO001.HTM\"><img src=\"SUB/T_PHOTO001.JPG\" width=\"50\" "
            "height=\"37\"></a>1 PHOTO001.JPG 1 64x48</td>\r\n",
            "out/SUB/PHOTO001.HTM",
            {"<img src=\"../IMAGE/PHOTO001.JPG\""},
        }),
    CaseName<NamingCase>);

// ---------------------------------------------------------------------------------------------
// 2. Thumbnails.

struct ThumbnailCase {
  const char* name;
  int source_width;
  int source_height;
  std::vector<std::pair<std::string, std::string>> settings;  // keys set in section Thumbnail
  std::pair<int, int> thumbnail;
  std::pair<int, int> cell;
};
void PrintTo(const ThumbnailCase& c, std::ostream* os) { *os << c.name; }

class ThumbnailSizeTest : public AlbumTest, public ::testing::WithParamInterface<ThumbnailCase> {};

TEST_P(ThumbnailSizeTest, FileAndCellHaveTheSize) {
  const ThumbnailCase& c = GetParam();
  for (const auto& [key, value] : c.settings) project_.Set("Thumbnail", key, value);
  temp_.WriteFile("index.tpl", kCellSizeIndexTemplate);
  AddSource("p.jpg", testing::MakeTestJpeg(c.source_width, c.source_height));
  const CliResult result = Run();

  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(JpegSize("out/sub/p.jpg"), c.thumbnail);
  EXPECT_EQ(Read("out/index.htm"),
            PageText({std::to_string(c.cell.first) + "x" + std::to_string(c.cell.second), ""}));
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, ThumbnailSizeTest,
    ::testing::Values(
        ThumbnailCase{"LandscapeFitsTheBox", 640, 480, {}, {50, 37}, {50, 37}},
        ThumbnailCase{"PortraitFitsTheBox", 480, 640, {}, {37, 50}, {37, 50}},
        ThumbnailCase{"SmallImageIsEnlarged", 40, 30, {}, {50, 37}, {50, 37}},
        ThumbnailCase{"ImageWithTheBoxProportions", 100, 100, {}, {50, 50}, {50, 50}},
        ThumbnailCase{"WideBox", 640, 480, {{"Width", "80"}, {"Height", "30"}}, {40, 30}, {40, 30}},
        ThumbnailCase{
            "PercentTenIsOneLessThanExact", 640, 480, {{"Percent", "10"}}, {63, 47}, {63, 47}},
        ThumbnailCase{"PercentTwentyFive", 640, 480, {{"Percent", "25"}}, {160, 120}, {160, 120}},
        ThumbnailCase{
            "PercentAbove100IsFullSize", 64, 48, {{"Percent", "250"}}, {64, 48}, {64, 48}},
        ThumbnailCase{"FillSpaceGivesTheBox", 640, 480, {{"FillSpace", "1"}}, {50, 50}, {50, 50}},
        ThumbnailCase{"FillSpaceWithPercentDoesNotFill",
                      640,
                      480,
                      {{"FillSpace", "1"}, {"Percent", "20"}},
                      {127, 95},
                      {127, 95}}),
    CaseName<ThumbnailCase>);

// FillSpace: where the picture stands in the box. A black picture on white padding differs in
// brightness only, which survives JPEG's colour subsampling sharply enough to find every edge.
struct PlacementCase {
  const char* name;
  int source_width;
  int source_height;
  bool vertical;  // margins at top and bottom (scan down the middle column), else left and right
  int picture_begin;
  int picture_end;  // first pixel after the picture
};
void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.name; }

class FillSpacePlacementTest : public AlbumTest,
                               public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(FillSpacePlacementTest, PictureIsCentredWithTheOddPixelAfterIt) {
  const PlacementCase& c = GetParam();
  project_.Set("Thumbnail", "FillSpace", "1").Set("Thumbnail", "Quality", "100");
  AddSource("p.jpg", testing::MakeSolidJpeg(c.source_width, c.source_height, 0, 0, 0));
  const CliResult result = Run();
  ASSERT_EQ(result.status, 0) << result.out << result.err;

  const RgbImage thumb = Decoded("out/sub/p.jpg");
  ASSERT_EQ(thumb.width, 50);
  ASSERT_EQ(thumb.height, 50);
  for (int i = 0; i < 50; ++i) {
    const int x = c.vertical ? 25 : i;
    const int y = c.vertical ? i : 25;
    const bool in_picture = i >= c.picture_begin && i < c.picture_end;
    const int level = in_picture ? 0 : 255;
    EXPECT_TRUE(PixelNear(thumb, x, y, level, level, level))
        << (in_picture ? "picture" : "padding") << " at " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Placement, FillSpacePlacementTest,
                         ::testing::Values(PlacementCase{"Landscape", 640, 480, true, 6, 43},
                                           PlacementCase{"Portrait", 480, 640, false, 6, 43},
                                           PlacementCase{"OddMarginOfOne", 50, 49, true, 0, 49}),
                         CaseName<PlacementCase>);

// SpaceColor holds red in its lowest byte and blue in its third.
struct SpaceColorCase {
  const char* name;
  const char* space_color;
  int r, g, b;
};
void PrintTo(const SpaceColorCase& c, std::ostream* os) { *os << c.name; }

class SpaceColorTest : public AlbumTest, public ::testing::WithParamInterface<SpaceColorCase> {};

TEST_P(SpaceColorTest, PaddingTakesTheColourAndThePictureKeepsItsOwn) {
  const SpaceColorCase& c = GetParam();
  project_.Set("Thumbnail", "FillSpace", "1")
      .Set("Thumbnail", "Quality", "100")
      .Set("Thumbnail", "SpaceColor", c.space_color);
  AddSource("green.jpg", testing::MakeSolidJpeg(640, 480, 0, 255, 0));
  const CliResult result = Run();
  ASSERT_EQ(result.status, 0) << result.out << result.err;

  const RgbImage thumb = Decoded("out/sub/green.jpg");
  ASSERT_EQ(thumb.width, 50);
  ASSERT_EQ(thumb.height, 50);
  EXPECT_TRUE(PixelNear(thumb, 25, 1, c.r, c.g, c.b)) << "top padding";
  EXPECT_TRUE(PixelNear(thumb, 25, 48, c.r, c.g, c.b)) << "bottom padding";
  EXPECT_TRUE(PixelNear(thumb, 25, 25, 0, 255, 0)) << "picture";
}

INSTANTIATE_TEST_SUITE_P(Colours, SpaceColorTest,
                         ::testing::Values(SpaceColorCase{"Red", "255", 255, 0, 0},
                                           SpaceColorCase{"BlueInHex", "0xFF0000", 0, 0, 255},
                                           SpaceColorCase{"WhiteByDefault", "", 255, 255, 255}),
                         CaseName<SpaceColorCase>);

// ---------------------------------------------------------------------------------------------
// 3. Copies keep their bytes and the source's date to two seconds (a DOS date), in local time.

struct CopyTimeCase {
  const char* name;
  const char* tz;
  std::time_t source_seconds;
  long source_nanoseconds;
  std::time_t copy_seconds;
};
void PrintTo(const CopyTimeCase& c, std::ostream* os) { *os << c.name; }

class CopyTimeTest : public AlbumTest, public ::testing::WithParamInterface<CopyTimeCase> {};

TEST_P(CopyTimeTest, CopyKeepsBytesAndTimeToTwoSeconds) {
  const CopyTimeCase& c = GetParam();
  AddSource("a.jpg", testing::MakeTestJpeg(33, 17));
  SetMTime(temp_.Path("src/a.jpg"), c.source_seconds, c.source_nanoseconds);
  Launch launch;
  launch.env = std::string("TZ=") + c.tz + " ";
  const CliResult result = Run({}, launch);
  ASSERT_EQ(result.status, 0) << result.out << result.err;

  EXPECT_EQ(Read("out/image/a.jpg"), sources_["a.jpg"]);
  const struct timespec copy = MTime(temp_.Path("out/image/a.jpg"));
  EXPECT_EQ(copy.tv_sec, c.copy_seconds);
  EXPECT_EQ(copy.tv_nsec, 0);
  // The source itself is left alone.
  const struct timespec source = MTime(temp_.Path("src/a.jpg"));
  EXPECT_EQ(source.tv_sec, c.source_seconds);
  EXPECT_EQ(source.tv_nsec, c.source_nanoseconds);
}

// 1600000000 is 2020-09-13 12:26:40 UTC. In the zone "ODD", one second east of UTC, the same
// instant reads 12:26:41 on the local clock, whose odd second is what the DOS date drops.
INSTANTIATE_TEST_SUITE_P(Times, CopyTimeTest,
                         ::testing::Values(CopyTimeCase{"OddSecondRoundsDown", "UTC0", 1600000001,
                                                        700000000, 1600000000},
                                           CopyTimeCase{"EvenSecondStays", "UTC0", 1600000002, 0,
                                                        1600000002},
                                           CopyTimeCase{"ParityOfTheLocalClock", "ODD-0:00:01",
                                                        1600000000, 0, 1599999999}),
                         CaseName<CopyTimeCase>);

// ---------------------------------------------------------------------------------------------
// 4. Sources that already lie in the image folder are renamed where they stand.

struct InPlaceCase {
  const char* name;
  std::string img_src_dir;  // "{root}" stands for the temp folder
};
void PrintTo(const InPlaceCase& c, std::ostream* os) { *os << c.name; }

class InPlaceTest : public AlbumTest, public ::testing::WithParamInterface<InPlaceCase> {
 protected:
  void SetUp() override {
    AlbumTest::SetUp();
    temp_.MakeDir("out/image");
    fs::create_directory_symlink("out/image", temp_.Path("link"));
    std::string dir = GetParam().img_src_dir;
    if (dir.starts_with("{root}")) dir = temp_.Root() + dir.substr(6);
    project_.Set("InOut", "ImgSrcDir", dir);
    a_ = testing::MakeSolidJpeg(64, 48, 10, 20, 30);
    b_ = PaddedTo(testing::MakeSolidJpeg(48, 64, 30, 20, 10), 2048);
    temp_.WriteFile("out/image/a.jpg", a_);
    temp_.WriteFile("out/image/b.jpg", b_);
  }

  std::vector<std::string> ImageFolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(temp_.Path("out/image"))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string a_;
  std::string b_;
};

TEST_P(InPlaceTest, SourcesAreRenamedToTheirNewNames) {
  project_.Set("InOut", "ImgNameFormat", "photo$SER_NO$");
  const CliResult result = Run();

  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(result.out, LogHead(2) + LogText({
                                         "a.jpg  →photo001.jpg/  →photo001.jpg/  →photo001.htm",
                                         "b.jpg  →photo002.jpg/  →photo002.jpg/  →photo002.htm",
                                         "→ menu.htm",
                                         "→ blank.htm",
                                         "→ index.htm",
                                         "終了しました",
                                     }));
  EXPECT_EQ(ImageFolderNames(), (std::vector<std::string>{"photo001.jpg", "photo002.jpg"}));
  EXPECT_EQ(Read("out/image/photo001.jpg"), a_);
  EXPECT_EQ(Read("out/image/photo002.jpg"), b_);
  EXPECT_THAT(Read("out/sub/photo002.htm"), HasSubstr("photo002.jpg 2KB"));
}

TEST_P(InPlaceTest, NamesAlreadyRightMoveNothing) {
  const CliResult result = Run();

  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(result.out, LogHead(2) + LogText({
                                         "a.jpg/  →a.jpg/  →a.htm",
                                         "b.jpg/  →b.jpg/  →b.htm",
                                         "→ menu.htm",
                                         "→ blank.htm",
                                         "→ index.htm",
                                         "終了しました",
                                     }));
  EXPECT_EQ(ImageFolderNames(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_EQ(Read("out/image/a.jpg"), a_);
  EXPECT_EQ(Read("out/image/b.jpg"), b_);
  // The size is still read from the file that stayed.
  EXPECT_THAT(Read("out/sub/b.htm"), HasSubstr("b.jpg 2KB"));
}

TEST_P(InPlaceTest, TakenNameAbortsAndTouchesNeitherFile) {
  // a.jpg is to become b.jpg, which exists: it is the next source.
  project_.Set("InOut", "ImgNameFormat", "b");
  const CliResult result = Run();

  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.out, LogHead(2) + LogText({
                                         "a.jpg",
                                         "エラー: ファイル名の変更に失敗しました",
                                         "中断しました",
                                     }));
  EXPECT_EQ(ImageFolderNames(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
  EXPECT_EQ(Read("out/image/a.jpg"), a_);
  EXPECT_EQ(Read("out/image/b.jpg"), b_);
  EXPECT_FALSE(Exists("out/index.htm"));
}

INSTANTIATE_TEST_SUITE_P(SameFolder, InPlaceTest,
                         ::testing::Values(InPlaceCase{"AsWritten", "out/image/"},
                                           InPlaceCase{"ThroughDotsAndDoubleSlashes",
                                                       "./out//./image"},
                                           InPlaceCase{"ThroughASymlink", "link/"},
                                           InPlaceCase{"Absolute", "{root}/out/image/"}),
                         CaseName<InPlaceCase>);

// ---------------------------------------------------------------------------------------------
// 5. HTML-only runs over an earlier full run.

class HtmlOnlyTest : public AlbumTest {
 protected:
  static constexpr std::time_t kOldTime = 1000000000;  // 2001, long before any run here

  // A full run, then every image and thumbnail dated back and every page made stale, so that
  // the HTML-only run shows what it rewrites.
  void SetUp() override {
    AlbumTest::SetUp();
    AddThreeSources();
    const CliResult full = Run();
    ASSERT_EQ(full.status, 0) << full.out << full.err;
    for (const auto& entry : fs::recursive_directory_iterator(temp_.Path("out"))) {
      if (!entry.is_regular_file()) continue;
      const std::string path = entry.path().string();
      const std::string relative = entry.path().lexically_relative(temp_.Root()).string();
      if (entry.path().extension() == ".htm") {
        pages_[relative] = Read(relative);
        temp_.WriteFile(relative, "stale");
      } else {
        SetMTime(path, kOldTime);
        images_[relative] = Read(relative);
      }
    }
    ASSERT_EQ(pages_.size(), 6u);
    ASSERT_EQ(images_.size(), 6u);
  }

  void ExpectImagesUntouched() {
    for (const auto& [relative, bytes] : images_) {
      EXPECT_EQ(Read(relative), bytes) << relative;
      EXPECT_EQ(MTime(temp_.Path(relative)).tv_sec, kOldTime) << relative;
    }
  }

  std::map<std::string, std::string> pages_;   // as the full run wrote them
  std::map<std::string, std::string> images_;  // images and thumbnails
};

TEST_F(HtmlOnlyTest, RewritesThePagesAndNoImage) {
  const CliResult result = RunHtmlOnly();

  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(result.out, LogHead(3) + LogText({
                                         "a.jpg/  →a.htm",
                                         "B.JPG/  →b.htm",
                                         "c.jpg/  →c.htm",
                                         "→ menu.htm",
                                         "→ blank.htm",
                                         "→ index.htm",
                                         "終了しました",
                                     }));
  for (const auto& [relative, bytes] : pages_) EXPECT_EQ(Read(relative), bytes) << relative;
  EXPECT_EQ(Read("out/index.htm"), kIndexPage);
  ExpectImagesUntouched();
}

struct MissingFileCase {
  const char* name;
  const char* deleted;
  std::string image_lines;  // through the image that misses its file
  const char* message;
  std::vector<std::string> rewritten;  // pages of the images before it
};
void PrintTo(const MissingFileCase& c, std::ostream* os) { *os << c.name; }

class HtmlOnlyMissingFileTest : public HtmlOnlyTest,
                                public ::testing::WithParamInterface<MissingFileCase> {};

TEST_P(HtmlOnlyMissingFileTest, AbortsAtTheImageAfterWritingEarlierPages) {
  const MissingFileCase& c = GetParam();
  fs::remove(temp_.Path(c.deleted));
  images_.erase(c.deleted);
  const CliResult result = RunHtmlOnly();

  EXPECT_EQ(result.status, 1) << result.err;
  EXPECT_EQ(result.out, LogHead(3) + c.image_lines + LogText({c.message, "中断しました"}));
  for (const auto& [relative, bytes] : pages_) {
    const bool rewritten =
        std::find(c.rewritten.begin(), c.rewritten.end(), relative) != c.rewritten.end();
    EXPECT_EQ(Read(relative), rewritten ? bytes : "stale") << relative;
  }
  ExpectImagesUntouched();
}

INSTANTIATE_TEST_SUITE_P(Missing, HtmlOnlyMissingFileTest,
                         ::testing::Values(MissingFileCase{"ExportedImage",
                                                           "out/image/b.jpg",
                                                           LogText({"a.jpg/  →a.htm", "B.JPG"}),
                                                           "エラー: 画像ファイルがありません",
                                                           {"out/sub/a.htm"}},
                                           MissingFileCase{"Thumbnail",
                                                           "out/sub/c.jpg",
                                                           LogText({"a.jpg/  →a.htm",
                                                                    "B.JPG/  →b.htm", "c.jpg"}),
                                                           "エラー: サムネイルがありません",
                                                           {"out/sub/a.htm", "out/sub/b.htm"}}),
                         CaseName<MissingFileCase>);

TEST_F(AlbumTest, WithoutThumbnailNamesNoThumbnailIsMadeOrRequired) {
  project_.Set("InOut", "ThmNameFormat", "");
  AddThreeSources();
  const CliResult full = Run();

  ASSERT_EQ(full.status, 0) << full.out << full.err;
  EXPECT_EQ(full.out, LogHead(3) + LogText({
                                       "a.jpg  →a.jpg/  →a.htm",
                                       "B.JPG  →b.jpg/  →b.htm",
                                       "c.jpg  →c.jpg/  →c.htm",
                                       "→ menu.htm",
                                       "→ blank.htm",
                                       "→ index.htm",
                                       "終了しました",
                                   }));
  for (const auto& entry : fs::directory_iterator(temp_.Path("out/sub"))) {
    EXPECT_EQ(entry.path().extension(), ".htm") << entry.path();
  }
  // The cell still gets its size and a source of the sub folder alone.
  EXPECT_THAT(Read("out/index.htm"),
              HasSubstr("<td><a href=\"sub/a.htm\"><img src=\"sub/\" width=\"50\" height=\"37\">"));

  const CliResult html_only = RunHtmlOnly();
  EXPECT_EQ(html_only.status, 0) << html_only.out << html_only.err;
  EXPECT_THAT(html_only.out, HasSubstr("\nc.jpg/  →c.htm\n"));
}

// ---------------------------------------------------------------------------------------------
// 6. Sources the decoder rejects or only warns about.

struct BadSourceCase {
  const char* name;
  std::string (*bytes)();
  const char* message_start;  // of the decoder's message on stderr
};
void PrintTo(const BadSourceCase& c, std::ostream* os) { *os << c.name; }

class BadSourceTest : public AlbumTest, public ::testing::WithParamInterface<BadSourceCase> {};

TEST_P(BadSourceTest, FailsAtTheImageAndKeepsEarlierFiles) {
  const BadSourceCase& c = GetParam();
  AddSource("a.jpg", testing::MakeSolidJpeg(64, 48, 200, 40, 40));
  AddSource("b.jpg", c.bytes());
  AddSource("c.jpg", testing::MakeSolidJpeg(64, 48, 40, 40, 200));
  const CliResult result = Run();

  EXPECT_EQ(result.status, 2);
  EXPECT_THAT(result.err, StartsWith(c.message_start));
  EXPECT_EQ(result.out, LogHead(3) + LogText({"a.jpg  →a.jpg/  →a.jpg/  →a.htm", "b.jpg"}));
  for (const char* file : {"out/image/a.jpg", "out/sub/a.jpg", "out/sub/a.htm"}) {
    EXPECT_TRUE(Exists(file)) << file;
  }
  for (const char* file :
       {"out/image/b.jpg", "out/sub/b.jpg", "out/sub/b.htm", "out/sub/c.jpg", "out/index.htm"}) {
    EXPECT_FALSE(Exists(file)) << file;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rejected, BadSourceTest,
    ::testing::Values(BadSourceCase{"TextFile",
                                    [] { return std::string("just some words, no picture\n"); },
                                    "Not a JPEG file"},
                      BadSourceCase{"EmptyFile", [] { return std::string(); }, "Empty input file"}),
    CaseName<BadSourceCase>);

TEST_F(AlbumTest, TruncatedJpegOnlyWarnsAndTheRunFinishes) {
  const std::string whole = testing::MakeTestJpeg(64, 48);
  AddSource("cut.jpg", whole.substr(0, whole.size() / 2));
  const CliResult result = Run();

  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_THAT(result.out, HasSubstr("\ncut.jpg  →cut.jpg/  →cut.jpg/  →cut.htm\n"));
  EXPECT_EQ(Read("out/image/cut.jpg"), sources_["cut.jpg"]);
  EXPECT_EQ(JpegSize("out/sub/cut.jpg"), std::make_pair(50, 37));
}

TEST_F(AlbumTest, HugeClaimedSizeNeitherCrashesNorExhaustsMemory) {
  AddSource("huge.jpg", WithClaimedSize(testing::MakeTestJpeg(64, 48), 60000, 60000));
  Launch launch;
  launch.wrapper = "timeout 60 ";
#if !defined(__SANITIZE_ADDRESS__)
  launch.setup = "ulimit -v 1048576 && ";  // 1 GiB; AddressSanitizer needs far more address space
#endif
  const CliResult result = Run({}, launch);

  EXPECT_TRUE(result.status == 0 || result.status == 2) << "status " << result.status << "\n"
                                                        << result.out << result.err;
}

// ---------------------------------------------------------------------------------------------
// 7. A project without a Thumbnail section.

TEST_F(AlbumTest, WithoutThumbnailSectionTheTablesShrinkToAnEmptyLine) {
  project_.RemoveSection("Thumbnail");
  AddThreeSources();
  const CliResult result = Run();

  ASSERT_EQ(result.status, 0) << result.out << result.err;
  EXPECT_EQ(result.out, LogHead(3) + LogText({
                                         "a.jpg  →a.jpg/  →a.htm",
                                         "B.JPG  →b.jpg/  →b.htm",
                                         "c.jpg  →c.jpg/  →c.htm",
                                         "→ menu.htm",
                                         "→ blank.htm",
                                         "→ index.htm",
                                         "終了しました",
                                     }));
  EXPECT_EQ(Read("out/index.htm"),
            PageText({
                "<html><title>Album</title>",
                "<p>3 sub image $THUMB_COL$</p>",
                "<table>",
                "",
                "</table>",
                "<a href=\"sub/a.htm\">first</a> <a href=\"sub/c.htm\">last</a>",
                "<a href=\"menu.htm\">menu</a> <a href=\"sub/blank.htm\">blank</a> $CUR_P$",
                "</html>",
            }));
  EXPECT_EQ(Read("out/menu.htm"), PageText({
                                      "<p>menu 3 sub $THUMB_COL$ Album</p>",
                                      "",
                                      "<p>$FIRST_PAGE$</p>",
                                  }));
  EXPECT_EQ(Read("out/sub/a.htm"), kFirstImagePage);
  std::vector<std::string> sub_files;
  for (const auto& entry : fs::directory_iterator(temp_.Path("out/sub"))) {
    sub_files.push_back(entry.path().filename().string());
  }
  std::sort(sub_files.begin(), sub_files.end());
  EXPECT_EQ(sub_files, (std::vector<std::string>{"a.htm", "b.htm", "blank.htm", "c.htm"}));
}

}  // namespace
}  // namespace vellumix
