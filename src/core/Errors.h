#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kestrel {

// Thrown where a reader meets a byte its format does not allow; the command that started the
// work turns it into the reader's message.
class FormatError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file that cannot be read or written: carries the file name and the system's reason.
class IoError : public std::runtime_error {
 public:
  IoError(std::string fileName, std::string reason)
      : std::runtime_error(fileName + ": " + reason),
        fileName_(std::move(fileName)),
        reason_(std::move(reason)) {}
  const std::string& fileName() const { return fileName_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string fileName_;
  std::string reason_;
};

// Thrown where a command that was asked to stop next reports its progress or reads its input:
// it ends the command, and whoever asked for the stop drops what the command had done.
class Cancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "cancelled"; }
};

// A save that found nothing the file could hold: no file is written, and the text says why.
class NothingWritten : public std::runtime_error {
 public:
  explicit NothingWritten(std::string_view why) : std::runtime_error(std::string(why)) {}
};

}  // namespace kestrel
