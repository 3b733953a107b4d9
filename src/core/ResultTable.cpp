#include "core/ResultTable.h"

#include <cstring>
#include <limits>

namespace kestrel {

namespace {

// Store blocks hold many rows; a row longer than a quarter of one gets a block of its own.
constexpr std::size_t kStoreBlock = std::size_t{1} << 16;

std::size_t varintSize(std::size_t value) {
  std::size_t n = 1;
  while (value >= 0x80) {
    value >>= 7;
    ++n;
  }
  return n;
}

unsigned char* putVarint(unsigned char* at, std::size_t value) {
  while (value >= 0x80) {
    *at++ = static_cast<unsigned char>(value | 0x80);
    value >>= 7;
  }
  *at++ = static_cast<unsigned char>(value);
  return at;
}

std::size_t getVarint(const unsigned char*& at) {
  std::size_t value = 0;
  for (int shift = 0;; shift += 7) {
    const unsigned char b = *at++;
    value |= static_cast<std::size_t>(b & 0x7F) << shift;
    if (b < 0x80) return value;
  }
}

// A packed row: the kind, the caption's length and bytes, the sub-item count, the number of
// sub-items stored (those after the last that is not empty are left out), and, when any are stored,
// the width of the end offsets (1, 2 or 4 bytes), the offsets and the texts.
struct Packed {
  std::uint8_t kind = 0;
  std::string_view caption;
  std::size_t count = 0;
  std::size_t stored = 0;
  unsigned width = 0;
  const unsigned char* offsets = nullptr;
  const char* texts = nullptr;

  explicit Packed(const unsigned char* at) {
    kind = *at++;
    const std::size_t captionLength = getVarint(at);
    caption = std::string_view(reinterpret_cast<const char*>(at), captionLength);
    at += captionLength;
    count = getVarint(at);
    stored = getVarint(at);
    if (stored == 0) return;
    width = *at++;
    offsets = at;
    texts = reinterpret_cast<const char*>(at + stored * width);
  }

  std::size_t offsetAt(std::size_t k) const {
    switch (width) {
      case 1:
        return offsets[k];
      case 2: {
        std::uint16_t v;
        std::memcpy(&v, offsets + 2 * k, 2);
        return v;
      }
      default: {
        std::uint32_t v;
        std::memcpy(&v, offsets + 4 * k, 4);
        return v;
      }
    }
  }

  std::string_view subItem(std::size_t k) const {
    if (k >= stored) return {};
    const std::size_t begin = k == 0 ? 0 : offsetAt(k - 1);
    return std::string_view(texts + begin, offsetAt(k) - begin);
  }
};

}  // namespace

ResultTable::Row::Row(const Row& other) {
  if (other.form_ != 0) {
    auto copy = std::make_unique<Open>();
    copy->kind = other.kind();
    copy->caption = other.caption();
    const std::size_t n = other.subItemCount();
    copy->texts.reserve(n);
    for (std::size_t k = 0; k < n; ++k)
      copy->texts.emplace_back(other.subItem(k));
    form_ = reinterpret_cast<std::uintptr_t>(copy.release()) | 1;
  }
}

ResultTable::Row& ResultTable::Row::operator=(const Row& other) {
  if (this != &other) *this = Row(other);
  return *this;
}

ResultTable::Row& ResultTable::Row::operator=(Row&& other) noexcept {
  if (this != &other) {
    release();
    form_ = other.form_;
    other.form_ = 0;
  }
  return *this;
}

ResultTable::Row::~Row() {
  release();
}

void ResultTable::Row::release() noexcept {
  delete open();
  form_ = 0;
}

ResultTable::Row::Open* ResultTable::Row::open() const {
  return (form_ & 1) != 0 ? reinterpret_cast<Open*>(form_ & ~std::uintptr_t{1}) : nullptr;
}

const unsigned char* ResultTable::Row::packed() const {
  return form_ != 0 && (form_ & 1) == 0 ? reinterpret_cast<const unsigned char*>(form_) : nullptr;
}

std::string_view ResultTable::Row::caption() const {
  if (const Open* o = open()) return o->caption;
  if (const unsigned char* p = packed()) return Packed(p).caption;
  return {};
}

void ResultTable::Row::setCaption(std::string_view text) {
  unpack().caption.assign(text);
}

std::size_t ResultTable::Row::subItemCount() const {
  if (const Open* o = open()) return o->texts.size();
  if (const unsigned char* p = packed()) return Packed(p).count;
  return 0;
}

std::string_view ResultTable::Row::subItem(std::size_t k) const {
  if (const Open* o = open()) return k < o->texts.size() ? std::string_view(o->texts[k]) : "";
  if (const unsigned char* p = packed()) return Packed(p).subItem(k);
  return {};
}

void ResultTable::Row::addSubItem(std::string_view text) {
  unpack().texts.emplace_back(text);
}

void ResultTable::Row::setSubItem(std::size_t k, std::string_view text) {
  subItemText(k).assign(text);
}

void ResultTable::Row::appendToSubItem(std::size_t k, std::string_view piece) {
  subItemText(k).append(piece);
}

std::string& ResultTable::Row::subItemText(std::size_t k) {
  std::vector<std::string>& texts = unpack().texts;
  if (k >= texts.size()) texts.resize(k + 1);
  return texts[k];
}

std::string_view ResultTable::Row::cell(std::size_t column) const {
  return column == 0 ? caption() : subItem(column - 1);
}

void ResultTable::Row::setCell(std::size_t column, std::string_view text) {
  cellText(column).assign(text);
}

void ResultTable::Row::appendToCell(std::size_t column, std::string_view piece) {
  cellText(column).append(piece);
}

std::string& ResultTable::Row::cellText(std::size_t column) {
  return column == 0 ? unpack().caption : subItemText(column - 1);
}

std::uint8_t ResultTable::Row::kind() const {
  if (const Open* o = open()) return o->kind;
  if (const unsigned char* p = packed()) return *p;
  return 0;
}

void ResultTable::Row::setKind(std::uint8_t kind) {
  unpack().kind = kind;
}

ResultTable::Row::Open& ResultTable::Row::unpack() {
  if (Open* o = open()) return *o;
  auto o = std::make_unique<Open>();
  if (const unsigned char* p = packed()) {
    const Packed row(p);
    o->kind = row.kind;
    o->caption = row.caption;
    o->texts.reserve(row.count);
    for (std::size_t k = 0; k < row.count; ++k)
      o->texts.emplace_back(row.subItem(k));
  }
  // The packed bytes stay in the store unused until the table is cleared.
  form_ = reinterpret_cast<std::uintptr_t>(o.get()) | 1;
  return *o.release();
}

ResultTable::ResultTable(std::string_view hint, std::vector<Column> columns, bool visible)
    : hint_(hint), columns_(columns), initialColumns_(std::move(columns)), visible_(visible) {}

ResultTable::ResultTable(const ResultTable& other)
    : hint_(other.hint_),
      columns_(other.columns_),
      initialColumns_(other.initialColumns_),
      visible_(other.visible_) {
  for (const Row& row : other.rows_)
    pack(rows_.emplace_back(row));
}

ResultTable& ResultTable::operator=(const ResultTable& other) {
  if (this != &other) *this = ResultTable(other);
  return *this;
}

void ResultTable::swap(ResultTable& other) noexcept {
  using std::swap;
  swap(hint_, other.hint_);
  swap(columns_, other.columns_);
  swap(initialColumns_, other.initialColumns_);
  swap(rows_, other.rows_);
  swap(store_, other.store_);
  swap(storeUsed_, other.storeUsed_);
  swap(storeSize_, other.storeSize_);
  swap(spare_, other.spare_);
  swap(visible_, other.visible_);
}

void ResultTable::clear() {
  rows_.clear();
  store_.clear();
  storeUsed_ = 0;
  storeSize_ = 0;
}

void ResultTable::reset() {
  clear();
  columns_ = initialColumns_;
}

void ResultTable::hideColumnsFrom(std::size_t first) {
  for (std::size_t c = first; c < columns_.size(); ++c)
    columns_[c].width = 0;
}

unsigned char* ResultTable::storeRoom(std::size_t n) {
  n += n % 2;
  if (n > kStoreBlock / 4) {
    auto block = std::make_unique_for_overwrite<unsigned char[]>(n);
    unsigned char* at = block.get();
    // Behind the block being filled, which stays last.
    store_.insert(store_.empty() ? store_.end() : store_.end() - 1, std::move(block));
    return at;
  }
  if (storeSize_ - storeUsed_ < n) {
    store_.push_back(std::make_unique_for_overwrite<unsigned char[]>(kStoreBlock));
    storeUsed_ = 0;
    storeSize_ = kStoreBlock;
  }
  unsigned char* at = store_.back().get() + storeUsed_;
  storeUsed_ += n;
  return at;
}

void ResultTable::pack(Row& r) {
  Row::Open* open = r.open();
  if (open == nullptr) return;
  const std::vector<std::string>& texts = open->texts;
  std::size_t stored = texts.size();
  while (stored > 0 && texts[stored - 1].empty())
    --stored;
  std::size_t length = 0;
  for (std::size_t k = 0; k < stored; ++k)
    length += texts[k].size();
  // A row too long for 32-bit offsets (4 GB of text) stays as it is.
  if (length > std::numeric_limits<std::uint32_t>::max()) return;
  const unsigned width = length <= std::numeric_limits<std::uint8_t>::max()    ? 1
                         : length <= std::numeric_limits<std::uint16_t>::max() ? 2
                                                                               : 4;
  const std::string& caption = open->caption;
  std::size_t size = 1 + varintSize(caption.size()) + caption.size() + varintSize(texts.size()) +
                     varintSize(stored);
  if (stored > 0) size += 1 + stored * width + length;
  unsigned char* const start = storeRoom(size);
  unsigned char* at = start;
  *at++ = open->kind;
  at = putVarint(at, caption.size());
  if (!caption.empty())
    at = static_cast<unsigned char*>(std::memcpy(at, caption.data(), caption.size())) +
         caption.size();
  at = putVarint(at, texts.size());
  at = putVarint(at, stored);
  if (stored > 0) {
    *at++ = static_cast<unsigned char>(width);
    std::size_t end = 0;
    for (std::size_t k = 0; k < stored; ++k) {
      end += texts[k].size();
      if (width == 1) {
        *at = static_cast<unsigned char>(end);
      } else if (width == 2) {
        const auto v = static_cast<std::uint16_t>(end);
        std::memcpy(at, &v, 2);
      } else {
        const auto v = static_cast<std::uint32_t>(end);
        std::memcpy(at, &v, 4);
      }
      at += width;
    }
    for (std::size_t k = 0; k < stored; ++k) {
      if (!texts[k].empty())
        at = static_cast<unsigned char*>(std::memcpy(at, texts[k].data(), texts[k].size())) +
             texts[k].size();
    }
  }
  // The emptied texts keep their capacity for the next row, so filling rows one after another
  // allocates next to nothing once the first few are done.
  open->caption.clear();
  for (std::string& text : open->texts)
    text.clear();
  open->kind = 0;
  r.form_ = reinterpret_cast<std::uintptr_t>(start);
  if (!spare_)
    spare_.reset(open);
  else
    delete open;
}

ResultTable::Row& ResultTable::addRow() {
  return addRow(std::string(), 0);
}

ResultTable::Row& ResultTable::addRow(std::string caption, std::size_t subItemCount) {
  if (!rows_.empty()) pack(rows_.back());
  Row& r = rows_.emplace_back();
  std::unique_ptr<Row::Open> open = spare_ ? std::move(spare_) : std::make_unique<Row::Open>();
  open->caption = std::move(caption);
  open->texts.resize(subItemCount);
  r.form_ = reinterpret_cast<std::uintptr_t>(open.release()) | 1;
  return r;
}

}  // namespace kestrel
