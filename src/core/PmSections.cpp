#include "core/PmSections.h"

#include <utility>

namespace kestrel {

void PmSections::load(std::vector<std::uint8_t> image) {
  index_.reset();
  image_ = std::move(image);
  index_ = std::make_unique<IniReader>(image_);
}

void PmSections::clear() {
  index_.reset();  // the index points into the image
  image_.clear();
}

std::vector<std::string> PmSections::sectionNames() const {
  return index_ ? index_->sectionNames() : std::vector<std::string>();
}

}  // namespace kestrel
