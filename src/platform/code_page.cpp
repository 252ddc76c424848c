// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/code_page.h"

#include <iconv.h>
#include <langinfo.h>
#include <strings.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <string>

namespace vellumix {

namespace {

bool NamesShiftJis(const char* name) {
  if (name == nullptr) return false;
  for (const char* alias : {"932", "cp932", "shift_jis", "shift-jis", "sjis", "windows-31j"}) {
    if (strcasecmp(name, alias) == 0) return true;
  }
  return false;
}

bool NamesUtf8(const char* name) {
  return name != nullptr && (strcasecmp(name, "utf-8") == 0 || strcasecmp(name, "utf8") == 0);
}

}  // namespace

CodePage CodePageFrom(const char* override_value, const char* codeset) {
  if (NamesShiftJis(override_value)) return CodePage::kCp932;
  if (NamesUtf8(override_value)) return CodePage::kUtf8;
  return NamesShiftJis(codeset) ? CodePage::kCp932 : CodePage::kUtf8;
}

CodePage ActiveCodePage() {
  static const CodePage active = [] {
    std::setlocale(LC_ALL, "");
    return CodePageFrom(std::getenv("VELLUMIX_CODEPAGE"), nl_langinfo(CODESET));
  }();
  return active;
}

bool IsLeadByte(unsigned char byte, CodePage cp) {
  if (cp != CodePage::kCp932) return false;
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsTrailByteAt(std::string_view text, size_t pos, CodePage cp) {
  if (cp != CodePage::kCp932) return false;
  size_t i = 0;
  while (i < pos) {
    i += IsLeadByte(static_cast<unsigned char>(text[i]), cp) ? 2 : 1;
  }
  return i > pos;
}

std::string Native(std::string_view utf8, CodePage cp) {
  if (cp == CodePage::kUtf8) return std::string(utf8);
  // CP932 is what Windows calls the Japanese ANSI code page; glibc knows it by that name.
  iconv_t cd = iconv_open("CP932//TRANSLIT", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  std::string out;
  std::string in(utf8);
  char* in_ptr = in.data();
  size_t in_left = in.size();
  char buffer[256];
  while (in_left > 0) {
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, out_ptr - buffer);
    if (result == static_cast<size_t>(-1) && errno != E2BIG) {
      // A character CP932 cannot hold: show "?" and go on with the next UTF-8 sequence.
      out += '?';
      do {
        ++in_ptr;
        --in_left;
      } while (in_left > 0 && (static_cast<unsigned char>(*in_ptr) & 0xC0) == 0x80);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace vellumix
