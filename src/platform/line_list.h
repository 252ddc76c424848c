// SPDX-License-Identifier: GPL-2.0-or-later
// LineList is an ordered list of byte-string lines without line-break characters: the form in
// which templates and pages are handled. Its text form puts CR LF after every line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vellumix {

class LineList {
 public:
  LineList() = default;
  explicit LineList(std::vector<std::string> lines) : lines_(std::move(lines)) {}

  // Every line followed by CR LF; "" for an empty list.
  std::string Text() const;
  // Replaces the lines by those of `text`, split at CR LF, lone CR and lone LF. A final line
  // break adds no empty line; a NUL byte ends the text.
  void SetText(std::string_view text);

  // Reads the whole file as bytes and sets the text from it. Throws Failure when the file cannot
  // be opened or read.
  void LoadFromFile(const std::string& path);
  // Writes the text form, no byte-order mark, replacing an existing file. Throws Failure when
  // the file cannot be written.
  void SaveToFile(const std::string& path) const;

  // Sorts with CompareTextNoCase (the collation used for source images).
  void Sort();

  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Insert(size_t index, std::string line) { lines_.insert(lines_.begin() + index, std::move(line)); }
  void Delete(size_t index) { lines_.erase(lines_.begin() + index); }
  void Clear() { lines_.clear(); }
  size_t Count() const { return lines_.size(); }
  // True exactly when Text() is empty: even an empty line contributes its CR LF.
  bool Empty() const { return lines_.empty(); }
  const std::string& operator[](size_t index) const { return lines_[index]; }
  std::string& operator[](size_t index) { return lines_[index]; }
  const std::vector<std::string>& Lines() const { return lines_; }

  auto begin() const { return lines_.begin(); }
  auto end() const { return lines_.end(); }

  bool operator==(const LineList&) const = default;

 private:
  std::vector<std::string> lines_;
};

}  // namespace vellumix
