// SPDX-License-Identifier: GPL-2.0-or-later
// The small utilities every part of the builder shares: the substitution primitives on which the
// whole template language rests, and two file-system helpers. Positions are 1-based byte positions
// with 0 for "not found", as the template rules count them.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page.h"
#include "platform/line_list.h"

namespace vellumix {

// Every occurrence of `pattern` in `text` replaced by `replacement`, left to right. Inserted text
// is never searched again, and the search never goes back before the end of the last
// replacement. An empty text or an empty pattern gives `text` unchanged. Under a double-byte code
// page a match never starts on a trail byte.
std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement, CodePage cp = ActiveCodePage());

// ReplaceAll over the list's text form, which is then split into lines again.
void ReplaceInLines(LineList& lines, std::string_view pattern, std::string_view replacement,
                    CodePage cp = ActiveCodePage());

// 1-based position of `needle` in `text` without regard to ASCII case, or 0. An empty needle
// gives 1 for any text. Candidates starting with the lower-case first character are tried before
// those starting with the upper-case one.
size_t PosNoCase(std::string_view needle, std::string_view text, CodePage cp = ActiveCodePage());

// Appends to `list` the full path of every file in `folder` whose name matches `mask` ("*" and
// "?", without regard to case); with `recursive`, first those of every subfolder. A missing or
// unreadable folder adds nothing; an empty folder path does nothing; an empty mask is "*.*".
void FindFiles(std::string_view folder, std::string_view mask, LineList& list, bool recursive,
               CodePage cp = ActiveCodePage());

// True when `path` names an existing folder.
bool DirectoryExists(const std::string& path);

}  // namespace vellumix
