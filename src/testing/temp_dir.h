// SPDX-License-Identifier: GPL-2.0-or-later
// TempDir is a fresh folder for one test, removed with everything in it when the test ends (also
// after a failed ASSERT).
#pragma once

#include <string>
#include <string_view>

namespace vellumix::testing {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder itself, without a trailing "/".
  const std::string& Root() const { return root_; }
  // Root() + "/" + relative.
  std::string Path(std::string_view relative) const;

  // Writes `bytes` to the file, creating missing parent folders.
  void WriteFile(std::string_view relative, std::string_view bytes) const;
  // The file's bytes; "" when it does not exist.
  std::string ReadFile(std::string_view relative) const;
  // Creates the folder and any missing parents.
  void MakeDir(std::string_view relative) const;
  bool Exists(std::string_view relative) const;

 private:
  std::string root_;
};

}  // namespace vellumix::testing
