#pragma once
// The raw sections of a PM dump: the file's image and the index of its sections and keys, which
// the raw-section page lists and reads line by line. Empty for every other kind of file.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/HeldBytes.h"
#include "core/IniReader.h"

namespace kestrel {

class PmSections {
 public:
  // Keeps the file's image (shared with whoever else reads it) and indexes it; the index points
  // into the image.
  void load(std::shared_ptr<const HeldBytes> image);
  void clear();
  // Exchanges the images and their indexes.
  void swap(PmSections& other) noexcept;

  std::span<const std::uint8_t> image() const;
  // The index, or null before a dump was loaded.
  const IniReader* index() const { return index_.get(); }

  // The names of the dump's sections in file order, read from the image when asked for, so that
  // a dump of millions of sections holds no copy of them.
  std::vector<std::string> sectionNames() const;

 private:
  std::shared_ptr<const HeldBytes> image_;
  std::unique_ptr<IniReader> index_;
};

}  // namespace kestrel
