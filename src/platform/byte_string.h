// SPDX-License-Identifier: GPL-2.0-or-later
// Case mapping, comparison and search on byte strings in the active code page. Only ASCII
// letters change case, and under a double-byte code page a trail byte is never touched or matched,
// so the second byte of a Shift_JIS character that happens to equal "a" or "\" stays itself.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace vellumix {

std::string UpperCase(std::string_view text, CodePage cp = ActiveCodePage());
std::string LowerCase(std::string_view text, CodePage cp = ActiveCodePage());

// Equal without regard to ASCII letter case (trail bytes compared exactly).
bool SameTextNoCase(std::string_view a, std::string_view b, CodePage cp = ActiveCodePage());

// The collation used to sort source images: the user's locale collation (strcoll) of the
// case-folded texts. Negative, zero or positive like strcmp.
int CompareTextNoCase(std::string_view a, std::string_view b, CodePage cp = ActiveCodePage());

// 0-based position of the first exact occurrence of `pattern` in `text` that does not start on a
// trail byte (judged from the start of `text`), or std::string_view::npos. An empty pattern is
// found at 0.
size_t FindBytes(std::string_view text, std::string_view pattern, CodePage cp = ActiveCodePage());

// 0-based position of the last byte equal to `byte` that is not a trail byte, or npos.
size_t FindLastByte(std::string_view text, char byte, CodePage cp = ActiveCodePage());

// The part of a path after its last "/" (the whole path when it has none); a trail byte never
// counts as the separator.
std::string_view FileNamePart(std::string_view path, CodePage cp = ActiveCodePage());

// The path up to and including its last "/", or "" for a bare file name.
std::string_view FolderPart(std::string_view path, CodePage cp = ActiveCodePage());

// `name` without its extension: everything from its last "." on removed, when it has one.
std::string_view StripExtension(std::string_view name, CodePage cp = ActiveCodePage());

// True when the last byte of `text` is `byte` (the last byte, not the last character).
inline bool EndsWithByte(std::string_view text, char byte) {
  return !text.empty() && text.back() == byte;
}

}  // namespace vellumix
