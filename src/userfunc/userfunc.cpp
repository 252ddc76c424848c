// SPDX-License-Identifier: GPL-2.0-or-later
#include "userfunc/userfunc.h"

#include <sys/stat.h>

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/byte_string.h"
#include "platform/file_system.h"

namespace vellumix {

namespace {

// Identity of a folder on disk, to keep a recursive listing out of link cycles.
struct FolderId {
  dev_t device;
  ino_t inode;
  bool operator==(const FolderId&) const = default;
};

struct FindState {
  std::string mask;
  LineList& list;
  bool recursive;
  CodePage cp;
  // Lower-cased entries the list held before the search; only these can equal a bare file name,
  // since everything the search appends contains a "/".
  std::unordered_set<std::string> names_before;
  // The folders being listed, outermost first.
  std::vector<FolderId> open_folders;
};

void FindFilesIn(std::string folder, FindState& state) {
  if (!EndsWithByte(folder, '/')) folder += '/';
  const std::vector<DirEntry> entries = ListDirectory(folder);
  if (state.recursive) {
    struct stat info;
    if (::stat(folder.c_str(), &info) != 0) return;
    const FolderId id{info.st_dev, info.st_ino};
    for (const FolderId& open : state.open_folders) {
      if (open == id) return;  // a link back up the tree: listed already, further out
    }
    state.open_folders.push_back(id);
    for (const DirEntry& entry : entries) {
      if (entry.is_directory) FindFilesIn(folder + entry.name, state);
    }
    state.open_folders.pop_back();
  }
  for (const DirEntry& entry : entries) {
    if (entry.is_directory || !MatchesMask(entry.name, state.mask)) continue;
    if (state.names_before.count(LowerCase(entry.name, state.cp)) != 0) continue;
    state.list.Add(folder + entry.name);
  }
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view pattern,
                       std::string_view replacement, CodePage cp) {
  if (text.empty() || pattern.empty()) return std::string(text);
  // Building the result front to back gives the same text as replacing in place and resuming
  // after the inserted replacement: the bytes still to be searched are always the unsearched
  // rest of `text`, and trail bytes are judged from the start of that rest.
  std::string result;
  std::string_view rest = text;
  for (;;) {
    const size_t found = FindBytes(rest, pattern, cp);
    if (found == std::string_view::npos) break;
    result.append(rest.substr(0, found));
    result.append(replacement);
    rest.remove_prefix(found + pattern.size());
  }
  result.append(rest);
  return result;
}

void ReplaceInLines(LineList& lines, std::string_view pattern, std::string_view replacement,
                    CodePage cp) {
  lines.SetText(ReplaceAll(lines.Text(), pattern, replacement, cp));
}

size_t PosNoCase(std::string_view needle, std::string_view text, CodePage cp) {
  if (needle.empty()) return 1;
  const std::string_view first =
      needle.substr(0, IsLeadByte(static_cast<unsigned char>(needle[0]), cp) ? 2 : 1);
  const std::string lower = LowerCase(first, cp);
  const std::string upper = UpperCase(first, cp);
  std::string_view rest = text;
  size_t offset = 0;
  for (;;) {
    size_t found = FindBytes(rest, lower, cp);
    if (found == std::string_view::npos) found = FindBytes(rest, upper, cp);
    if (found == std::string_view::npos) return 0;
    if (SameTextNoCase(rest.substr(found, needle.size()), needle, cp)) return offset + found + 1;
    // Skip the whole first character of the candidate: resuming on its trail byte would make
    // the following search misjudge which bytes are trail bytes.
    const size_t skip = found + first.size();
    rest.remove_prefix(skip);
    offset += skip;
  }
}

void FindFiles(std::string_view folder, std::string_view mask, LineList& list, bool recursive,
               CodePage cp) {
  if (folder.empty()) return;
  FindState state{mask.empty() ? "*.*" : std::string(mask), list, recursive, cp, {}, {}};
  for (const std::string& entry : list) state.names_before.insert(LowerCase(entry, cp));
  FindFilesIn(std::string(folder), state);
}

bool DirectoryExists(const std::string& path) { return IsDirectory(path); }

}  // namespace vellumix
