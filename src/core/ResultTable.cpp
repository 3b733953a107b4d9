#include "core/ResultTable.h"

#include <cstring>
#include <limits>

namespace kestrel {

namespace {

template <typename Offset>
void putOffset(char* at, std::size_t value) {
  const auto offset = static_cast<Offset>(value);
  std::memcpy(at, &offset, sizeof offset);
}

template <typename Offset>
std::size_t getOffset(const char* at) {
  Offset offset;
  std::memcpy(&offset, at, sizeof offset);
  return offset;
}

}  // namespace

ResultTable::Row::Row(const Row& other)
    : caption(other.caption),
      open_(other.open_ ? std::make_unique<Texts>(*other.open_) : nullptr),
      packedCount_(other.packedCount_),
      wideOffsets_(other.wideOffsets_) {
  if (other.packed_) {
    const std::size_t size = other.packedSize();
    packed_ = std::make_unique_for_overwrite<char[]>(size);
    std::memcpy(packed_.get(), other.packed_.get(), size);
  }
}

ResultTable::Row& ResultTable::Row::operator=(const Row& other) {
  if (this != &other) *this = Row(other);
  return *this;
}

std::size_t ResultTable::Row::offsetAt(std::size_t k) const {
  return wideOffsets_ ? getOffset<std::uint32_t>(packed_.get() + 4 * k)
                      : getOffset<std::uint16_t>(packed_.get() + 2 * k);
}

std::size_t ResultTable::Row::packedSize() const {
  if (packedCount_ == 0) return 0;
  return packedCount_ * (wideOffsets_ ? 4u : 2u) + offsetAt(packedCount_ - 1);
}

std::size_t ResultTable::Row::subItemCount() const {
  return open_ ? open_->size() : packedCount_;
}

std::string_view ResultTable::Row::subItem(std::size_t k) const {
  if (open_) return k < open_->size() ? std::string_view((*open_)[k]) : std::string_view();
  if (k >= packedCount_) return {};
  const std::size_t texts = packedCount_ * (wideOffsets_ ? 4u : 2u);
  const std::size_t begin = k == 0 ? 0 : offsetAt(k - 1);
  return std::string_view(packed_.get() + texts + begin, offsetAt(k) - begin);
}

void ResultTable::Row::addSubItem(std::string_view text) {
  unpack().emplace_back(text);
}

void ResultTable::Row::setSubItem(std::size_t k, std::string_view text) {
  Texts& texts = unpack();
  if (k >= texts.size()) texts.resize(k + 1);
  texts[k].assign(text);
}

void ResultTable::Row::appendToSubItem(std::size_t k, std::string_view piece) {
  subItemText(k).append(piece);
}

std::string& ResultTable::Row::subItemText(std::size_t k) {
  Texts& texts = unpack();
  if (k >= texts.size()) texts.resize(k + 1);
  return texts[k];
}

void ResultTable::Row::pack(std::unique_ptr<Texts>& spare) {
  if (!open_) return;
  const Texts& texts = *open_;
  std::size_t length = 0;
  for (const std::string& text : texts)
    length += text.size();
  // A row too long for 32-bit offsets (4 GB of text) stays as it is.
  if (length > std::numeric_limits<std::uint32_t>::max() ||
      texts.size() > std::numeric_limits<std::uint32_t>::max())
    return;
  wideOffsets_ = length > std::numeric_limits<std::uint16_t>::max();
  const std::size_t width = wideOffsets_ ? 4 : 2;
  packedCount_ = static_cast<std::uint32_t>(texts.size());
  packed_ = texts.empty() ? nullptr
                          : std::make_unique_for_overwrite<char[]>(texts.size() * width + length);
  char* offsets = packed_.get();
  char* out = offsets + texts.size() * width;
  std::size_t end = 0;
  for (const std::string& text : texts) {
    end += text.size();
    if (wideOffsets_)
      putOffset<std::uint32_t>(offsets, end);
    else
      putOffset<std::uint16_t>(offsets, end);
    offsets += width;
    if (!text.empty())
      out = static_cast<char*>(std::memcpy(out, text.data(), text.size())) + text.size();
  }
  for (std::string& text : *open_)
    text.clear();
  spare = std::move(open_);
}

ResultTable::Row::Texts& ResultTable::Row::unpack() {
  if (!open_) {
    auto texts = std::make_unique<Texts>();
    texts->reserve(packedCount_);
    for (std::size_t k = 0; k < packedCount_; ++k)
      texts->emplace_back(subItem(k));
    open_ = std::move(texts);
    packed_.reset();
    packedCount_ = 0;
  }
  return *open_;
}

ResultTable::ResultTable(std::string_view hint, std::vector<Column> columns, bool visible)
    : hint_(hint), columns_(columns), initialColumns_(std::move(columns)), visible_(visible) {}

void ResultTable::reset() {
  rows_.clear();
  columns_ = initialColumns_;
}

void ResultTable::hideColumnsFrom(std::size_t first) {
  for (std::size_t c = first; c < columns_.size(); ++c)
    columns_[c].width = 0;
}

ResultTable::Row& ResultTable::addRow() {
  return addRow(std::string(), 0);
}

ResultTable::Row& ResultTable::addRow(std::string caption, std::size_t subItemCount) {
  if (!rows_.empty()) rows_.back().pack(spare_.texts);
  Row& r = rows_.emplace_back();
  r.caption = std::move(caption);
  // The texts of the row packed last keep their capacity, so filling rows one after another
  // allocates next to nothing once the first few are done.
  r.open_ = spare_.texts ? std::move(spare_.texts) : std::make_unique<Row::Texts>();
  r.open_->resize(subItemCount);
  return r;
}

std::string_view ResultTable::cell(std::size_t r, std::size_t c) const {
  const Row& row = rows_.at(r);
  return c == 0 ? std::string_view(row.caption) : row.subItem(c - 1);
}

}  // namespace kestrel
