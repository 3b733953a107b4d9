// Control characters in the cells: what each format does with them, and a vCard export that a
// NUL in a name cannot cut short.

#include <gtest/gtest.h>

#include "core/Columns.h"
#include "core/Cp1251.h"
#include "core/Document.h"
#include "export/SaveCommand.h"
#include "readers/vcard/VcardReader.h"
#include "support/PhonebookRows.h"
#include "support/TempDir.h"

namespace kestrel::output {
namespace {

// Every control character a windows-1251 cell can hold but TAB, CR and LF: the C0 controls, DEL
// and 0x98 (U+0098).
std::string otherControls() {
  std::string text;
  for (int b = 0; b < 0x20; ++b) {
    if (b != '\t' && b != '\r' && b != '\n') text += static_cast<char>(b);
  }
  return text + "\x7F\x98";
}

// A name and a calendar title holding every other control between "a" and "b", and texts with a
// TAB, which every format keeps.
void fillWithControls(Document& doc) {
  const std::string marked = "a" + otherControls() + "b";
  test::addPhonebookRow(doc, {{kPbName, marked}, {kPbNotes, "x\ty"}});
  test::addPhonebookRow(doc, {{kPbName, "c"}});
  test::addTableRow(doc.calendar, "1", {"08.03.2009", "Memo", marked, "x\ty"});
  test::addTableRow(doc.calendar, "2", {"09.03.2009", "Memo", "d", ""});
  // A source file whose name holds ESC and BEL, named in the HTML report.
  doc.sourceFiles.push_back("/nonexistent/\x1B]0;title\x07.pm");
}

struct ControlCase {
  const char* name;
  int filterIndex;
  std::string written;  // the file to read, in the test's folder
  bool utf8;            // else windows-1251
  bool controlsKept;
  std::string expected;  // a piece of the output
};

class ControlCharacters : public testing::TestWithParam<ControlCase> {};

// vCard, iCalendar and HTML cannot carry control characters other than TAB, CR and LF, so they
// are left out there; the text report and the CSV keep the cells' bytes.
TEST_P(ControlCharacters, AreLeftOutOnlyWhereTheFormatCannotCarryThem) {
  const ControlCase& c = GetParam();
  Document doc;
  fillWithControls(doc);
  test::TempDir dir;
  ASSERT_FALSE(saveDocument(doc, {true, false, true}, {dir.file("out"), c.filterIndex}));
  const std::string out = test::readFile(dir.file(c.written));
  EXPECT_NE(out.find(c.expected), std::string::npos) << out;
  EXPECT_NE(out.find("x\ty"), std::string::npos) << out;
  std::size_t controls = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(out[i]);
    // U+0098 is C2 98 in UTF-8, where a lone 98 byte is part of a letter ("И" is D0 98).
    const bool c1 = c.utf8 ? b == 0xC2 && i + 1 < out.size() &&
                                 (static_cast<std::uint8_t>(out[i + 1]) & 0xE0) == 0x80
                           : b == 0x98;
    if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F || c1) ++controls;
  }
  // The name and the title each hold 31 of them; the CSV and the text report keep both.
  EXPECT_EQ(controls, c.controlsKept ? 2 * otherControls().size() : 0u) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ControlCharacters,
    testing::Values(
        ControlCase{"TextReport", 1, "out.txt", false, true, "a" + otherControls() + "b"},
        ControlCase{"CsvSemicolon", 2, "out.csv", false, true, ";a" + otherControls() + "b;"},
        ControlCase{"CsvComma", 3, "out.csv", false, true, ",a" + otherControls() + "b,"},
        ControlCase{"VcardFolderUtf8", 4, "out/1.vcf", true, false, ":ab\r\n"},
        ControlCase{"VcardFolder1251", 5, "out/1.vcf", false, false, ":ab\r\n"},
        ControlCase{"VcardFile", 6, "out.vcf", true, false, ":ab\r\n"},
        ControlCase{"Calendar", 7, "out.ics", true, false, "SUMMARY:ab\r\n"},
        ControlCase{"HtmlReport", 8, "out.html", true, false, "<td>ab</td>"}),
    [](const auto& info) { return std::string(info.param.name); });

// A NUL in a name would end the vCard file for its reader: every card comes back all the same.
TEST(ControlCharacters, VcardFileWithANulInANameReadsBackWhole) {
  Document doc;
  const std::vector<std::string> names = {"first", std::string("sec\0ond", 7), "third\x1B",
                                          "fourth"};
  for (const std::string& name : names)
    test::addPhonebookRow(doc, {{kPbName, name}, {kPbNumbers, "+79161234567"}});
  test::TempDir dir;
  ASSERT_FALSE(saveDocument(doc, {}, {dir.file("book"), 6}));

  Document back;
  vcard::addVcardFile(back, test::readFile(dir.file("book.vcf")));
  ASSERT_EQ(back.phonebook.rowCount(), names.size());
  const std::vector<std::string> expected = {"first", "second", "third", "fourth"};
  for (std::size_t r = 0; r < expected.size(); ++r) {
    EXPECT_EQ(back.phonebook.cell(r, kPbName), expected[r]) << r;
    EXPECT_EQ(back.phonebook.cell(r, kPbNumbers), "+79161234567") << r;
  }
}

}  // namespace
}  // namespace kestrel::output
