// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/byte_string.h"

#include <cstring>
#include <string>

namespace vellumix {

namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Applies `map` to every byte that is not the trail byte of a double-byte character.
template <typename Map>
std::string MapCharacters(std::string_view text, CodePage cp, Map map) {
  std::string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(out[i]), cp)) {
      ++i;  // the trail byte stays as it is, even when it looks like an ASCII letter
      continue;
    }
    out[i] = map(out[i]);
  }
  return out;
}

}  // namespace

std::string UpperCase(std::string_view text, CodePage cp) {
  return MapCharacters(text, cp, AsciiUpper);
}

std::string LowerCase(std::string_view text, CodePage cp) {
  return MapCharacters(text, cp, AsciiLower);
}

bool SameTextNoCase(std::string_view a, std::string_view b, CodePage cp) {
  return a.size() == b.size() && LowerCase(a, cp) == LowerCase(b, cp);
}

int CompareTextNoCase(std::string_view a, std::string_view b, CodePage cp) {
  const std::string la = LowerCase(a, cp);
  const std::string lb = LowerCase(b, cp);
  const int by_locale = std::strcoll(la.c_str(), lb.c_str());
  if (by_locale != 0) return by_locale;
  // Texts that the locale treats as equal still get a fixed order.
  return la.compare(lb);
}

size_t FindBytes(std::string_view text, std::string_view pattern, CodePage cp) {
  if (pattern.empty()) return 0;
  if (pattern.size() > text.size()) return std::string_view::npos;
  const size_t last_start = text.size() - pattern.size();
  for (size_t i = 0; i <= last_start;) {
    if (text.compare(i, pattern.size(), pattern) == 0) return i;
    // Stepping whole characters is what keeps a match from starting on a trail byte.
    i += IsLeadByte(static_cast<unsigned char>(text[i]), cp) ? 2 : 1;
  }
  return std::string_view::npos;
}

size_t FindLastByte(std::string_view text, char byte, CodePage cp) {
  size_t found = std::string_view::npos;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(text[i]), cp)) {
      ++i;
      continue;
    }
    if (text[i] == byte) found = i;
  }
  return found;
}

std::string_view FileNamePart(std::string_view path, CodePage cp) {
  const size_t slash = FindLastByte(path, '/', cp);
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FolderPart(std::string_view path, CodePage cp) {
  const size_t slash = FindLastByte(path, '/', cp);
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view StripExtension(std::string_view name, CodePage cp) {
  const size_t dot = FindLastByte(name, '.', cp);
  return dot == std::string_view::npos ? name : name.substr(0, dot);
}

}  // namespace vellumix
