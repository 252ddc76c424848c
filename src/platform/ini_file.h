// SPDX-License-Identifier: GPL-2.0-or-later
// IniFile reads and writes a Windows-style private-profile (INI) file key by key, with nothing
// cached, so every call sees the file as it is now. Section and key names match without regard
// to case. Names and values are bytes in the active code page. It reads files written on
// Windows: CR LF or LF line ends, ";" comment lines, stray lines without "=", keys before the
// first section (ignored), blanks around "=", and repeated sections or keys (the first wins).
#pragma once

#include <string>
#include <string_view>

namespace vellumix {

class IniFile {
 public:
  // Names the file; nothing is read yet. A missing or unreadable file reads as a file without
  // keys.
  explicit IniFile(std::string path);

  const std::string& Path() const { return path_; }

  // The value, with surrounding blanks and one pair of enclosing quotes dropped, cut to 2047
  // bytes (and before a NUL byte). `def` when the key is absent; "" when it is present with an
  // empty value.
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view def) const;
  // Decimal, or hexadecimal after "0x", "0X" or "$"; `def` when absent, empty or not a number.
  // ReadBool reads the same way; non-zero is true.
  int ReadInteger(std::string_view section, std::string_view key, int def) const;
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  // True only when the section holds at least one key: a bare [Section] header does not count.
  bool SectionExists(std::string_view section) const;

  // Sets one key, creating the file and the section when missing. Only that key's line changes
  // (or a line is added after the last key of its section, or the section at the end of the
  // file); every other byte of the file stays, and added lines end as the file's lines do (CR LF
  // in a new file). A value is cut at its first CR, LF or NUL byte, since one line holds it.
  // Booleans are written "0"/"1". The file is replaced as a whole through a temporary file in its
  // folder, keeping its permission bits, so a failed write leaves the old file as it was.
  // Throws Failure("<path> に書き込めません") when the file cannot be written, when it is
  // read-only, or when it exists but cannot be read (rewriting it would lose its other keys).
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  std::string path_;
};

}  // namespace vellumix
