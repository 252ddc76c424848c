// SPDX-License-Identifier: GPL-2.0-or-later
// The active code page: every text the program handles is a byte string in it, and nothing is
// converted except the program's own messages, which live in the source as UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace vellumix {

enum class CodePage {
  kUtf8,   // every byte below 0x80 is a character of its own; no byte is a trail byte of ASCII
  kCp932,  // Shift_JIS: lead bytes 0x81-0x9F and 0xE0-0xFC are followed by one trail byte
};

// The code page chosen at start-up: VELLUMIX_CODEPAGE ("utf-8" or "932") when set, otherwise the
// locale's character set after setlocale(LC_ALL, ""), CP932 for Shift_JIS/CP932, else UTF-8.
// Computed once; later calls return the same value.
CodePage ActiveCodePage();

// Reads the choice from an environment value and a locale codeset name; exposed for tests.
// An unknown or empty override falls back to the codeset.
CodePage CodePageFrom(const char* override_value, const char* codeset);

// True when `byte` opens a double-byte character in `cp` (always false for UTF-8, whose
// continuation bytes never collide with ASCII).
bool IsLeadByte(unsigned char byte, CodePage cp);

// True when the byte at `pos` (0-based) is the trail byte of a double-byte character, judged by
// scanning `text` from its start.
bool IsTrailByteAt(std::string_view text, size_t pos, CodePage cp = ActiveCodePage());

// The program's own text (UTF-8 in the source) in the active code page. Characters that the
// code page cannot hold become "?".
std::string Native(std::string_view utf8, CodePage cp = ActiveCodePage());

}  // namespace vellumix
