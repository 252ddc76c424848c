// SPDX-License-Identifier: GPL-2.0-or-later
// The file services the builder needs, over POSIX. Paths are byte strings used as given.
#pragma once

#include <ctime>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vellumix {

// True when `path` names an existing folder (following symbolic links); false for nothing or a
// file.
bool IsDirectory(const std::string& path);
// True when `path` names an existing entry that is not a folder.
bool IsFile(const std::string& path);

// Creates exactly one folder level. False when the parent is missing or something exists at
// `path` already (a folder included), or on any other error.
bool CreateOneDirectory(const std::string& path);

// One entry of a folder listing.
struct DirEntry {
  std::string name;
  bool is_directory = false;
};
// The entries of `folder` other than "." and "..", in the order the system lists them; empty when
// the folder is missing or unreadable.
std::vector<DirEntry> ListDirectory(const std::string& folder);

// Wildcard match of a file name against a mask with "*" and "?", without regard to ASCII case.
// As on Windows, "*.*" matches every name, a name without a dot included.
bool MatchesMask(const std::string& name, const std::string& mask);

// The whole file as bytes. Throws Failure naming the path when it cannot be read.
std::string ReadFileBytes(const std::string& path);
// Writes `bytes` to `path`, replacing an existing file: through a temporary file in the same
// folder that is renamed over it, so a failed write leaves the earlier file untouched and no
// partial file. Throws Failure naming the path.
void WriteFileBytes(const std::string& path, const std::string& bytes);

// Size in bytes of the file at `path`, or nullopt when it cannot be opened for reading.
std::optional<int64_t> ReadableFileSize(const std::string& path);

// Last-modification time of the file, or nullopt.
std::optional<std::time_t> LastWriteTime(const std::string& path);
// Sets the file's last-modification (and access) time; false when it cannot.
bool SetLastWriteTime(const std::string& path, std::time_t time);
// `time` rounded down to the two-second steps of a DOS date and time, as a local time.
std::time_t ToDosTimeResolution(std::time_t time);

// True when both paths name the same existing folder or file on disk (device and inode).
bool SameFileOnDisk(const std::string& a, const std::string& b);

// Renames `from` to `to` without ever replacing an existing `to`. False when `to` exists or the
// rename fails.
bool RenameNoReplace(const std::string& from, const std::string& to);

}  // namespace vellumix
