// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/errors.h"
#include "testing/temp_dir.h"

namespace vellumix {
namespace {

using vellumix::testing::TempDir;

class FileSystemTest : public ::testing::Test {
 protected:
  TempDir dir_;
};

TEST_F(FileSystemTest, TellsFoldersFromFiles) {
  dir_.MakeDir("folder");
  dir_.WriteFile("file", "x");
  ASSERT_EQ(0, symlink(dir_.Path("folder").c_str(), dir_.Path("link").c_str()));
  ASSERT_EQ(0, symlink(dir_.Path("gone").c_str(), dir_.Path("dangling").c_str()));
  const struct {
    const char* name;
    bool directory, file;
  } cases[] = {
      {"folder", true, false}, {"folder/", true, false},  {"link", true, false},
      {"file", false, true},   {"missing", false, false}, {"dangling", false, false},
      {"file/", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.directory, IsDirectory(dir_.Path(c.name))) << c.name;
    EXPECT_EQ(c.file, IsFile(dir_.Path(c.name))) << c.name;
  }
  EXPECT_FALSE(IsDirectory(""));
}

TEST_F(FileSystemTest, CreateOneDirectoryMakesExactlyOneLevel) {
  EXPECT_TRUE(CreateOneDirectory(dir_.Path("out")));
  EXPECT_TRUE(IsDirectory(dir_.Path("out")));
  EXPECT_TRUE(CreateOneDirectory(dir_.Path("out/img/")));  // folder values end in "/"
  EXPECT_TRUE(IsDirectory(dir_.Path("out/img")));

  EXPECT_FALSE(CreateOneDirectory(dir_.Path("out")));  // already there
  EXPECT_FALSE(CreateOneDirectory(dir_.Path("missing/out")));
  EXPECT_FALSE(dir_.Exists("missing"));

  dir_.WriteFile("taken", "keep me");
  EXPECT_FALSE(CreateOneDirectory(dir_.Path("taken")));
  EXPECT_EQ("keep me", dir_.ReadFile("taken"));
}

TEST_F(FileSystemTest, ListDirectoryReportsFoldersIncludingLinkedOnes) {
  dir_.WriteFile("d/a.jpg", "");
  dir_.MakeDir("d/sub");
  ASSERT_EQ(0, symlink("sub", dir_.Path("d/link").c_str()));
  auto entries = ListDirectory(dir_.Path("d"));
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("a.jpg", entries[0].name);
  EXPECT_FALSE(entries[0].is_directory);
  EXPECT_EQ("link", entries[1].name);
  EXPECT_TRUE(entries[1].is_directory);
  EXPECT_EQ("sub", entries[2].name);
  EXPECT_TRUE(entries[2].is_directory);

  EXPECT_TRUE(ListDirectory(dir_.Path("missing")).empty());
  EXPECT_TRUE(ListDirectory(dir_.Path("d/a.jpg")).empty());
}

TEST(FileSystem, MatchesMaskWithWildcardsAndWithoutCase) {
  const struct {
    const char* name;
    const char* mask;
    bool matches;
  } cases[] = {
      {"a.jpg", "*.jpg", true},
      {"a.JPG", "*.jpg", true},
      {"b.Jpg", "*.jpg", true},
      {"c.jpeg", "*.jpg", false},
      {"d.jpg.bak", "*.jpg", false},
      {".jpg", "*.jpg", true},
      {"a.b.jpg", "*.jpg", true},
      {"jpg", "*.jpg", false},
      {"noext", "*.*", true},
      {"a.b", "*.*", true},
      {"", "*", true},
      {"x", "", false},
      {"img1.jpg", "img?.jpg", true},
      {"img10.jpg", "img?.jpg", false},
      {"img.jpg", "img?.jpg", false},
      {"abcabd", "*abd", true},
      {"aXbYc", "a*b*c", true},
      {"aXbY", "a*b*c", false},
      {"x.jpg", "*.*jpg", true},
      {"[a].jpg", "[a].jpg", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.matches, MatchesMask(c.name, c.mask)) << c.name << " ~ " << c.mask;
  }
}

TEST_F(FileSystemTest, ReadAndWriteKeepEveryByte) {
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes += static_cast<char>(i);
  dir_.WriteFile("f", std::string(1000, 'x'));
  WriteFileBytes(dir_.Path("f"), all_bytes);
  EXPECT_EQ(all_bytes, dir_.ReadFile("f"));
  EXPECT_EQ(all_bytes, ReadFileBytes(dir_.Path("f")));
  WriteFileBytes(dir_.Path("f"), "");
  EXPECT_EQ("", ReadFileBytes(dir_.Path("f")));
}

TEST_F(FileSystemTest, ReadAndWriteFailuresNameThePath) {
  dir_.MakeDir("folder");
  const std::string missing = dir_.Path("missing");
  EXPECT_THAT([&] { ReadFileBytes(missing); },
              ::testing::ThrowsMessage<Failure>(missing + ": " + std::strerror(ENOENT)));
  EXPECT_THAT(
      [&] { ReadFileBytes(dir_.Path("folder")); },
      ::testing::ThrowsMessage<Failure>(dir_.Path("folder") + ": " + std::strerror(EISDIR)));
  // Neither a pipe without a writer nor an endless device may hold the program forever.
  ASSERT_EQ(0, mkfifo(dir_.Path("pipe").c_str(), 0600));
  for (const std::string& special : {dir_.Path("pipe"), std::string("/dev/zero")}) {
    EXPECT_THAT([&] { ReadFileBytes(special); },
                ::testing::ThrowsMessage<Failure>(special + ": not a regular file"));
  }
  dir_.WriteFile("folder/kept", "k");
  EXPECT_THAT([&] { WriteFileBytes(dir_.Path("folder"), "x"); },
              ::testing::ThrowsMessage<Failure>(::testing::StartsWith(dir_.Path("folder") + ": ")));
  EXPECT_THAT([&] { WriteFileBytes(dir_.Path("no/f"), "x"); },
              ::testing::ThrowsMessage<Failure>(::testing::StartsWith(dir_.Path("no/f") + ": ")));
  // A failed write leaves nothing of its own behind and the folder in the way as it was.
  std::vector<std::string> names;
  for (const DirEntry& entry : ListDirectory(dir_.Root())) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::string>{"folder", "pipe"}), names);
  EXPECT_EQ("k", dir_.ReadFile("folder/kept"));
}

TEST_F(FileSystemTest, ReadableFileSize) {
  dir_.WriteFile("five", "12345");
  dir_.WriteFile("empty", "");
  dir_.MakeDir("folder");
  EXPECT_EQ(5, ReadableFileSize(dir_.Path("five")));
  EXPECT_EQ(0, ReadableFileSize(dir_.Path("empty")));
  EXPECT_EQ(std::nullopt, ReadableFileSize(dir_.Path("missing")));
  EXPECT_EQ(std::nullopt, ReadableFileSize(dir_.Path("folder")));
}

// Sets TZ for one test and puts the old value back.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* old = std::getenv("TZ")) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (old_.empty()) {
      unsetenv("TZ");
    } else {
      setenv("TZ", old_.c_str(), 1);
    }
    tzset();
  }

 private:
  std::string old_;
};

int LocalSecond(std::time_t time) {
  struct tm local;
  localtime_r(&time, &local);
  return local.tm_sec;
}

TEST(FileSystem, DosTimeDropsAnOddLocalSecond) {
  const std::time_t base = 1700000000;  // 22:13:20 UTC
  {
    ScopedTimeZone zone("UTC0");
    const std::time_t expected[] = {base, base, base + 2, base + 2, base + 4};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(expected[i], ToDosTimeResolution(base + i)) << i;
  }
  {
    // A zone one second east of UTC: the local clock is odd where the UTC clock is even.
    ScopedTimeZone zone("ODD-0:00:01");
    ASSERT_EQ(21, LocalSecond(base));
    EXPECT_EQ(base - 1, ToDosTimeResolution(base));
    EXPECT_EQ(base + 1, ToDosTimeResolution(base + 1));
    EXPECT_EQ(base + 1, ToDosTimeResolution(base + 2));
  }
}

TEST_F(FileSystemTest, LastWriteTimeRoundTripsAtTwoSecondResolution) {
  dir_.WriteFile("src", "s");
  dir_.WriteFile("dst", "d");
  ASSERT_TRUE(SetLastWriteTime(dir_.Path("src"), 1234567891));
  const std::time_t source_time = *LastWriteTime(dir_.Path("src"));
  EXPECT_EQ(1234567891, source_time);

  const std::time_t dos_time = ToDosTimeResolution(source_time);
  ASSERT_TRUE(SetLastWriteTime(dir_.Path("dst"), dos_time));
  EXPECT_EQ(dos_time, LastWriteTime(dir_.Path("dst")));
  EXPECT_EQ(0, LocalSecond(dos_time) % 2);
  EXPECT_LE(source_time - dos_time, 1);

  EXPECT_EQ(std::nullopt, LastWriteTime(dir_.Path("missing")));
  EXPECT_FALSE(SetLastWriteTime(dir_.Path("missing"), dos_time));
}

TEST_F(FileSystemTest, SameFileOnDiskComparesIdentityNotText) {
  dir_.WriteFile("img/a.jpg", "same bytes");
  dir_.WriteFile("img/b.jpg", "same bytes");
  ASSERT_EQ(0, symlink(dir_.Path("img").c_str(), dir_.Path("alias").c_str()));
  ASSERT_EQ(0, link(dir_.Path("img/a.jpg").c_str(), dir_.Path("hard.jpg").c_str()));
  const struct {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"img", "img/", true},
      {"img/", "img/./", true},
      {"img", "alias", true},
      {"img/", "alias/../img/", true},
      {"img/a.jpg", "alias/a.jpg", true},
      {"img/a.jpg", "hard.jpg", true},
      {"img/a.jpg", "img/b.jpg", false},
      {"img", "img/a.jpg", false},
      {"img/missing", "img/missing", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.same, SameFileOnDisk(dir_.Path(c.a), dir_.Path(c.b))) << c.a << " vs " << c.b;
  }
}

TEST_F(FileSystemTest, RenameNoReplaceMovesToAFreeName) {
  dir_.WriteFile("img/IMG_0001.JPG", "photo");
  EXPECT_TRUE(RenameNoReplace(dir_.Path("img/IMG_0001.JPG"), dir_.Path("img/img_0001.jpg")));
  EXPECT_FALSE(dir_.Exists("img/IMG_0001.JPG"));
  EXPECT_EQ("photo", dir_.ReadFile("img/img_0001.jpg"));
}

TEST_F(FileSystemTest, RenameNoReplaceNeverReplacesAnExistingFile) {
  dir_.WriteFile("img/a.jpg", "first");
  dir_.WriteFile("img/b.jpg", "second");
  EXPECT_FALSE(RenameNoReplace(dir_.Path("img/a.jpg"), dir_.Path("img/b.jpg")));
  EXPECT_EQ("first", dir_.ReadFile("img/a.jpg"));
  EXPECT_EQ("second", dir_.ReadFile("img/b.jpg"));

  EXPECT_FALSE(RenameNoReplace(dir_.Path("img/a.jpg"), dir_.Path("img/a.jpg")));
  EXPECT_EQ("first", dir_.ReadFile("img/a.jpg"));

  EXPECT_FALSE(RenameNoReplace(dir_.Path("img/missing.jpg"), dir_.Path("img/c.jpg")));
  EXPECT_FALSE(dir_.Exists("img/c.jpg"));
}

}  // namespace
}  // namespace vellumix
