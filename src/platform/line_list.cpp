// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/line_list.h"

#include <algorithm>
#include <string>

#include "platform/byte_string.h"
#include "platform/file_system.h"

namespace vellumix {

std::string LineList::Text() const {
  size_t size = 0;
  for (const std::string& line : lines_) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines_) {
    text += line;
    text += "\r\n";
  }
  return text;
}

void LineList::SetText(std::string_view text) {
  // Text read from a file is treated as a C string: whatever follows a NUL is not part of it.
  text = text.substr(0, text.find('\0'));
  lines_.clear();
  size_t start = 0;
  while (start < text.size()) {
    const size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines_.emplace_back(text.substr(start));
      break;
    }
    lines_.emplace_back(text.substr(start, stop - start));
    start = stop + 1;
    if (text[stop] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
}

void LineList::LoadFromFile(const std::string& path) { SetText(ReadFileBytes(path)); }

void LineList::SaveToFile(const std::string& path) const { WriteFileBytes(path, Text()); }

void LineList::Sort() {
  // A merge sort stays within bounds even if the locale's collation is not a strict order for
  // bytes it cannot decode; std::sort would not.
  std::stable_sort(lines_.begin(), lines_.end(), [](const std::string& a, const std::string& b) {
    return CompareTextNoCase(a, b) < 0;
  });
}

}  // namespace vellumix
