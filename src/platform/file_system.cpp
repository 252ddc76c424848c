// SPDX-License-Identifier: GPL-2.0-or-later
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/errors.h"

namespace vellumix {

namespace {

Failure SystemFailure(const std::string& path, int error) {
  return Failure(path + ": " + std::strerror(error));
}

// Closes the descriptor on every way out; the result of an explicit Close() is what counts for
// written files.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int Close() {
    if (fd_ < 0) return 0;
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int RenameExclusive(const char* from, const char* to) {
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 28))
  return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
#elif defined(SYS_renameat2)
  return static_cast<int>(::syscall(SYS_renameat2, AT_FDCWD, from, AT_FDCWD, to, 1 /*NOREPLACE*/));
#else
  errno = ENOSYS;
  return -1;
#endif
}

}  // namespace

bool IsDirectory(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool CreateOneDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

std::vector<DirEntry> ListDirectory(const std::string& folder) {
  std::vector<DirEntry> entries;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
  if (!dir) return entries;
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool is_directory = entry->d_type == DT_DIR;
    // A link to a folder is a folder, as it is for every other file service; some file systems
    // do not report the type at all.
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN)
      is_directory = IsDirectory(prefix + name);
    entries.push_back({name, is_directory});
  }
  return entries;
}

bool MatchesMask(const std::string& name, const std::string& mask) {
  if (mask == "*.*") return true;
  // Greedy matching with one backtrack point: the last "*" seen and where its match ended.
  size_t n = 0, m = 0;
  size_t star = std::string::npos, star_end = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      star_end = n;
    } else if (m < mask.size() && (mask[m] == '?' || FoldAscii(mask[m]) == FoldAscii(name[n]))) {
      ++m;
      ++n;
    } else if (star != std::string::npos) {
      m = star + 1;
      n = ++star_end;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

std::string ReadFileBytes(const std::string& path) {
  // O_NONBLOCK keeps a named pipe from holding the open forever; it changes nothing for files.
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) throw SystemFailure(path, errno);
  struct stat info;
  if (::fstat(fd.get(), &info) != 0) throw SystemFailure(path, errno);
  // A pipe or a device such as /dev/zero named as a template or photo would never end.
  if (S_ISDIR(info.st_mode)) throw SystemFailure(path, EISDIR);
  if (!S_ISREG(info.st_mode)) throw Failure(path + ": not a regular file");
  std::string bytes;
  if (info.st_size > 0) bytes.reserve(info.st_size);
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      throw SystemFailure(path, errno);
    }
    bytes.append(buffer, static_cast<size_t>(got));
  }
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  // Written beside the target under a name of its own and renamed over it, so that a write that
  // fails (a full disk) or a run that is stopped leaves the earlier file as it was, and never a
  // half-written page, thumbnail or copy.
  static std::atomic<unsigned> serial{0};
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string temp;
  int raw = -1;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = folder + ".vellumix-" + std::to_string(::getpid()) + "-" + std::to_string(serial++) +
           ".tmp";
    raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (raw >= 0 || errno != EEXIST) break;
  }
  if (raw < 0) throw SystemFailure(path, errno);
  FileDescriptor fd(raw);
  const auto fail = [&](int error) {
    fd.Close();
    ::unlink(temp.c_str());
    return SystemFailure(path, error);
  };
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      throw fail(errno);
    }
    done += static_cast<size_t>(put);
  }
  // Some file systems (network, full disks with delayed allocation) report errors only here.
  if (fd.Close() != 0) throw fail(errno);
  if (::rename(temp.c_str(), path.c_str()) != 0) throw fail(errno);
}

std::optional<int64_t> ReadableFileSize(const std::string& path) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return std::nullopt;
  struct stat info;
  // A folder opens for reading here, but it is not a file whose size could be shown.
  if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  return static_cast<int64_t>(info.st_size);
}

std::optional<std::time_t> LastWriteTime(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return info.st_mtime;
}

bool SetLastWriteTime(const std::string& path, std::time_t time) {
  const struct timespec times[2] = {{time, 0}, {time, 0}};
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::time_t ToDosTimeResolution(std::time_t time) {
  // The parity of the seconds is that of the local clock: zones with offsets in odd seconds
  // (historical mean times) make it differ from the parity of `time` itself.
  struct tm local;
  if (::localtime_r(&time, &local) == nullptr) return time;
  return time - (local.tm_sec % 2);
}

bool SameFileOnDisk(const std::string& a, const std::string& b) {
  struct stat info_a, info_b;
  if (::stat(a.c_str(), &info_a) != 0 || ::stat(b.c_str(), &info_b) != 0) return false;
  return info_a.st_dev == info_b.st_dev && info_a.st_ino == info_b.st_ino;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (RenameExclusive(from.c_str(), to.c_str()) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot rename exclusively: a hard link is just as exclusive, since link()
  // never replaces an existing name.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  if (::unlink(from.c_str()) != 0) {
    ::unlink(to.c_str());  // back to one name, so nothing looks moved that was not
    return false;
  }
  return true;
}

}  // namespace vellumix
