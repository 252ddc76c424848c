// SPDX-License-Identifier: GPL-2.0-or-later
#include "testing/temp_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vellumix::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "vellumix-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string TempDir::Path(std::string_view relative) const {
  return root_ + "/" + std::string(relative);
}

void TempDir::WriteFile(std::string_view relative, std::string_view bytes) const {
  fs::path path = Path(relative);
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string TempDir::ReadFile(std::string_view relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void TempDir::MakeDir(std::string_view relative) const { fs::create_directories(Path(relative)); }

bool TempDir::Exists(std::string_view relative) const {
  std::error_code ignored;
  return fs::exists(Path(relative), ignored);
}

}  // namespace vellumix::testing
