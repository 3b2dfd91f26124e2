// POSIX side of the platform layer: UTF-8 at the boundaries, the slash as a
// second directory separator, no SIGPIPE.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/cp1252.h"
#include "platform/platform.h"

void PlatformInit() { ::signal(SIGPIPE, SIG_IGN); }

bool ArgumentToInternal(const char* argument, std::string& internal) {
  return Utf8ToCp1252(argument, internal);
}

std::string InternalToConsole(std::string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  Cp1252ToUtf8(text, utf8);
  return utf8;
}

bool IsDirectorySeparator(char c) { return c == '\\' || c == '/'; }

std::string NativePath(std::string_view path) {
  std::string slashed(path);
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  std::string utf8;
  Cp1252ToUtf8(slashed, utf8);
  return utf8;
}

namespace {

// Opened without blocking, so that a FIFO without a writer cannot hold the
// run, and refused unless regular; reads then block as usual.
std::FILE* OpenRegularForReading(const std::string& native, const char* mode) {
  const int fd = ::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int reason = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(fd);
    errno = reason;
    return nullptr;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, mode);
  if (file == nullptr) ::close(fd);
  return file;
}

}  // namespace

std::FILE* OpenFile(std::string_view path, const char* mode) {
  const std::string native = NativePath(path);
  if (native.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  if (mode[0] == 'r' && std::strchr(mode, '+') == nullptr) {
    return OpenRegularForReading(native, mode);
  }
  std::FILE* file = std::fopen(native.c_str(), mode);
  if (file == nullptr) return nullptr;
  struct stat info {};
  if (::fstat(::fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(file);
    errno = EISDIR;
    return nullptr;
  }
  return file;
}

namespace {

constexpr char kPartMark[] = ".part-";

// The directory part of a native path ("." when it has none).
std::string DirectoryPart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write to path lands in: symbolic links followed, however many,
// up to the system's own limit on a chain. A dangling link gives the file it
// names, which a plain write would create.
std::string FinalTarget(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string link(static_cast<std::size_t>(info.st_size) + 256, '\0');
    const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= link.size()) return path;
    link.resize(static_cast<std::size_t>(length));
    path = link[0] == '/' ? link : DirectoryPart(path) + "/" + link;
  }
  return path;
}

// Owner and group first (a change of owner may clear the mode's set-id
// bits), then the permission bits. Owner or group that the process may not
// give away are left as created.
void TakeRightsOf(int fd, const std::string& target) {
  struct stat old {};
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
      (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    }
    ::fchmod(fd, old.st_mode & 07777);
    return;
  }
  // The permissions a plainly created file would have.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

}  // namespace

bool CreateFileBeside(std::string_view targetPath, FileBeside& beside) {
  beside = FileBeside{};
  const std::string target = FinalTarget(NativePath(targetPath));
  const std::string directory = DirectoryPart(target);
  std::string pattern = directory + "/." + NamePart(target) + kPartMark + "XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    ::close(fd);
    ::unlink(pattern.c_str());
    return false;
  }
  TakeRightsOf(fd, target);
  beside.file = file;
  beside.tempPath = pattern;
  beside.targetPath = target;
  return true;
}

bool CommitFileBeside(FileBeside& beside) {
  if (beside.file == nullptr) return false;
  bool ok = std::fflush(beside.file) == 0;
  ok = (::fsync(::fileno(beside.file)) == 0) && ok;
  ok = (std::fclose(beside.file) == 0) && ok;
  beside.file = nullptr;
  // Opened before the rename: a directory that cannot be synced must not
  // get the new name at all.
  const int directory =
      ok ? ::open(DirectoryPart(beside.targetPath).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
         : -1;
  if (directory < 0 || std::rename(beside.tempPath.c_str(), beside.targetPath.c_str()) != 0) {
    if (directory >= 0) ::close(directory);
    ::unlink(beside.tempPath.c_str());
    return false;
  }
  ok = ::fsync(directory) == 0;
  ok = (::close(directory) == 0) && ok;
  return ok;
}

void DiscardFileBeside(FileBeside& beside) {
  if (beside.file == nullptr) return;
  std::fclose(beside.file);
  beside.file = nullptr;
  ::unlink(beside.tempPath.c_str());
}

void RemoveStaleFilesBeside(std::string_view targetPath, long maxAgeSeconds) {
  const std::string target = FinalTarget(NativePath(targetPath));
  const std::string directory = DirectoryPart(target);
  const std::string prefix = "." + NamePart(target) + kPartMark;
  DIR* listing = ::opendir(directory.c_str());
  if (listing == nullptr) return;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(listing)) {
    if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0) continue;
    const std::string path = directory + "/" + entry->d_name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
        now - info.st_mtime > maxAgeSeconds) {
      ::unlink(path.c_str());
    }
  }
  ::closedir(listing);
}

bool RemoveNativeFile(std::string_view nativePath) {
  return ::unlink(std::string(nativePath).c_str()) == 0;
}

bool LocalTimeOf(std::time_t moment, std::tm& local) {
  return ::localtime_r(&moment, &local) != nullptr;
}
