#include "readers/gdfs/GdfsDecoder.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Ascii.h"
#include "core/Kinds.h"
#include "readers/gdfs/PhoneTime.h"
#include "readers/pm/PhoneText.h"

namespace kestrel::gdfs {

namespace {

constexpr int kWidened = 100;

struct Flags {
  bool phonebook = false;
  bool calls = false;
  bool notes = false;
};

// Information records: the (block, record number) pairs that give a row, and their captions.
struct InfoRecords {
  int block;
  std::vector<int> records;
  InformationCaption caption;
};

const std::vector<InfoRecords>& infoRecords() {
  static const std::vector<InfoRecords> kTable = {
      {8, {52, 53, 60, 61, 62, 64, 68, 70}, InformationCaption::kUnnamed},
      {12,
       {188, 189, 190, 191, 214, 233, 234, 235, 236, 237, 238, 241},
       InformationCaption::kUnnamed},
      {13, {187}, InformationCaption::kModel},
      {14, {2}, InformationCaption::kUnnamed},
      {14, {21}, InformationCaption::kSoftwareInfo},
      {14, {22}, InformationCaption::kPlatformLabel},
      {14, {23, 24, 25, 26}, InformationCaption::kUnnamed},
  };
  return kTable;
}

std::optional<InformationCaption> infoCaption(int block, int record) {
  for (const InfoRecords& info : infoRecords()) {
    if (info.block == block &&
        std::find(info.records.begin(), info.records.end(), record) != info.records.end()) {
      return info.caption;
    }
  }
  return std::nullopt;
}

// The decoders write their texts straight into the cells: a dump holds hundreds of thousands
// of them.
void setTimestampCell(ResultTable::Row& row, std::size_t column, ByteView record,
                      std::ptrdiff_t at) {
  std::string& cell = row.cellText(column);
  cell.clear();
  appendTimestamp(cell, record, at);
}

// The cell to append the next piece to. Every piece comes after a space, so a cell filled this
// way begins with a space.
std::string& pieceOfCell(ResultTable::Row& row, std::size_t column) {
  std::string& cell = row.cellText(column);
  cell += ' ';
  return cell;
}

ResultTable::Row& addNumberedRow(ResultTable& table, std::size_t subItems) {
  return table.addRow(std::to_string(table.rowCount() + 1), subItems);
}

void decodeInfo(DocumentData& doc, int block, int recordNumber, ByteView record) {
  if (const auto caption = infoCaption(block, recordNumber)) {
    addInformationRow(doc.information, *caption, recordText(record));
  }
}

void decodeCall(DocumentData& doc, ByteView record) {
  ResultTable& book = doc.calls;
  auto& row = addNumberedRow(book, 4);
  book.setColumnWidth(kCallStatus, kWidened);
  switch (record.at(6)) {
    case 0:
      setCallStatus(row, CallStatus::kMissed, CallWording::kCall);
      break;
    case 1:
      setCallStatus(row, CallStatus::kOutgoing, CallWording::kCall);
      break;
    case 2:
      setCallStatus(row, CallStatus::kIncoming, CallWording::kCall);
      break;
    default:
      break;
  }
  // Number fields carry subtype 0x20: a 0 byte, kind 1, then the subtype. The scan moves one
  // byte past a match, so fields may overlap, and a record of nothing but overlapping fields
  // would give each of its bytes hundreds of digits. The numbers of one record take at most
  // twice its length, which fields that do not overlap never reach (a digit byte gives two
  // digits); a number that would go past it and those after it are left out.
  const auto room = 2 * static_cast<std::size_t>(record.size());
  std::size_t taken = 0;
  for (std::ptrdiff_t p = 13; p < record.size() - 1; ++p) {
    if (record.at(p) == 0 && record.at(p + 1) == 1 && record.at(p + 2) == 0x20) {
      const std::size_t piece = 1 + 2 * record.slice(p + 3, record.at(p - 1)).size();
      if (piece > room - taken) break;
      book.setColumnWidth(kCallPhone, kWidened);
      std::string& cell = pieceOfCell(row, kCallPhone);
      // Room for all of it at once, so that the cell never holds twice what it needs.
      if (taken == 0) cell.reserve(cell.size() + room);
      taken += piece;
      appendDigits(cell, record, p + 2);
    }
  }
  book.setColumnWidth(kCallDate, kWidened);
  setTimestampCell(row, kCallDate, record, 7);
}

// Notes and events of one text: the character count at `countAt`, the text at `textAt`, the
// timestamp right after the text, which takes one byte per character when single-byte.
void decodeOneTextEntry(DocumentData& doc, ByteView record, CalendarKind kind,
                        std::ptrdiff_t countAt, std::ptrdiff_t textAt) {
  auto& row = addNumberedRow(doc.calendar, 4);
  const std::ptrdiff_t n = record.at(countAt);
  setCalendarKind(row, kind);
  const bool singleByte = pm::appendPhoneText(pieceOfCell(row, kCalTitle), record, textAt, 2 * n);
  const std::ptrdiff_t p = textAt + (singleByte ? n : 2 * n);
  setTimestampCell(row, kCalDate, record, p);
}

void decodeSeveralTextEvent(DocumentData& doc, ByteView record) {
  auto& row = addNumberedRow(doc.calendar, 4);
  setCalendarKind(row, CalendarKind::kEvent);
  // The first text is the title; the ones after it go to the text cell, each after a space,
  // except the last, which is not shown: it is cut off again once the walk has found no other.
  std::size_t texts = 0;
  std::size_t beforeLatest = 0;
  std::optional<std::ptrdiff_t> latestEnd;
  std::optional<std::ptrdiff_t> secondLatestEnd;
  // p stands on byte 1 of a field: kind-2 texts with byte 1 = 0, and kind-6 texts.
  for (std::ptrdiff_t p = 13; p < record.size() - 1; ++p) {
    if ((record.at(p) == 0 && record.at(p + 1) == 2) || record.at(p + 1) == 6) {
      const std::ptrdiff_t n = record.at(p - 1);
      bool singleByte = false;
      if (texts == 0) {
        singleByte = pm::appendPhoneText(row.cellText(kCalTitle), record, p + 3, 2 * n);
      } else {
        beforeLatest = row.cell(kCalText).size();
        singleByte = pm::appendPhoneText(pieceOfCell(row, kCalText), record, p + 3, 2 * n);
      }
      ++texts;
      p += 3 + (singleByte ? n : 2 * n);
      secondLatestEnd = latestEnd;
      latestEnd = p;
    }
  }
  // The timestamp follows the second-to-last text; with fewer texts there is no date.
  if (secondLatestEnd) setTimestampCell(row, kCalDate, record, *secondLatestEnd);
  if (texts >= 2) row.cellText(kCalText).resize(beforeLatest);
}

void decodeContact(DocumentData& doc, ByteView record) {
  ResultTable& book = doc.phonebook;
  auto& row = addNumberedRow(book, 13);
  // The cell of a column that now shows, ready for the next piece.
  const auto give = [&](std::size_t column) -> std::string& {
    book.setColumnWidth(column, kWidened);
    return pieceOfCell(row, column);
  };
  int nameParts = 0;
  // The presence bits of bytes 11 and 13 are consumed as texts are placed; that happens on
  // copies, so the block model keeps the bytes of the file.
  std::uint8_t presence11 = record.at(11);
  const std::uint8_t presence12 = record.at(12);
  std::uint8_t presence13 = record.at(13);

  for (std::ptrdiff_t p = record.at(2) + 12; p < record.size() - 1; ++p) {
    // Most places start no field: every test below needs subtype 7 here, or a 0 byte at p + 1
    // before a kind of 1, 2 or 6; p only moves once a test has passed.
    const std::uint8_t kind = record.at(p + 2);
    if (record.at(p + 3) != 7 && (record.at(p + 1) != 0 || (kind != 1 && kind != 2 && kind != 6)))
      continue;
    // Count and subtype of the field where this pass began; later tests look at the bytes where
    // an earlier step of the same pass has moved p.
    const std::ptrdiff_t n = record.at(p);
    const std::uint8_t t = record.at(p + 3);
    // A subtype beyond the record is absent and matches no subtype, 0 included.
    const bool hasSubtype = record.has(p + 3);

    // Birthday group: day, month, 16-bit year whose high byte is 7.
    if (t == 7 && record.at(p) >= 1 && record.at(p) <= 31 && record.at(p + 1) >= 1 &&
        record.at(p + 1) <= 12) {
      book.setColumnWidth(kPbBirthday, kWidened);
      row.setCell(kPbBirthday, twoDigits(record.at(p)) + "." + twoDigits(record.at(p + 1)) + "." +
                                   std::to_string(record.at(p + 2) + 256 * record.at(p + 3)));
    }

    // 8-bit text: e-mail or web site.
    if (record.at(p + 2) == 6 && record.at(p + 1) == 0 && hasSubtype &&
        (t == 0 || t == 0x44 || t == 0x4C) && n >= 1) {
      if (presence13 & 0x08) {
        appendPlainText(give(kPbEmail), record, p + 4, n);
        presence13 >>= 1;
        p += 3 + n;
      } else if (presence12 & 0x20) {
        appendPlainText(give(kPbWebSite), record, p + 4, n);
        p += 3 + n;
      }
    }

    // Two-byte text: the first two name parts, then wherever the presence bits send it.
    if (record.at(p + 2) == 2 && record.at(p + 1) == 0) {
      if (hasSubtype && (t == 0 || t == 0x20 || t == 0x44 || t == 0x45 || t == 0x4C) && n >= 1) {
        if (nameParts < 2) {
          pm::appendPhoneText(give(kPbName), record, p + 4, 2 * n);
          ++nameParts;
        } else {
          struct Target {
            std::uint8_t* presence;
            std::uint8_t bit;
            std::size_t column;
          };
          const std::array<Target, 5> targets = {{
              {&presence11, 0x04, kPbCompany},
              {&presence11, 0x08, kPbJobTitle},
              {&presence11, 0x20, kPbAddress},
              {&presence11, 0x10, kPbAddress},
              {&presence13, 0x04, kPbNotes},
          }};
          for (const Target& target : targets) {
            if (*target.presence & target.bit) {
              pm::appendPhoneText(give(target.column), record, p + 4, 2 * n);
              *target.presence = static_cast<std::uint8_t>(*target.presence & ~target.bit);
              break;
            }
          }
        }
        p += 3 + 2 * n;
      } else if (t == 0x60 && n >= 1) {
        // A name part the table does not show.
        ++nameParts;
        p += 3 + 2 * n;
      }
    }

    // Phone number.
    if (record.at(p + 2) == 1 && record.at(p + 1) == 0) {
      appendDigits(give(kPbNumbers), record, p + 3);
      p += 3 + n;
    }
  }
}

void addSummaryRows(DocumentData& doc, const Flags& flags) {
  const std::array<std::pair<InformationCaption, bool>, 3> rows = {{
      {InformationCaption::kPhonebookFound, flags.phonebook},
      {InformationCaption::kCallsFound, flags.calls},
      {InformationCaption::kNotesFound, flags.notes},
  }};
  for (const auto& [caption, found] : rows)
    doc.addPresenceRow(caption, found);
}

}  // namespace

void appendPlainText(std::string& out, ByteView record, std::ptrdiff_t start,
                     std::ptrdiff_t count) {
  for (const std::uint8_t b : record.slice(start, count))
    out += b == 0 ? ' ' : static_cast<char>(b);
}

std::string plainText(ByteView record, std::ptrdiff_t start, std::ptrdiff_t count) {
  std::string text;
  appendPlainText(text, record, start, count);
  return text;
}

std::string recordText(ByteView record) {
  return plainText(record, 0, record.size());
}

void appendDigits(std::string& out, ByteView record, std::ptrdiff_t s) {
  static constexpr std::array<char, 16> kCharacters = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                       '8', '9', '*', '#', 'C', 'D', 'E', 'F'};
  const auto bytes = record.slice(s + 1, record.at(s - 3));
  const std::size_t base = out.size();
  out.resize(base + 2 * bytes.size());
  char* to = out.data() + base;
  for (const std::uint8_t b : bytes) {
    *to++ = kCharacters[b & 0x0F];
    // A high nibble F fills the last byte of an odd digit count.
    if ((b >> 4) != 0x0F) *to++ = kCharacters[b >> 4];
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
}

void decodeContents(DocumentData& doc) {
  Flags flags;
  const BlockModel& model = doc.model;
  for (std::size_t g = 0; g < model.blockCount(); ++g) {
    const int block = model.blockNumbers[g];
    const Block records = model.block(g);
    for (std::size_t i = 0; i < records.recordCount(); ++i) {
      const Record held = records.record(i);
      const ByteView record = held.view();
      if (block == 8 || (block >= 12 && block <= 14)) {
        decodeInfo(doc, block, records.recordNumber(i), record);
      } else if (block >= 15 && block <= 39 && !record.empty()) {
        switch (record.at(0)) {
          case 10:
            flags.calls = true;
            decodeCall(doc, record);
            break;
          case 18:
            flags.notes = true;
            decodeOneTextEntry(doc, record, CalendarKind::kNote, 14, 18);
            break;
          case 5:
            flags.notes = true;
            decodeSeveralTextEvent(doc, record);
            break;
          case 6:
            flags.notes = true;
            decodeOneTextEntry(doc, record, CalendarKind::kEvent, 11, 15);
            break;
          case 7:
            flags.phonebook = true;
            decodeContact(doc, record);
            break;
          default:
            break;
        }
      }
    }
  }
  addSummaryRows(doc, flags);
}

}  // namespace kestrel::gdfs
