#pragma once
// Bounds-checked access to record and file bytes: outside the bytes a read is absent (false,
// or 0 as a number), never undefined.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrel {

class ByteView {
 public:
  ByteView() = default;
  ByteView(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  ByteView(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}

  std::ptrdiff_t size() const { return static_cast<std::ptrdiff_t>(bytes_.size()); }
  bool empty() const { return bytes_.empty(); }
  bool has(std::ptrdiff_t i) const { return i >= 0 && i < size(); }
  // The byte at i, or 0 when i lies outside.
  std::uint8_t at(std::ptrdiff_t i) const {
    return has(i) ? bytes_[static_cast<std::size_t>(i)] : 0;
  }
  // The bytes from start on, at most count of them, cut to what lies inside.
  // Any start and count are safe: the bounds are compared with what is left, never by adding
  // the two.
  std::span<const std::uint8_t> slice(std::ptrdiff_t start, std::ptrdiff_t count) const {
    if (count <= 0 || start >= size()) return {};
    if (start < 0) {
      if (start <= -count) return {};  // ends before the bytes begin
      count += start;
      start = 0;
    }
    if (count > size() - start) count = size() - start;
    return bytes_.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
  }
  std::span<const std::uint8_t> span() const { return bytes_; }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace kestrel
