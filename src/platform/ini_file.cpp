// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/ini_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/byte_string.h"
#include "platform/code_page.h"
#include "platform/errors.h"

namespace vellumix {

namespace {

constexpr size_t kMaxValueBytes = 2047;  // what fits the 2048-byte buffer of the profile API
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One line of the file, as byte offsets into the whole text.
struct Line {
  enum class Kind { kOther, kSection, kKey };
  Kind kind = Kind::kOther;
  size_t begin = 0;        // first byte of the line
  size_t end = 0;          // one past its last byte before the line break
  size_t next = 0;         // first byte of the following line; equals `end` when there is no break
  std::string_view name;   // section or key name, blanks dropped
  std::string_view value;  // key lines: the raw text after "=", blanks dropped
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

Line ClassifyLine(std::string_view text, Line line, CodePage cp) {
  const std::string_view content = TrimBlanks(text.substr(line.begin, line.end - line.begin));
  if (content.empty() || content.front() == ';') return line;
  if (content.front() == '[') {
    // Search by character: under Shift_JIS a trail byte can equal "]".
    const std::string_view inner = content.substr(1);
    const size_t close = FindBytes(inner, "]", cp);
    line.kind = Line::Kind::kSection;
    line.name = TrimBlanks(close == std::string_view::npos ? inner : inner.substr(0, close));
    return line;
  }
  const size_t equals = content.find('=');  // "=" is never a Shift_JIS trail byte
  if (equals == std::string_view::npos) return line;
  const std::string_view name = TrimBlanks(content.substr(0, equals));
  if (name.empty()) return line;
  line.kind = Line::Kind::kKey;
  line.name = name;
  line.value = TrimBlanks(content.substr(equals + 1));
  return line;
}

// Splits at CR LF, LF or a lone CR. A UTF-8 byte order mark is not part of the first line.
std::vector<Line> ParseLines(std::string_view text, CodePage cp) {
  std::vector<Line> lines;
  size_t pos = text.substr(0, kUtf8Bom.size()) == kUtf8Bom ? kUtf8Bom.size() : 0;
  while (pos < text.size()) {
    Line line;
    line.begin = pos;
    const size_t brk = text.find_first_of("\r\n", pos);
    if (brk == std::string_view::npos) {
      line.end = line.next = text.size();
    } else {
      line.end = brk;
      line.next =
          (text[brk] == '\r' && brk + 1 < text.size() && text[brk + 1] == '\n') ? brk + 2 : brk + 1;
    }
    lines.push_back(ClassifyLine(text, line, cp));
    pos = line.next;
  }
  return lines;
}

// Where a key is, or would go. Only the first section of the name counts, and in it only the
// first line of the key, as the profile API does.
struct Location {
  std::optional<size_t> section;   // index of the header line
  std::optional<size_t> key;       // index of the key's line
  std::optional<size_t> last_key;  // index of the section's last key line
};

Location Locate(const std::vector<Line>& lines, std::string_view section, std::string_view key,
                CodePage cp) {
  Location where;
  size_t i = 0;
  for (; i < lines.size(); ++i) {
    if (lines[i].kind == Line::Kind::kSection && SameTextNoCase(lines[i].name, section, cp)) {
      where.section = i;
      break;
    }
  }
  if (!where.section) return where;
  for (++i; i < lines.size() && lines[i].kind != Line::Kind::kSection; ++i) {
    if (lines[i].kind != Line::Kind::kKey) continue;
    where.last_key = i;
    if (!where.key && SameTextNoCase(lines[i].name, key, cp)) where.key = i;
  }
  return where;
}

enum class ReadResult { kRead, kMissing, kFailed };

ReadResult ReadWholeFile(const std::string& path, std::string* bytes) {
  bytes->clear();
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? ReadResult::kMissing : ReadResult::kFailed;
  char buffer[65536];
  ReadResult result = ReadResult::kRead;
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      result = ReadResult::kFailed;  // a folder opens but does not read
      break;
    }
    if (got == 0) break;
    bytes->append(buffer, static_cast<size_t>(got));
  }
  close(fd);
  if (result == ReadResult::kFailed) bytes->clear();
  return result;
}

// The file's text for reading: anything that cannot be read is a file without keys.
std::string TextForReading(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, &bytes);
  return bytes;
}

// Present value of a key, prepared as ReadString returns it, or nullopt when absent.
std::optional<std::string> LookUp(const std::string& path, std::string_view section,
                                  std::string_view key) {
  const CodePage cp = ActiveCodePage();
  const std::string text = TextForReading(path);
  const std::vector<Line> lines = ParseLines(text, cp);
  const Location where = Locate(lines, section, key, cp);
  if (!where.key) return std::nullopt;
  std::string_view value = lines[*where.key].value;
  // The profile API hands out C strings, so nothing after a NUL byte reaches the caller.
  value = TrimBlanks(value.substr(0, value.find('\0')));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, kMaxValueBytes));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<int> ParseInteger(std::string_view text) {
  size_t i = 0;
  if (!text.empty() && text[0] == '$') {
    i = 1;
  } else if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    i = 2;
  }
  if (i > 0) {
    if (i == text.size()) return std::nullopt;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
      const int digit = HexDigit(text[i]);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<uint64_t>(digit);
      if (value > UINT32_MAX) return std::nullopt;
    }
    // Hexadecimal is a 32-bit pattern: $FFFFFFFF is -1.
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return std::nullopt;
  return static_cast<int>(value);
}

[[noreturn]] void ThrowCannotWrite(const std::string& path) {
  std::string message = Native("%s に書き込めません");
  message.replace(message.find("%s"), 2, path);
  throw Failure(message);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t done = write(fd, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(done));
  }
  return true;
}

// Replaces the file at `target` by `bytes` through a temporary file in the same folder, so the
// file is either the old one or the new one, never a truncated mix. An existing file keeps its
// permission bits (and, where allowed, its owner).
bool ReplaceFile(const std::string& target, std::string_view bytes) {
  struct stat old_stat;
  const bool existed = stat(target.c_str(), &old_stat) == 0;
  const std::string folder(FolderPart(target));
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp =
        folder + ".vellumix-" + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
    // 0666 lets the umask decide for a new file, as for any other file the user creates.
    fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = true;
  if (existed) {
    ok = fchmod(fd, old_stat.st_mode & 07777) == 0;
    if (ok && (old_stat.st_uid != geteuid() || old_stat.st_gid != getegid())) {
      [[maybe_unused]] const int ignored = fchown(fd, old_stat.st_uid, old_stat.st_gid);
    }
  }
  ok = ok && WriteAll(fd, bytes) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  ok = ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

// The file to replace: a symbolic link is followed, so the link itself stays.
std::string WriteTarget(const std::string& path) {
  struct stat link_stat;
  if (lstat(path.c_str(), &link_stat) != 0 || !S_ISLNK(link_stat.st_mode)) return path;
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target(resolved);
  free(resolved);
  return target;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) const {
  std::optional<std::string> value = LookUp(path_, section, key);
  return value ? std::move(*value) : std::string(def);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int def) const {
  const std::optional<std::string> value = LookUp(path_, section, key);
  if (!value) return def;
  return ParseInteger(*value).value_or(def);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool IniFile::SectionExists(std::string_view section) const {
  const CodePage cp = ActiveCodePage();
  const std::string text = TextForReading(path_);
  const std::vector<Line> lines = ParseLines(text, cp);
  return Locate(lines, section, "", cp).last_key.has_value();
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  // One line holds one value: a line break would start new lines, and a NUL ends it for readers.
  value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));

  const std::string target = WriteTarget(path_);
  std::string text;
  if (ReadWholeFile(target, &text) == ReadResult::kFailed) {
    // Rewriting a file we could not read would lose its other keys.
    ThrowCannotWrite(path_);
  }
  if (faccessat(AT_FDCWD, target.c_str(), F_OK, AT_EACCESS) == 0 &&
      faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    ThrowCannotWrite(path_);  // a read-only file stays read-only, even though renaming could
  }

  const CodePage cp = ActiveCodePage();
  const std::vector<Line> lines = ParseLines(text, cp);
  std::string line_end = "\r\n";  // Windows' line end for a file without one
  const size_t first_break = text.find_first_of("\r\n");
  if (first_break != std::string::npos) {
    line_end = text.compare(first_break, 2, "\r\n") == 0 ? "\r\n" : text.substr(first_break, 1);
  }
  const Location where = Locate(lines, section, key, cp);

  if (where.key) {
    const Line& line = lines[*where.key];
    std::string new_line(line.name);  // the key keeps the spelling it has in the file
    new_line.append("=").append(value);
    text.replace(line.begin, line.end - line.begin, new_line);
  } else if (where.section) {
    const Line& after = lines[where.last_key.value_or(*where.section)];
    std::string added;
    if (after.next == after.end) added = line_end;  // the file's last line, without a break
    added.append(key).append("=").append(value).append(line_end);
    text.insert(after.next, added);
  } else {
    const bool bom = text.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0;
    const bool needs_break =
        text.size() > (bom ? kUtf8Bom.size() : 0) && text.back() != '\n' && text.back() != '\r';
    if (needs_break) text.append(line_end);
    text.append("[").append(section).append("]").append(line_end);
    text.append(key).append("=").append(value).append(line_end);
  }

  if (!ReplaceFile(target, text)) ThrowCannotWrite(path_);
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace vellumix
