#pragma once
// A file's bytes held whole, shared by whoever reads them: a copy in memory, or the file's own
// pages (MappedFile).

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace kestrel {

class HeldBytes {
 public:
  HeldBytes() = default;
  explicit HeldBytes(std::vector<std::uint8_t> copy) : copy_(std::move(copy)), bytes_(copy_) {}
  HeldBytes(const HeldBytes&) = delete;
  HeldBytes& operator=(const HeldBytes&) = delete;
  virtual ~HeldBytes() = default;

  std::span<const std::uint8_t> span() const { return bytes_; }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  auto begin() const { return bytes_.begin(); }
  auto end() const { return bytes_.end(); }
  // Whether the bytes may no longer be those read (the file's own pages can change or become
  // unreadable; a copy cannot).
  virtual bool changed() const { return false; }

 protected:
  // Bytes that lie elsewhere, held by the subclass.
  void hold(std::span<const std::uint8_t> bytes) { bytes_ = bytes; }
  // A copy whose size is known only once it is read, resized as it is filled; its bytes.
  std::uint8_t* resizeCopy(std::size_t size) {
    copy_.resize(size);
    bytes_ = copy_;
    return copy_.data();
  }

 private:
  std::vector<std::uint8_t> copy_;
  std::span<const std::uint8_t> bytes_;
};

}  // namespace kestrel
