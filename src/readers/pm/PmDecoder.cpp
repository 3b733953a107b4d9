#include "readers/pm/PmDecoder.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "core/Ascii.h"
#include "core/Errors.h"
#include "core/Kinds.h"
#include "readers/pm/PhoneText.h"

namespace kestrel::pm {

namespace {

constexpr int kCalendarBlock = 51;
constexpr int kPhonebookBlock = 58;
constexpr int kOutgoingBlock = 59;
constexpr int kMissedBlock = 60;
constexpr int kIncomingBlock = 61;
constexpr int kGroupBlock = 314;

// The tags of the fields of phonebook, call-log and group records.
enum FieldTag : std::uint8_t {
  // A name or a part of one; each is put in front of what the name cell holds. In a group
  // record, the group's name.
  kFieldName = 7,
  kFieldSecondName = 70,
  kFieldThirdName = 71,
  kFieldNumber = 11,
  kFieldCallTime = 19,
  kFieldCompany = 85,
  kFieldAddress = 74,
  kFieldGroup = 67,
  kFieldEmail = 8,
  kFieldBirthday = 87,
  kFieldNotes = 10,
  kFieldNickname = 86,
  kFieldFormalName = 82,
  kFieldJobTitle = 84,
  kFieldPttAddress = 63,
  kFieldWebSite = 44,
};

// One field of a record's field list.
struct Field {
  std::ptrdiff_t pos;     // where its header starts
  std::ptrdiff_t length;  // payload length L
  std::uint8_t tag;
  std::ptrdiff_t payload() const { return pos + 4; }
};

// Calls `apply` for each field of the record's field list, in order. A walk stops at the first
// field whose 4-byte header does not lie wholly inside the record; a payload may still reach
// past the end, and every read of it is cut there. Group records take the length from the first
// length byte alone.
template <typename Apply>
void walkFields(ByteView record, bool firstLengthByteOnly, Apply apply) {
  const int count = record.at(0);
  std::ptrdiff_t p = 1;
  for (int f = 0; f < count; ++f) {
    if (!record.has(p + 3)) return;
    std::ptrdiff_t length = record.at(p);
    if (length == 0 && !firstLengthByteOnly) length = record.at(p + 1);
    apply(Field{p, length, record.at(p + 2)});
    p += 4 + length;
  }
}

// A record of no bytes in a block of user data is a damaged dump.
void requireBytes(const Record& record) {
  if (record.bytes.empty()) throw FormatError("record of no bytes in a block of user data");
}

// A calendar year: little-endian unless that reading lies outside 1680..3000.
int calendarYear(std::uint8_t first, std::uint8_t second) {
  const int littleEndian = first + 256 * second;
  if (littleEndian > 3000 || littleEndian < 1680) return 256 * first + second;
  return littleEndian;
}

// A call's year: the byte order that puts a byte of 9 or more in the high half.
int callYear(std::uint8_t first, std::uint8_t second) {
  return second >= 9 ? second + 256 * first : first + 256 * second;
}

std::vector<std::string> collectGroupNames(const DocumentData& doc) {
  std::vector<std::string> names;
  const BlockModel& model = doc.model;
  for (std::size_t g = 0; g < model.blockCount(); ++g) {
    if (model.blockNumbers[g] != kGroupBlock) continue;
    const Block block = model.block(g);
    for (std::size_t i = 0; i < block.recordCount(); ++i) {
      const Record record = block.record(i);
      requireBytes(record);
      const ByteView bytes = record.view();
      walkFields(bytes, true, [&](const Field& f) {
        if (f.tag == kFieldName)
          names.push_back(readPhoneText(bytes, f.payload() + 2, f.length - 2).text);
      });
    }
  }
  return names;
}

// The cells of one row by column number; setting a cell gives its column the width.
struct CellWriter {
  ResultTable& table;
  ResultTable::Row& row;

  void set(std::size_t column, std::string_view value, int width) const {
    row.setCell(column, value);
    table.setColumnWidth(column, width);
  }
  // The cell to write into directly, its column given the width.
  std::string& text(std::size_t column, int width) const {
    table.setColumnWidth(column, width);
    return row.cellText(column);
  }
};

// Puts the wide text of n bytes at `start`, and a space, in front of what the cell holds.
void prependWideText(std::string& cell, ByteView bytes, std::ptrdiff_t start, std::ptrdiff_t n) {
  const auto held = static_cast<std::ptrdiff_t>(cell.size());
  appendWideText(cell, bytes, start, n);
  cell += ' ';
  std::rotate(cell.begin(), cell.begin() + held, cell.end());
}

// A date as "dd.mm.yyyy", appended.
void appendDate(std::string& out, int day, int month, int year) {
  out += twoDigits(day);
  out += '.';
  out += twoDigits(month);
  out += '.';
  out += std::to_string(year);
}

// The column of a phonebook tag whose text is appended, followed by a space, to its cell.
std::size_t appendedTextColumn(std::uint8_t tag) {
  switch (tag) {
    case kFieldNotes:
      return kPbNotes;
    case kFieldNickname:
      return kPbNickname;
    case kFieldFormalName:
      return kPbFormalName;
    case kFieldJobTitle:
      return kPbJobTitle;
    case kFieldPttAddress:
      return kPbPttAddress;
    default:  // kFieldWebSite
      return kPbWebSite;
  }
}

void addPhonebookRows(DocumentData& doc, const Block& block,
                      const std::vector<std::string>& groupNames) {
  ResultTable& table = doc.phonebook;
  for (std::size_t i = 0; i < block.recordCount(); ++i) {
    ResultTable::Row& row = table.addRow(std::to_string(i), 13);
    const Record record = block.record(i);
    requireBytes(record);
    const ByteView bytes = record.view();
    walkFields(bytes, false, [&](const Field& f) {
      const CellWriter w{table, row};
      // The field's text in place of what the cell held.
      const auto setText = [&](std::size_t column, int width, std::ptrdiff_t skip) {
        std::string& cell = w.text(column, width);
        cell.clear();
        appendWideText(cell, bytes, f.payload() + skip, f.length - skip);
      };
      switch (f.tag) {
        case kFieldName:
        case kFieldSecondName:
        case kFieldThirdName:
          prependWideText(w.text(kPbName, 100), bytes, f.payload(), f.length);
          break;
        case kFieldNumber: {
          std::string& cell = w.text(kPbNumbers, 100);
          appendNumber(cell, bytes, f.pos);
          cell += ' ';
          break;
        }
        case kFieldCompany:
          setText(kPbCompany, 100, 0);
          break;
        case kFieldAddress:
          setText(kPbAddress, 50, 4);
          break;
        case kFieldGroup: {
          // Without group names the field means nothing; a group number byte beyond the record
          // is no group number at all.
          if (groupNames.empty() || !bytes.has(f.payload())) break;
          const std::size_t group = bytes.at(f.payload());
          if (group == 0 || group > groupNames.size())
            throw FormatError("group number without a group name");
          w.set(kPbGroup, groupNames[group - 1], 50);
          break;
        }
        case kFieldEmail: {
          std::string& cell = w.text(kPbEmail, 50);
          cell += ' ';
          appendWideText(cell, bytes, f.payload(), f.length);
          break;
        }
        case kFieldBirthday: {
          const std::ptrdiff_t q = f.payload();
          std::string& cell = w.text(kPbBirthday, 50);
          cell.clear();
          appendDate(cell, bytes.at(q + 3), bytes.at(q + 2), bytes.at(q) + 256 * bytes.at(q + 1));
          break;
        }
        case kFieldNotes:
        case kFieldNickname:
        case kFieldFormalName:
        case kFieldJobTitle:
        case kFieldPttAddress:
        case kFieldWebSite: {
          std::string& cell = w.text(appendedTextColumn(f.tag), 50);
          appendWideText(cell, bytes, f.payload(), f.length);
          cell += ' ';
          break;
        }
        default:
          break;
      }
    });
  }
}

void addCallRows(DocumentData& doc, const Block& block, CallStatus status) {
  ResultTable& table = doc.calls;
  for (std::size_t i = 0; i < block.recordCount(); ++i) {
    ResultTable::Row& row = table.addRow(std::to_string(i), 4);
    // The block tells the status of each of its calls; the status cell shows it only once the
    // call's number is met.
    row.setKindOf(status);
    const Record record = block.record(i);
    requireBytes(record);
    const ByteView bytes = record.view();
    walkFields(bytes, false, [&](const Field& f) {
      const CellWriter w{table, row};
      switch (f.tag) {
        case kFieldName:
        case kFieldSecondName:
        case kFieldThirdName:
          prependWideText(w.text(kCallName, 200), bytes, f.payload(), f.length);
          break;
        case kFieldNumber: {
          std::string& phone = w.text(kCallPhone, 130);
          appendNumber(phone, bytes, f.pos);
          phone += ' ';
          w.set(kCallStatus, callStatusText(status, CallWording::kList), 50);
          break;
        }
        case kFieldCallTime: {
          const std::ptrdiff_t q = f.payload();
          const auto b = [&](std::ptrdiff_t k) { return bytes.at(q + k); };
          std::string& cell = w.text(kCallDate, 100);
          appendDate(cell, b(3), b(2), callYear(b(0), b(1)));
          cell += ' ';
          cell += twoDigits(b(4));
          cell += ':';
          cell += twoDigits(b(5));
          cell += ':';
          cell += twoDigits(b(6));
          cell += ' ';
          break;
        }
        default:
          break;
      }
    });
  }
}

// A test on a byte beyond the record is false.
bool byteIs(ByteView bytes, std::ptrdiff_t i, std::uint8_t value) {
  return bytes.has(i) && bytes.at(i) == value;
}

void addCalendarRows(DocumentData& doc, const Block& block) {
  for (std::size_t i = 0; i < block.recordCount(); ++i) {
    ResultTable::Row& row = doc.calendar.addRow(std::to_string(i), 4);
    const Record record = block.record(i);
    requireBytes(record);
    const ByteView bytes = record.view();

    std::string day;
    appendDate(day, bytes.at(7), bytes.at(6), calendarYear(bytes.at(4), bytes.at(5)));
    if (day == "01.01.1980") day.clear();
    // The parts after the date start 4 bytes later when bytes 24 to 27 are all 0.
    std::ptrdiff_t b = 24;
    if (byteIs(bytes, 24, 0) && byteIs(bytes, 25, 0) && byteIs(bytes, 26, 0) &&
        byteIs(bytes, 27, 0))
      b = 28;
    if (byteIs(bytes, b + 16, 255)) {
      setCalendarKind(row, CalendarKind::kNote);
    } else {
      setCalendarKind(row, CalendarKind::kBirthday);
      // Day and month with their points, then the year of birth.
      day = day.substr(0, 6) + std::to_string(calendarYear(bytes.at(b + 16), bytes.at(b + 17)));
    }
    row.setCell(kCalDate, day);

    const std::ptrdiff_t skip = bytes.at(b + 30) + bytes.at(b + 31);
    const std::ptrdiff_t titleStart = b + 32 + 8 * skip;
    appendWideText(row.cellText(kCalTitle), bytes, titleStart, bytes.size() - titleStart);
  }
}

}  // namespace

void decodeContents(DocumentData& doc) {
  const std::vector<std::string> groupNames = collectGroupNames(doc);
  const BlockModel& model = doc.model;
  for (std::size_t g = 0; g < model.blockCount(); ++g) {
    const Block block = model.block(g);
    switch (model.blockNumbers[g]) {
      case kPhonebookBlock:
        addPhonebookRows(doc, block, groupNames);
        break;
      case kCalendarBlock:
        addCalendarRows(doc, block);
        break;
      case kOutgoingBlock:
        addCallRows(doc, block, CallStatus::kOutgoing);
        break;
      case kMissedBlock:
        addCallRows(doc, block, CallStatus::kMissed);
        break;
      case kIncomingBlock:
        addCallRows(doc, block, CallStatus::kIncoming);
        break;
      default:
        break;
    }
  }
}

}  // namespace kestrel::pm
