#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace zelvo::platform {
namespace {

std::string ErrnoText(int error) {
  return std::strerror(error);
}

std::string ParentDirectory(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path finally names: a symbolic link is followed to its target.
std::string ResolveTarget(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;  // a dangling link: the link itself is replaced
}

mode_t DefaultMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

bool WriteAll(int fd, std::string_view contents) {
  const char* data = contents.data();
  size_t left = contents.size();
  while (left > 0) {
    ssize_t written = write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  return true;
}

}  // namespace

std::string WriteFileAtomically(const std::string& path, std::string_view contents) {
  if (path.empty()) return ErrnoText(ENOENT);
  std::string target = ResolveTarget(path);

  mode_t mode = DefaultMode();
  struct stat info {};
  if (stat(target.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return "not a regular file";
    if (access(target.c_str(), W_OK) != 0) return ErrnoText(errno);
    mode = info.st_mode & 07777;
  }

  std::string temporary = ParentDirectory(target) + "/." + BaseName(target) + ".XXXXXX";
  int fd = mkstemp(temporary.data());
  if (fd < 0) return ErrnoText(errno);

  int error = 0;
  if (!WriteAll(fd, contents) || fchmod(fd, mode) != 0 || fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return ErrnoText(error);
  }

  // Make the rename itself durable; a failure here loses nothing that was asked for.
  int directory = open(ParentDirectory(target).c_str(), O_RDONLY | O_DIRECTORY);
  if (directory >= 0) {
    fsync(directory);
    close(directory);
  }
  return {};
}

std::string MakeDirectories(const std::string& directory) {
  if (directory.empty()) return {};
  struct stat info {};
  if (stat(directory.c_str(), &info) == 0) {
    return S_ISDIR(info.st_mode) ? std::string() : ErrnoText(ENOTDIR);
  }
  std::string parent = ParentDirectory(directory);
  if (parent != directory) {
    if (std::string error = MakeDirectories(parent); !error.empty()) return error;
  }
  if (mkdir(directory.c_str(), 0777) != 0 && errno != EEXIST) return ErrnoText(errno);
  return {};
}

}  // namespace zelvo::platform
