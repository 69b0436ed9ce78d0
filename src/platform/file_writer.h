// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <shared_mutex>
#include <string>

namespace vumbrel::engine {

// The target file of one task, written by several connections at their own
// offsets (pwrite). Once close() has returned no write reaches the file any
// more, even from a connection that outlived its task: writes and close
// exclude each other.
class FileWriter {
 public:
  enum class Mode { CreateNew, Overwrite };

  // Opens `nativePath`: CreateNew fails when the file exists, Overwrite
  // truncates it; anything but a regular file is refused. A known size (>= 0) is set at once, so
  // that every block can be written in place. nullptr on failure, with errno's text in `error`.
  static std::unique_ptr<FileWriter> open(const std::string& nativePath, Mode mode, int64_t size,
                                          std::string& error);
  ~FileWriter();
  FileWriter(const FileWriter&) = delete;
  FileWriter& operator=(const FileWriter&) = delete;

  enum class Result { Written, Closed, Failed };
  // Writes all `length` bytes at `offset`, then runs `committed` while close()
  // is still held off, so that the caller's count of written bytes is never
  // behind a final state taken after close(). Failed sets errno's text.
  Result writeAt(int64_t offset, const char* data, std::size_t length,
                 const std::function<void()>& committed, std::string& error);
  // The file's size on disk, or -1.
  int64_t size() const;
  // Ends all writing and closes the file; waits for a write under way.
  void close();

 private:
  explicit FileWriter(int fd) : fd_(fd) {}
  mutable std::shared_mutex gate_;
  int fd_;
  bool closed_ = false;
};

}  // namespace vumbrel::engine
