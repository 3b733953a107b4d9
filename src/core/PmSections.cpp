#include "core/PmSections.h"

#include <utility>

namespace kestrel {

void PmSections::load(std::shared_ptr<const std::vector<std::uint8_t>> image) {
  index_.reset();
  image_ = std::move(image);
  index_ = std::make_unique<IniReader>(*image_);
}

void PmSections::clear() {
  index_.reset();  // the index points into the image
  image_.reset();
}

void PmSections::swap(PmSections& other) noexcept {
  image_.swap(other.image_);
  index_.swap(other.index_);
}

const std::vector<std::uint8_t>& PmSections::image() const {
  static const std::vector<std::uint8_t> none;
  return image_ ? *image_ : none;
}

std::vector<std::string> PmSections::sectionNames() const {
  return index_ ? index_->sectionNames() : std::vector<std::string>();
}

}  // namespace kestrel
