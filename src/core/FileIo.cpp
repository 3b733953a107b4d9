#include "core/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/Errors.h"

namespace kestrel {

namespace {

[[noreturn]] void fail(const std::string& fileName, int err) {
  throw IoError(fileName, std::strerror(err));
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace

std::vector<std::uint8_t> readWholeFile(const std::string& fileName) {
  Fd fd(::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) fail(fileName, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) fail(fileName, errno);
  if (S_ISDIR(st.st_mode)) fail(fileName, EISDIR);
  // A device or a pipe could deliver bytes without end; a dump is a regular file.
  if (!S_ISREG(st.st_mode)) throw IoError(fileName, "not a regular file");
  std::vector<std::uint8_t> data;
  if (st.st_size > 0) data.reserve(static_cast<std::size_t>(st.st_size));
  std::uint8_t buf[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      fail(fileName, errno);
    }
    if (n == 0) break;
    data.insert(data.end(), buf, buf + n);
  }
  return data;
}

void writeWholeFile(const std::string& fileName, std::string_view bytes) {
  // The temporary name lies in the target's directory (so the rename cannot cross file systems)
  // and is short, so that a target name near the length limit still works.
  const std::size_t slash = fileName.find_last_of('/');
  std::string temp = (slash == std::string::npos ? std::string() : fileName.substr(0, slash + 1)) +
                     ".kestrel-XXXXXX";
  Fd fd(::mkstemp(temp.data()));
  if (fd.get() < 0) fail(fileName, errno);
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd.get(), p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::unlink(temp.c_str());
      fail(fileName, err);
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  // mkstemp creates the file readable by its owner only; give it the usual mode.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd.get(), 0666 & ~mask);
  if (::close(fd.release()) != 0 || ::rename(temp.c_str(), fileName.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    fail(fileName, err);
  }
}

}  // namespace kestrel
