#include "readers/gdfs/GdfsDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>

#include "core/Cp1251.h"
#include "core/Kinds.h"
#include "readers/gdfs/PhoneTime.h"
#include "support/GdfsBuilder.h"
#include "support/ModelShape.h"
#include "support/PhonebookRows.h"

namespace kestrel::gdfs {
namespace {

using test::Bytes;
using namespace test::gdfs_bytes;

// A document whose block model holds the builder's records (blocks in order of first
// appearance), decoded.
std::unique_ptr<Document> decoded(const test::GdfsBuilder& b) {
  auto doc = std::make_unique<Document>();
  std::map<int, std::size_t> index;
  for (const auto& r : b.records()) {
    if (!index.count(r.block)) index[r.block] = doc->model.addBlock(r.block, true);
    doc->model.addRecord(index[r.block], r.number, false, r.bytes);
  }
  decodeContents(*doc);
  return doc;
}

std::unique_ptr<Document> decodedRecord(int block, const Bytes& bytes) {
  return decoded(test::GdfsBuilder().record(block, 0, bytes));
}

std::string cp(std::string_view utf8) {
  return *fromUtf8(utf8);
}

TEST(PhoneTime, ShowsTheMinute) {
  const std::vector<std::pair<std::uint32_t, std::string>> cases = {
      {0, "01.01.1970 03:00"},          {5, "01.01.1970 03:00"},
      {6, "01.01.1970 03:01"},          {1234567890, "14.02.2009 02:32"},
      {4294967295, "07.02.2106 09:29"}, {951782400 - 10854, "29.02.2000 00:00"},
  };
  for (const auto& [x, text] : cases) {
    std::string time;
    appendPhoneTime(time, (std::int64_t{1} << 32) + x);
    EXPECT_EQ(time, text) << x;
    std::string cell = "held ";
    appendPhoneTime(cell, (std::int64_t{1} << 32) + x);
    EXPECT_EQ(cell, "held " + text) << x;
  }
}

TEST(PhoneTime, BytesBeyondTheRecordCountAsZero) {
  // x = 0x02D2 = 722 seconds.
  std::string time;
  appendTimestamp(time, ByteView(Bytes{0xD2, 0x02}), 0);
  EXPECT_EQ(time, "01.01.1970 03:12");
  time.clear();
  appendTimestamp(time, ByteView(Bytes{}), 7);
  EXPECT_EQ(time, "01.01.1970 03:00");
}

// A damaged or hostile dump may hold one huge record of many small fields; each piece is
// appended in place, so eight times the record takes about eight times as long, not 64.
TEST(GdfsDecoder, ARecordOfManyPiecesDecodesInLinearTime) {
  const auto secondsFor = [](std::size_t fields) {
    const Bytes record = contact(0, 0, 0, std::vector<Bytes>(fields, numberField("1234567")));
    double best = 1e9;
    for (int run = 0; run < 3; ++run) {
      const auto start = std::chrono::steady_clock::now();
      const auto doc = decodedRecord(20, record);
      const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      EXPECT_EQ(doc->phonebook.cell(0, kPbNumbers).size(), fields * 8);
      best = std::min(best, took.count());
    }
    return best;
  };
  const double once = secondsFor(12'500);  // 0.1 MB
  const double eight = secondsFor(100'000);
  EXPECT_LT(eight, 24 * once + 0.05) << "1x: " << once << " s, 8x: " << eight << " s";
}

TEST(GdfsDecoder, DigitTextReadsLowNibbleFirst) {
  const std::vector<std::tuple<const char*, Bytes, std::string>> cases = {
      {"star and hash", {1, 0, 1, 0x20, 0xBA}, "*#"},
      {"low F, high 0", {1, 0, 1, 0x20, 0x0F}, "F0"},
      {"high F is filler", {1, 0, 1, 0x20, 0xF0}, "0"},
      {"letters", {2, 0, 1, 0x20, 0xDC, 0xFE}, "CDE"},
      {"odd count", {3, 0, 1, 0x20, 0x21, 0x43, 0xF5}, "12345"},
      {"count past the record", {9, 0, 1, 0x20, 0x21, 0x43}, "1234"},
      {"no digits", {0, 0, 1, 0x20, 0x21}, ""},
  };
  for (const auto& [name, bytes, digits] : cases) {
    std::string text;
    appendDigits(text, ByteView(bytes), 3);
    EXPECT_EQ(text, digits) << name;
    std::string cell = "held ";
    appendDigits(cell, ByteView(bytes), 3);
    EXPECT_EQ(cell, "held " + digits) << name;
  }
}

TEST(GdfsDecoder, PlainTextShowsZeroBytesAsSpaces) {
  const Bytes bytes = {'a', 0, 'b', 0, 0};
  EXPECT_EQ(recordText(bytes), "a b  ");
  EXPECT_EQ(plainText(bytes, 1, 2), " b");
  EXPECT_EQ(plainText(bytes, 3, 10), "  ");
  EXPECT_EQ(plainText(bytes, 9, 2), "");
}

struct CallCase {
  const char* name;
  Bytes record;
  std::string status, number, date;
};

TEST(GdfsDecoder, Calls) {
  const Bytes call19 = {0x0A, 0, 0, 0,    0,    0,    1,    0xD2, 0x02, 0x96,
                        0x49, 0, 3, 0x00, 0x01, 0x20, 0x21, 0x43, 0xF5};
  const std::vector<CallCase> cases = {
      {"19-byte call", call19, cp("Исходящий"), " 12345", "14.02.2009 02:32"},
      {"two numbers", call(0, 0, {numberField("123", 0x20), numberField("456", 0x20)}),
       cp("Пропущенный"), " 123 456", "01.01.1970 03:00"},
      {"incoming", call(2, 6, {numberField("5", 0x20)}), cp("Входящий"), " 5", "01.01.1970 03:01"},
      {"direction 3, no number", call(3, 0, {}), "", "", "01.01.1970 03:00"},
      {"number of another subtype", call(1, 0, {numberField("77", 0x00)}), cp("Исходящий"), "",
       "01.01.1970 03:00"},
      {"cut inside the timestamp",
       {0x0A, 0, 0, 0, 0, 0, 2, 0xD2, 0x02},
       cp("Входящий"),
       "",
       "01.01.1970 03:12"},
  };
  for (const CallCase& c : cases) {
    const auto doc = decodedRecord(20, c.record);
    ASSERT_EQ(doc->calls.rowCount(), 1u) << c.name;
    const auto& row = doc->calls.row(0);
    EXPECT_EQ(row.caption(), "1") << c.name;
    EXPECT_EQ(test::subItemsOf(row), (std::vector<std::string>{c.status, c.number, "", c.date}))
        << c.name;
    EXPECT_EQ(callStatusText(row.kindAs<CallStatus>(), CallWording::kCall), c.status) << c.name;
    EXPECT_EQ(doc->calls.columnWidth(kCallStatus), 100) << c.name;
    EXPECT_EQ(doc->calls.columnWidth(kCallPhone), c.number.empty() ? 0 : 100) << c.name;
    EXPECT_EQ(doc->calls.columnWidth(kCallName), 0) << c.name;
    EXPECT_EQ(doc->calls.columnWidth(kCallDate), 100) << c.name;
  }
}

struct CalendarCase {
  const char* name;
  Bytes record;
  std::string date, kind, title, text;
};

TEST(GdfsDecoder, NotesAndEvents) {
  const std::string note = cp("Заметка");
  const std::string event = cp("Событие");
  const std::vector<CalendarCase> cases = {
      {"note, two-byte text", test::gdfs_bytes::note(utf16le(u"Купить хлеб"), 11, 1234567890),
       "14.02.2009 02:32", note, cp(" Купить хлеб"), ""},
      {"note, one byte per character: the timestamp follows n bytes",
       test::gdfs_bytes::note(Bytes{'H', 'e', 'l', 'l', 'o'}, 5, 1234567890), "14.02.2009 02:32",
       note, " Hello", ""},
      {"note whose text runs past the record",
       concat({Bytes{18}, Bytes(13, 0), {200, 0, 0, 0}, utf16le(u"Hi")}), "01.01.1970 03:00", note,
       " Hi", ""},
      {"event with one text", test::gdfs_bytes::event(utf16le(u"Встреча"), 7, 6),
       "01.01.1970 03:01", event, cp(" Встреча"), ""},
      {
          "event with three texts",
          eventWithTexts({u"Title", u"Middle", u"Last"}, 1234567890),
          "14.02.2009 02:32",
          event,
          "Title",
          " Middle",
      },
      {"event with four texts", eventWithTexts({u"Title", u"B", u"C", u"Last"}, 1234567890),
       "14.02.2009 02:32", event, "Title", " B C"},
      {"event with two texts", eventWithTexts({u"Title", u"Last"}, 1234567890), "14.02.2009 02:32",
       event, "Title", ""},
      {"event with one text field", eventWithTexts({u"Only"}, 0), "", event, "Only", ""},
      {"event with no text", Bytes{5, 0, 0}, "", event, "", ""},
  };
  for (const CalendarCase& c : cases) {
    const auto doc = decodedRecord(39, c.record);
    ASSERT_EQ(doc->calendar.rowCount(), 1u) << c.name;
    const auto& row = doc->calendar.row(0);
    EXPECT_EQ(row.caption(), "1") << c.name;
    EXPECT_EQ(test::subItemsOf(row), (std::vector<std::string>{c.date, c.kind, c.title, c.text}))
        << c.name;
    EXPECT_NE(row.kindAs<CalendarKind>(), CalendarKind::kNone) << c.name;
    EXPECT_EQ(calendarKindText(row.kindAs<CalendarKind>()), c.kind) << c.name;
  }
}

struct ContactCase {
  const char* name;
  Bytes record;
  std::map<std::size_t, std::string> cells;  // every other cell is empty and hidden
};

TEST(GdfsDecoder, Contacts) {
  const std::vector<ContactCase> cases = {
      {"two name parts; a third text with no presence bit is not shown",
       contact(0, 0, 0, {textField(u"Ivan"), textField(u"Petrov"), textField(u"Extra")}),
       {{kPbName, " Ivan Petrov"}}},
      {"Cyrillic name and numbers",
       contact(0, 0, 0, {textField(u"Иван"), numberField("89161234567"), numberField("*100#")}),
       {{kPbName, cp(" Иван")}, {kPbNumbers, " 89161234567 *100#"}}},
      {"e-mail shifts the working copy of byte 13 to the note bit",
       contact(0, 0, 0x08,
               {plainField("ivan@example.com"), textField(u"Ivan"), textField(u"Petrov"),
                textField(u"memo")}),
       {{kPbName, " Ivan Petrov"}, {kPbEmail, " ivan@example.com"}, {kPbNotes, " memo"}}},
      {"e-mail first, then the web site",
       contact(0, 0x20, 0x08, {plainField("a@b.c", 0x44), plainField("www.b.c", 0x4C)}),
       {{kPbEmail, " a@b.c"}, {kPbWebSite, " www.b.c"}}},
      {"8-bit text with no presence bit is not shown", contact(0, 0, 0, {plainField("a@b.c")}), {}},
      {"birthday",
       contact(0, 0, 0, {textField(u"Ivan"), Bytes{0x0F, 0x03, 0xC6, 0x07}}),
       {{kPbName, " Ivan"}, {kPbBirthday, "15.03.1990"}}},
      {"presence bits of byte 11, each used once",
       contact(0x3C, 0, 0,
               {textField(u"A"), textField(u"B"), textField(u"Org", 0x44), textField(u"Job"),
                textField(u"Street", 0x45), textField(u"Town", 0x4C), textField(u"Lost")}),
       {{kPbName, " A B"},
        {kPbCompany, " Org"},
        {kPbJobTitle, " Job"},
        {kPbAddress, " Street Town"}}},
      {"subtype 0x60 counts as a hidden name part",
       contact(0, 0, 0x04, {textField(u"Hidden", 0x60), textField(u"Ivan"), textField(u"Note")}),
       {{kPbName, " Ivan"}, {kPbNotes, " Note"}}},
      {"text of another subtype is skipped",
       contact(0, 0, 0, {textField(u"Odd", 0x10), textField(u"Ivan")}),
       {{kPbName, " Ivan"}}},
      {"a text length past the record is cut",
       contact(0, 0, 0, {field(100, 2, 0, utf16le(u"Iv"))}),
       {{kPbName, " Iv"}}},
      // The subtype of a field cut after its kind byte is absent, so it matches no subtype.
      {"text field cut after its kind byte",
       contact(0, 0, 0, {textField(u"Ivan"), Bytes{1, 0, 2}}),
       {{kPbName, " Ivan"}}},
      {"8-bit field cut after its kind byte", contact(0, 0, 0x08, {Bytes{1, 0, 6}}), {}},
  };
  for (const ContactCase& c : cases) {
    const auto doc = decodedRecord(15, c.record);
    ASSERT_EQ(doc->phonebook.rowCount(), 1u) << c.name;
    EXPECT_EQ(doc->phonebook.cell(0, 0), "1") << c.name;
    ASSERT_EQ(doc->phonebook.row(0).subItemCount(), 13u) << c.name;
    for (std::size_t col = 1; col < doc->phonebook.columnCount(); ++col) {
      const auto it = c.cells.find(col);
      EXPECT_EQ(doc->phonebook.cell(0, col), it == c.cells.end() ? "" : it->second)
          << c.name << ", column " << col;
      EXPECT_EQ(doc->phonebook.columnWidth(col), it == c.cells.end() ? 0 : 100)
          << c.name << ", column " << col;
    }
    // Presence bits are consumed on copies only.
    EXPECT_EQ(test::bytesOf(doc->model.block(0).record(0)), c.record) << c.name;
  }
}

TEST(GdfsDecoder, InformationRowsThenSummaryRows) {
  const Bytes value = {'D', 'e', 'm', 'o', 0, 'x', 0};
  const auto doc = decoded(test::GdfsBuilder()
                               .record(8, 52, value)
                               .record(8, 51, value)
                               .record(9, 52, value)
                               .record(12, 241, value)
                               .record(13, 187, value)
                               .record(14, 2, value)
                               .record(14, 21, value)
                               .record(14, 22, value)
                               .record(14, 26, {})
                               .record(14, 27, value));
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"???????", "Demo x "}, {"???????", "Demo x "},       {"Model", "Demo x "},
      {"???????", "Demo x "}, {"Software info", "Demo x "}, {"Platform label: ", "Demo x "},
      {"???????", ""},        {"Записная книжка", "Нет"},   {"Звонки", "Нет"},
      {"Заметки", "Нет"},
  };
  ASSERT_EQ(doc->information.rowCount(), expected.size());
  for (std::size_t r = 0; r < expected.size(); ++r) {
    EXPECT_EQ(doc->information.cell(r, 0), r < 7 ? expected[r].first : cp(expected[r].first)) << r;
    EXPECT_EQ(doc->information.cell(r, 1), r < 7 ? expected[r].second : cp(expected[r].second))
        << r;
    const auto caption = doc->information.row(r).kindAs<InformationCaption>();
    EXPECT_NE(caption, InformationCaption::kNone) << r;
    EXPECT_EQ(informationCaptionText(caption), doc->information.cell(r, 0)) << r;
  }
}

TEST(GdfsDecoder, SummaryRowsFollowTheContentTypes) {
  struct Case {
    const char* name;
    int block;
    Bytes record;
    std::vector<bool> found;  // phonebook, calls, notes
  };
  const std::vector<Case> cases = {
      {"contact", 15, contact(0, 0, 0, {}), {true, false, false}},
      {"call", 39, call(1, 0, {}), {false, true, false}},
      {"note", 20, Bytes{18}, {false, false, true}},
      {"event of several texts", 20, Bytes{5}, {false, false, true}},
      {"event of one text", 20, Bytes{6}, {false, false, true}},
      {"other type", 20, Bytes{9, 1, 2}, {false, false, false}},
      {"record of no bytes", 20, Bytes{}, {false, false, false}},
      {"contact outside blocks 15 to 39", 40, contact(0, 0, 0, {}), {false, false, false}},
      {"call in block 14", 14, call(1, 0, {}), {false, false, false}},
  };
  for (const Case& c : cases) {
    const auto doc = decodedRecord(c.block, c.record);
    const std::size_t n = doc->information.rowCount();
    ASSERT_GE(n, 3u) << c.name;
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_EQ(doc->information.cell(n - 3 + k, 1), c.found[k] ? cp("Есть") : cp("Нет"))
          << c.name << ", row " << k;
    }
    const std::size_t rows =
        doc->phonebook.rowCount() + doc->calls.rowCount() + doc->calendar.rowCount();
    EXPECT_EQ(rows, c.found[0] || c.found[1] || c.found[2] ? 1u : 0u) << c.name;
  }
}

// Every cut of every kind of record, and random records, decode without reading outside the
// record (the sanitizer build checks that) and leave the block model as read.
TEST(GdfsDecoder, CutAndRandomRecordsDecodeWithinTheirBytes) {
  const std::vector<Bytes> records = {
      call(1, 1234567890, {numberField("12345", 0x20), numberField("6", 0x20)}),
      test::gdfs_bytes::note(utf16le(u"Купить хлеб"), 11, 1),
      test::gdfs_bytes::event(Bytes{'A', 'b', 'c'}, 3, 1),
      eventWithTexts({u"Title", u"Middle", u"Last"}, 1),
      contact(0x3C, 0x20, 0x0C,
              {textField(u"A"), textField(u"B"), plainField("a@b.c"), birthday(1, 2, 2000),
               textField(u"Org"), numberField("123"), plainField("www"), textField(u"n")}),
  };
  test::GdfsBuilder b;
  for (const Bytes& r : records) {
    for (std::size_t n = 0; n <= r.size(); ++n)
      b.record(20, static_cast<int>(n), Bytes(r.begin(), r.begin() + static_cast<long>(n)));
  }
  std::mt19937 random(7);
  for (int k = 0; k < 2000; ++k) {
    Bytes r(random() % 40);
    for (auto& byte : r)
      byte = static_cast<std::uint8_t>(random() % 8 == 0 ? random() % 256 : random() % 8);
    if (!r.empty()) r[0] = std::vector<std::uint8_t>{5, 6, 7, 10, 18}[random() % 5];
    b.record(21, k % 256, r);
  }
  const auto doc = decoded(b);
  for (std::size_t i = 0; i < b.records().size(); ++i) {
    const std::size_t block = i < b.records().size() - 2000 ? 0 : 1;
    const std::size_t index = block == 0 ? i : i - (b.records().size() - 2000);
    ASSERT_EQ(test::bytesOf(doc->model.block(block).record(index)), b.records()[i].bytes) << i;
  }
  EXPECT_GT(doc->phonebook.rowCount(), 0u);
}

}  // namespace
}  // namespace kestrel::gdfs
