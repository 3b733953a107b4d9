#include "core/PmSections.h"

#include <utility>

namespace kestrel {

void PmSections::load(std::shared_ptr<const HeldBytes> image) {
  index_.reset();
  image_ = std::move(image);
  index_ = std::make_unique<IniReader>(image_->span());
}

void PmSections::clear() {
  index_.reset();  // the index points into the image
  image_.reset();
}

void PmSections::swap(PmSections& other) noexcept {
  image_.swap(other.image_);
  index_.swap(other.index_);
}

std::span<const std::uint8_t> PmSections::image() const {
  return image_ ? image_->span() : std::span<const std::uint8_t>();
}

std::vector<std::string> PmSections::sectionNames() const {
  return index_ ? index_->sectionNames() : std::vector<std::string>();
}

}  // namespace kestrel
