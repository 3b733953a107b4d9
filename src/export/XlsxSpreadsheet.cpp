#include "export/XlsxSpreadsheet.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <numeric>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "core/Cp1251.h"
#include "core/Errors.h"
#include "core/FileIo.h"
#include "core/TemporaryFiles.h"
#include "core/UniqueFd.h"

namespace kestrel::output {

namespace {

// The application's limits besides those of SpreadsheetAutomation.h.
constexpr std::uint32_t kMaxRow = kSheetRows;
constexpr std::uint32_t kMaxColumn = 16384;  // XFD
constexpr std::string_view kSheetNameForbidden = ":\\/?*[]";
// The number of the built-in "@" format.
constexpr int kTextFormatIndex = 49;

// What a column carries: number format ("" = General) and the xlsxwriter alignments (0 = none).
struct ColumnStyle {
  std::string format;
  std::uint8_t horizontal = 0;
  std::uint8_t vertical = 0;

  auto key() const { return std::tie(format, horizontal, vertical); }
  bool plain() const { return format.empty() && horizontal == 0 && vertical == 0; }
};

// A sheet's cells in the order they were set, their texts one after another: an export sets
// hundreds of thousands of cells, row by row, and a tree of them took as much memory again as
// the document. A cell set again, or emptied, is sorted out when the cells are read, the last
// setting winning.
class SheetCells {
 public:
  // Sets the cell at 1-based row and column; an empty text empties it.
  void set(std::uint32_t row, std::uint32_t column, std::string_view text) {
    const bool afterAll = entries_.empty() || before(entries_.back(), row, column);
    // A cell after every cell set so far was never set: emptying it changes nothing.
    if (text.empty() && ordered_ && afterAll) return;
    if (!afterAll) ordered_ = false;
    entries_.push_back({row, column, texts_.size(), static_cast<std::uint32_t>(text.size())});
    texts_.append(text);
  }

  // Calls visit(row, column, text) for every cell that holds a text, by row, then column.
  template <typename Visit>
  void forEach(Visit visit) const {
    const auto textOf = [&](const Entry& e) {
      return std::string_view(texts_).substr(e.at, e.size);
    };
    if (ordered_) {
      // No cell was set twice: each entry is a cell of its own.
      for (const Entry& e : entries_) {
        if (e.size > 0) visit(e.row, e.column, textOf(e));
      }
      return;
    }
    std::vector<std::size_t> order(entries_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
      return before(entries_[a], entries_[b].row, entries_[b].column);
    });
    for (std::size_t i = 0; i < order.size(); ++i) {
      const Entry& e = entries_[order[i]];
      const bool setAgain = i + 1 < order.size() && entries_[order[i + 1]].row == e.row &&
                            entries_[order[i + 1]].column == e.column;
      if (!setAgain && e.size > 0) visit(e.row, e.column, textOf(e));
    }
  }

 private:
  struct Entry {
    std::uint32_t row;
    std::uint32_t column;
    std::size_t at;  // where its text starts in texts_
    std::uint32_t size;
  };
  static bool before(const Entry& e, std::uint32_t row, std::uint32_t column) {
    return e.row < row || (e.row == row && e.column < column);
  }

  std::vector<Entry> entries_;
  std::string texts_;
  bool ordered_ = true;  // every entry's cell comes after the one before it
};

struct Sheet {
  std::string name;
  std::map<std::uint32_t, ColumnStyle> columns;  // by 1-based column
  SheetCells cells;
};

// A column name of one to three letters at `pos`, optionally after "$": its 1-based number.
std::optional<std::uint32_t> readColumn(std::string_view text, std::size_t& pos) {
  if (pos < text.size() && text[pos] == '$') ++pos;
  std::uint32_t column = 0;
  std::size_t letters = 0;
  while (pos < text.size() && letters < 4) {
    char c = text[pos];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') break;
    column = column * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
    ++letters;
    ++pos;
  }
  if (letters == 0 || letters > 3 || column > kMaxColumn) return std::nullopt;
  return column;
}

struct CellRef {
  std::uint32_t row;
  std::uint32_t column;
};

std::optional<CellRef> parseCell(std::string_view text) {
  std::size_t pos = 0;
  const auto column = readColumn(text, pos);
  if (!column) return std::nullopt;
  if (pos < text.size() && text[pos] == '$') ++pos;
  if (pos >= text.size() || text[pos] < '1' || text[pos] > '9') return std::nullopt;
  std::uint32_t row = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < '0' || text[pos] > '9' || row > kMaxRow) return std::nullopt;
    row = row * 10 + static_cast<std::uint32_t>(text[pos] - '0');
  }
  if (row > kMaxRow) return std::nullopt;
  return CellRef{row, *column};
}

// "A:N" (either way round): the first and last 1-based column.
std::optional<std::pair<std::uint32_t, std::uint32_t>> parseColumnRange(std::string_view text) {
  std::size_t pos = 0;
  const auto first = readColumn(text, pos);
  if (!first || pos >= text.size() || text[pos] != ':') return std::nullopt;
  ++pos;
  const auto last = readColumn(text, pos);
  if (!last || pos != text.size()) return std::nullopt;
  return std::minmax(*first, *last);
}

std::optional<std::uint8_t> horizontalOf(int alignment) {
  switch (alignment) {
    case kAlignGeneral:
      return std::uint8_t{LXW_ALIGN_NONE};
    case kAlignLeft:
      return std::uint8_t{LXW_ALIGN_LEFT};
    case kAlignCentre:
      return std::uint8_t{LXW_ALIGN_CENTER};
    case kAlignRight:
      return std::uint8_t{LXW_ALIGN_RIGHT};
    case kAlignFill:
      return std::uint8_t{LXW_ALIGN_FILL};
    case kAlignJustify:
      return std::uint8_t{LXW_ALIGN_JUSTIFY};
    case kAlignCentreAcrossSelection:
      return std::uint8_t{LXW_ALIGN_CENTER_ACROSS};
    case kAlignDistributed:
      return std::uint8_t{LXW_ALIGN_DISTRIBUTED};
    default:
      return std::nullopt;
  }
}

std::optional<std::uint8_t> verticalOf(int alignment) {
  switch (alignment) {
    case kAlignTop:
      return std::uint8_t{LXW_ALIGN_VERTICAL_TOP};
    case kAlignCentre:
      return std::uint8_t{LXW_ALIGN_VERTICAL_CENTER};
    case kAlignBottom:
      return std::uint8_t{LXW_ALIGN_VERTICAL_BOTTOM};
    case kAlignJustify:
      return std::uint8_t{LXW_ALIGN_VERTICAL_JUSTIFY};
    case kAlignDistributed:
      return std::uint8_t{LXW_ALIGN_VERTICAL_DISTRIBUTED};
    default:
      return std::nullopt;
  }
}

// Runs an operation so that nothing escapes it: a failure of any kind is a false result.
template <typename F>
bool succeeded(F&& operation) noexcept {
  try {
    return operation();
  } catch (...) {
    return false;
  }
}

std::string temporaryRoot() {
  const char* dir = std::getenv("TMPDIR");
  return dir && *dir ? dir : "/tmp";
}

// A cell text as the file stores it. The file format reads "_x0041_" as an escaped "A", so a
// text that holds such a form literally gets its "_" escaped, "_x005F_", and reads back as
// written. The library refuses a stored text longer than a cell holds: a text that the escapes
// would make longer keeps as much of its start as fits.
std::string storedCellText(std::string_view text) {
  const auto isHex = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
  };
  constexpr std::string_view kEscapedUnderscore = "_x005F";
  std::string stored;
  stored.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool escape = text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' &&
                        isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) &&
                        isHex(text[i + 5]) && text[i + 6] == '_';
    if (stored.size() + (escape ? kEscapedUnderscore.size() + 1 : 1) > kCellTextLength) break;
    // Every windows-1251 character is one character in the file too.
    if (escape) stored += kEscapedUnderscore;
    stored += text[i];
  }
  return stored;
}

// Frees a workbook that is given up before it was closed.
struct WorkbookHandle {
  lxw_workbook* workbook;
  ~WorkbookHandle() {
    if (workbook) lxw_workbook_free(workbook);
  }
};

}  // namespace

// The default sheet names, "Лист" and a number.
constexpr std::string_view kSheetNamePrefix = "Лист"_cp;

struct XlsxSpreadsheet::Workbook {
  std::vector<Sheet> sheets;
  std::size_t active = 0;
  int nextSheetNumber = 1;

  Workbook() { sheets.push_back({freshName(), {}, {}}); }

  // "ЛистN" with the next number that no sheet carries.
  std::string freshName() {
    for (;;) {
      std::string name = std::string(kSheetNamePrefix) + std::to_string(nextSheetNumber++);
      if (!find(name)) return name;
    }
  }

  Sheet* find(std::string_view name) {
    // Names differ in more than their letters' case, so a name as it stands is the sheet; the
    // export names its sheet so for every cell.
    for (Sheet& sheet : sheets) {
      if (sheet.name == name) return &sheet;
    }
    const std::string key = sheetNameKey(name);
    for (Sheet& sheet : sheets) {
      if (sheetNameKey(sheet.name) == key) return &sheet;
    }
    return nullptr;
  }

  bool nameAllowed(std::string_view name, const Sheet& renamed) {
    if (name.empty() || name.size() > kSheetNameLength) return false;
    if (name.find_first_of(kSheetNameForbidden) != std::string_view::npos) return false;
    if (name.front() == '\'' || name.back() == '\'') return false;
    if (sheetNameKey(name) == "history") return false;
    const Sheet* same = find(name);
    return same == nullptr || same == &renamed;
  }

  bool styleColumns(std::string_view sheetName, std::string_view range,
                    const std::function<void(ColumnStyle&)>& change) {
    Sheet* sheet = find(sheetName);
    const auto columns = parseColumnRange(range);
    if (!sheet || !columns) return false;
    for (std::uint32_t c = columns->first; c <= columns->second; ++c)
      change(sheet->columns[c]);
    return true;
  }
};

XlsxSpreadsheet::XlsxSpreadsheet(ShowHandler show) : show_(std::move(show)) {}

XlsxSpreadsheet::~XlsxSpreadsheet() {
  for (const std::string& folder : temporaryFolders_) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
}

bool XlsxSpreadsheet::startApplication() {
  return succeeded([&] {
    workbook_.reset();
    started_ = true;
    return true;
  });
}

bool XlsxSpreadsheet::addWorkbook() {
  return succeeded([&] {
    if (!started_) return false;
    // Earlier workbooks cannot be reached through these operations any more, so only the
    // active one is kept.
    workbook_ = std::make_unique<Workbook>();
    return true;
  });
}

bool XlsxSpreadsheet::addNamedSheet(std::string_view name) {
  return succeeded([&] {
    if (!workbook_) return false;
    Workbook& book = *workbook_;
    const auto at = book.sheets.begin() + static_cast<std::ptrdiff_t>(book.active);
    Sheet& sheet = *book.sheets.insert(at, Sheet{book.freshName(), {}, {}});
    if (!book.nameAllowed(name, sheet)) return false;
    sheet.name = std::string(name);
    return true;
  });
}

bool XlsxSpreadsheet::setCellText(std::string_view sheetName, std::string_view cell,
                                  std::string_view text) {
  return succeeded([&] {
    if (!workbook_) return false;
    Sheet* sheet = workbook_->find(sheetName);
    const auto ref = parseCell(cell);
    if (!sheet || !ref || text.size() > kCellTextLength) return false;
    sheet->cells.set(ref->row, ref->column, text);
    return true;
  });
}

bool XlsxSpreadsheet::setColumnsFormat(std::string_view sheet, std::string_view range,
                                       std::string_view format) {
  return succeeded([&] {
    if (!workbook_) return false;
    const std::string value =
        sheetNameKey(format) == "general" ? std::string() : std::string(format);
    return workbook_->styleColumns(sheet, range, [&](ColumnStyle& s) { s.format = value; });
  });
}

bool XlsxSpreadsheet::setColumnsHorizontalAlignment(std::string_view sheet, std::string_view range,
                                                    int alignment) {
  return succeeded([&] {
    const auto value = horizontalOf(alignment);
    if (!workbook_ || !value) return false;
    return workbook_->styleColumns(sheet, range, [&](ColumnStyle& s) { s.horizontal = *value; });
  });
}

bool XlsxSpreadsheet::setColumnsVerticalAlignment(std::string_view sheet, std::string_view range,
                                                  int alignment) {
  return succeeded([&] {
    const auto value = verticalOf(alignment);
    if (!workbook_ || !value) return false;
    return workbook_->styleColumns(sheet, range, [&](ColumnStyle& s) { s.vertical = *value; });
  });
}

bool XlsxSpreadsheet::selectSheet(std::string_view sheetName) {
  return succeeded([&] {
    if (!workbook_) return false;
    const Sheet* sheet = workbook_->find(sheetName);
    if (!sheet) return false;
    workbook_->active = static_cast<std::size_t>(sheet - workbook_->sheets.data());
    return true;
  });
}

bool XlsxSpreadsheet::deleteSheet(std::string_view sheetName) {
  return succeeded([&] {
    if (!workbook_) return false;
    Workbook& book = *workbook_;
    const Sheet* sheet = book.find(sheetName);
    if (!sheet || book.sheets.size() == 1) return false;
    const auto index = static_cast<std::size_t>(sheet - book.sheets.data());
    book.sheets.erase(book.sheets.begin() + static_cast<std::ptrdiff_t>(index));
    // The sheet that takes the deleted one's place becomes active; after the last tab, the one
    // before it.
    if (index < book.active || book.active == book.sheets.size()) --book.active;
    return true;
  });
}

bool XlsxSpreadsheet::showApplication(bool visible) {
  return succeeded([&] {
    if (!started_) return false;
    if (!visible) return true;
    return show_ && show_(*this);
  });
}

std::vector<std::string> XlsxSpreadsheet::sheetNames() const {
  std::vector<std::string> names;
  if (workbook_) {
    for (const Sheet& sheet : workbook_->sheets)
      names.push_back(sheet.name);
  }
  return names;
}

std::string XlsxSpreadsheet::activeSheetName() const {
  return workbook_ ? workbook_->sheets.at(workbook_->active).name : std::string();
}

std::string XlsxSpreadsheet::workbookBytes(const std::string& target) const {
  if (!workbook_) throw IoError(target, "no workbook is open");

  // xlsxwriter writes only to a file name: the name under /proc of an unnamed file where the
  // system has one, so that nothing is left however this ends, else a file in a private
  // temporary folder that goes away with everything in it. Either way only this user reads it.
  const std::string root = temporaryRoot();
  const UniqueFd rootFd(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (rootFd.get() < 0) throw IoError(root, std::strerror(errno));
  Temporary folder(rootFd.get(), TemporaryKind::Folder);
  std::string folderPath = root;
  UniqueFd book(openUnnamedFile(rootFd.get(), 0600));
  std::string file = "/proc/self/fd/" + std::to_string(book.get());
  if (book.get() < 0) {
    if (folder.create() < 0) throw IoError(root, std::strerror(errno));
    folderPath = root + "/" + folder.name();
    file = folderPath + "/book.xlsx";
    // Made here with its mode, which xlsxwriter keeps when it rewrites the file.
    book = UniqueFd(::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (book.get() < 0) throw IoError(file, std::strerror(errno));
  }

  // The cells are written row by row, in order, so each row goes to the file as the next one
  // starts, its texts inline: no table of every text and no tree of every cell is built, which
  // on a large document took as much memory as the document again and time that grew faster
  // than the rows.
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  options.tmpdir = folderPath.data();
  options.use_zip64 = LXW_FALSE;
  WorkbookHandle handle{workbook_new_opt(file.c_str(), &options)};
  if (!handle.workbook) throw IoError(target, "the workbook cannot be made");

  std::map<std::tuple<std::string, std::uint8_t, std::uint8_t>, lxw_format*> formats;
  const auto formatOf = [&](const ColumnStyle& style) -> lxw_format* {
    if (style.plain()) return nullptr;
    auto [it, added] = formats.try_emplace(style.key(), nullptr);
    if (added) {
      lxw_format* format = workbook_add_format(handle.workbook);
      if (!format) throw IoError(target, "out of memory");
      if (style.format == kTextNumberFormat) {
        format_set_num_format_index(format, kTextFormatIndex);
      } else if (!style.format.empty()) {
        format_set_num_format(format, toUtf8(style.format).c_str());
      }
      if (style.horizontal) format_set_align(format, style.horizontal);
      if (style.vertical) format_set_align(format, style.vertical);
      it->second = format;
    }
    return it->second;
  };
  const auto check = [&](lxw_error err) {
    if (err != LXW_NO_ERROR) throw IoError(target, lxw_strerror(err));
  };

  for (std::size_t s = 0; s < workbook_->sheets.size(); ++s) {
    const Sheet& sheet = workbook_->sheets[s];
    lxw_worksheet* ws = workbook_add_worksheet(handle.workbook, toUtf8(sheet.name).c_str());
    if (!ws) throw IoError(target, "the sheet name is refused: " + toUtf8(sheet.name));
    // Neighbouring columns of the same style make one column entry, so that a style over all
    // 16384 columns stays one line of the file.
    for (auto it = sheet.columns.begin(); it != sheet.columns.end();) {
      auto last = it;
      auto next = std::next(it);
      while (next != sheet.columns.end() && next->first == last->first + 1 &&
             next->second.key() == it->second.key()) {
        last = next++;
      }
      if (lxw_format* format = formatOf(it->second)) {
        check(worksheet_set_column(ws, static_cast<lxw_col_t>(it->first - 1),
                                   static_cast<lxw_col_t>(last->first - 1), LXW_DEF_COL_WIDTH,
                                   format));
      }
      it = next;
    }
    sheet.cells.forEach([&](std::uint32_t row, std::uint32_t column, std::string_view text) {
      const auto style = sheet.columns.find(column);
      lxw_format* format = style == sheet.columns.end() ? nullptr : formatOf(style->second);
      check(worksheet_write_string(ws, row - 1, static_cast<lxw_col_t>(column - 1),
                                   toUtf8(storedCellText(text)).c_str(), format));
    });
    if (s == workbook_->active) worksheet_activate(ws);
  }

  lxw_workbook* closing = std::exchange(handle.workbook, nullptr);
  check(workbook_close(closing));
  const std::vector<std::uint8_t> bytes = readWholeFile(file);
  return std::string(bytes.begin(), bytes.end());
}

void XlsxSpreadsheet::writeWorkbook(const std::string& path,
                                    std::span<const std::string> sourceFiles) const {
  writeWholeFile(path, workbookBytes(path), sourceFiles);
}

std::string XlsxSpreadsheet::writeToNewTemporaryFolder() {
  const std::string bytes = workbookBytes("Книга1.xlsx");
  std::string folder = temporaryRoot() + "/kestrel-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) throw IoError(folder, std::strerror(errno));
  temporaryFolders_.push_back(folder);
  const std::string path = folder + "/Книга1.xlsx";
  try {
    // Private like its folder: the write keeps the mode of the file it finds.
    if (UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)).get() < 0) {
      throw IoError(path, std::strerror(errno));
    }
    writeWholeFile(path, bytes);
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    throw;
  }
  return path;
}

}  // namespace kestrel::output
