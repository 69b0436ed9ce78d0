// SPDX-License-Identifier: MIT
#include "platform/file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace vumbrel::engine {

std::unique_ptr<FileWriter> FileWriter::open(const std::string& nativePath, Mode mode, int64_t size,
                                             std::string& error) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::CreateNew ? O_EXCL : O_TRUNC);
  const int fd = ::open(nativePath.c_str(), flags, 0644);
  if (fd < 0) {
    error = std::strerror(errno);
    return nullptr;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    // A device or pipe is never a download's target, and never removed.
    error = "not a regular file";
    ::close(fd);
    return nullptr;
  }
  if (size > 0 && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    error = std::strerror(errno);
    ::close(fd);
    ::unlink(nativePath.c_str());
    return nullptr;
  }
  return std::unique_ptr<FileWriter>(new FileWriter(fd));
}

FileWriter::~FileWriter() { close(); }

FileWriter::Result FileWriter::writeAt(int64_t offset, const char* data, std::size_t length,
                                       const std::function<void()>& committed, std::string& error) {
  std::shared_lock lock(gate_);
  if (closed_) return Result::Closed;
  while (length > 0) {
    const ssize_t n = ::pwrite(fd_, data, length, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      error = std::strerror(errno);
      return Result::Failed;
    }
    if (n == 0) {
      error = "nothing written";
      return Result::Failed;
    }
    data += n;
    offset += n;
    length -= static_cast<std::size_t>(n);
  }
  if (committed) committed();
  return Result::Written;
}

int64_t FileWriter::size() const {
  std::shared_lock lock(gate_);
  struct stat st {};
  if (closed_ || ::fstat(fd_, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

void FileWriter::close() {
  std::unique_lock lock(gate_);
  if (closed_) return;
  closed_ = true;
  ::close(fd_);
}

}  // namespace vumbrel::engine
