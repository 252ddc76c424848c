// SPDX-License-Identifier: GPL-2.0-or-later
// Builds the sample album of examples/ with the real vellumix-cli, the way `make demo` does, and
// follows every link and image reference in the pages it writes. The sample is what a newcomer
// sees first, so a template that points at a file the build does not make must fail here.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "testing/temp_dir.h"
#include "tests/e2e/cli_support.h"

namespace vellumix {
namespace {

using testing::CliResult;
using testing::RunCli;
namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The values of all href="…" and src="…" attributes, in page order.
std::vector<std::string> LinkTargets(const std::string& html) {
  static const std::regex kAttribute(R"re(\b(?:href|src)\s*=\s*"([^"]*)")re", std::regex::icase);
  std::vector<std::string> targets;
  for (auto it = std::sregex_iterator(html.begin(), html.end(), kAttribute);
       it != std::sregex_iterator(); ++it) {
    targets.push_back((*it)[1].str());
  }
  return targets;
}

// Absolute URLs (any scheme) and links within the page itself lead to no file of the album.
bool IsOutsideAlbum(const std::string& target) {
  static const std::regex kScheme(R"re(^[A-Za-z][A-Za-z0-9+.-]*:)re");
  return target.starts_with("#") || std::regex_search(target, kScheme);
}

// The file part of a relative link: without query and fragment, %XX escapes decoded.
std::string LinkedFile(const std::string& target) {
  const std::string path = target.substr(0, target.find_first_of("?#"));
  std::string decoded;
  for (std::size_t i = 0; i < path.size(); ++i) {
    unsigned int byte = 0;
    if (path[i] == '%' && i + 2 < path.size() &&
        std::sscanf(path.substr(i + 1, 2).c_str(), "%2x", &byte) == 1) {
      decoded += static_cast<char>(byte);
      i += 2;
    } else {
      decoded += path[i];
    }
  }
  return decoded;
}

std::vector<fs::path> FilesWithExtension(const fs::path& folder, const std::string& extension,
                                         bool recursive) {
  std::vector<fs::path> files;
  auto add = [&](const fs::directory_entry& entry) {
    if (entry.is_regular_file() && entry.path().extension() == extension) {
      files.push_back(entry.path());
    }
  };
  if (recursive) {
    for (const auto& entry : fs::recursive_directory_iterator(folder)) add(entry);
  } else {
    for (const auto& entry : fs::directory_iterator(folder)) add(entry);
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(SampleAlbumTest, EveryLinkOfTheBuiltAlbumLeadsToAFile) {
  vellumix::testing::TempDir temp;
  const fs::path root = temp.Root();
  const fs::path examples = root / "examples";
  fs::copy(fs::path(VELLUMIX_SOURCE_DIR) / "examples", examples, fs::copy_options::recursive);

  // The project's OutputDir, ../build/demo-album/, is relative to the folder the CLI runs in.
  // Only its last level is created by the run; `make demo` runs where the build folder exists.
  fs::create_directory(root / "build");
  const CliResult run = RunCli(examples.string(), {"sample.prj"});
  ASSERT_EQ(0, run.status) << run.out << run.err;
  const fs::path album = root / "build" / "demo-album";

  const std::vector<fs::path> photos = FilesWithExtension(examples / "photos", ".jpg", false);
  ASSERT_FALSE(photos.empty());
  std::vector<std::string> missing;
  for (const char* file : {"index.htm", "menu.htm", "pages/blank.htm"}) {
    if (!fs::is_regular_file(album / file)) missing.push_back(file);
  }
  for (std::size_t serial = 1; serial <= photos.size(); ++serial) {
    char name[32];
    std::snprintf(name, sizeof name, "photo%03zu", serial);
    for (const std::string& file :
         {"images/" + std::string(name) + ".jpg", "pages/" + std::string(name) + ".htm",
          "pages/t_" + std::string(name) + ".jpg"}) {
      if (!fs::is_regular_file(album / file)) missing.push_back(file);
    }
  }
  EXPECT_THAT(missing, ::testing::IsEmpty());
  EXPECT_EQ(FilesWithExtension(album / "images", ".jpg", false).size(), photos.size());

  const std::vector<fs::path> pages = FilesWithExtension(album, ".htm", true);
  EXPECT_EQ(pages.size(), photos.size() + 3);  // the image pages, index, menu and blank page
  static const std::regex kPlaceholder(R"re(\$[A-Z][A-Z0-9_]*\$)re");
  std::vector<std::string> broken;
  for (const fs::path& page : pages) {
    const std::string html = ReadBytes(page);
    const std::string page_name = page.lexically_relative(album).string();
    std::smatch placeholder;
    if (std::regex_search(html, placeholder, kPlaceholder)) {
      broken.push_back(page_name + ": " + placeholder.str() + " left in the page");
    }
    const std::vector<std::string> targets = LinkTargets(html);
    EXPECT_FALSE(targets.empty()) << page_name;
    for (const std::string& target : targets) {
      if (IsOutsideAlbum(target)) continue;
      const std::string file = LinkedFile(target);
      const fs::path resolved = (page.parent_path() / file).lexically_normal();
      const bool inside = !resolved.lexically_relative(album).string().starts_with("..");
      if (file.empty() || !inside || !fs::is_regular_file(resolved)) {
        broken.push_back(page_name + " -> \"" + target + "\"");
      }
    }
  }
  EXPECT_THAT(broken, ::testing::IsEmpty());
}

}  // namespace
}  // namespace vellumix
