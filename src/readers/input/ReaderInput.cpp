#include "readers/input/ReaderInput.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kestrel {

namespace {

const Progress& silent() {
  static const Progress none;
  return none;
}

}  // namespace

ReaderInput::ReaderInput(std::string name, std::optional<std::vector<std::uint8_t>> bytes)
    : name_(std::move(name)), bytes_(std::move(bytes)), progress_(&silent()) {}

ReaderInput ReaderInput::file(std::string name) {
  return ReaderInput(std::move(name), std::nullopt);
}

ReaderInput ReaderInput::bytes(std::string name, std::vector<std::uint8_t> bytes) {
  return ReaderInput(std::move(name), std::move(bytes));
}

void ReaderInput::open() {
  if (!bytes_ && !source_) source_ = std::make_unique<FileSource>(name_);
}

std::vector<std::uint8_t> ReaderInput::readAll() {
  if (bytes_) return std::move(*bytes_);
  return readWholeFile(name_);
}

std::size_t ReaderInput::read(char* to, std::size_t room) {
  if (bytes_) {
    const std::size_t n = std::min(room, bytes_->size() - taken_);
    if (n > 0) std::memcpy(to, bytes_->data() + taken_, n);
    taken_ += n;
    return n;
  }
  open();
  return source_->read(to, room);
}

}  // namespace kestrel
