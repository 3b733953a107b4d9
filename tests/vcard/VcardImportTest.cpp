#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "core/Digests.h"
#include "core/Document.h"
#include "export/SaveCommand.h"
#include "open/OpenDocument.h"
#include "readers/input/ReaderInput.h"
#include "readers/vcard/VcardReader.h"
#include "support/PhonebookRows.h"
#include "support/TempDir.h"

namespace kestrel::vcard {
namespace {

namespace fs = std::filesystem;

std::string cell(const Document& doc, std::size_t row, int column) {
  return std::string(doc.phonebook.cell(row, static_cast<std::size_t>(column)));
}

TEST(VcardImport, SeveralFilesGoIntoOneDocument) {
  test::TempDir dir;
  const std::vector<std::string> files = {
      dir.write("a.vcf", "BEGIN:VCARD\r\nVERSION:2.1\r\nTEL;CELL:1\r\nEND:VCARD\r\n"),
      dir.write("b.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nEND:VCARD\r\n"),
      dir.write("c.vcf", "BEGIN:VCARD\nVERSION:4.0\nN;X:C\nEND:VCARD\n")};
  Document doc;
  EXPECT_TRUE(openDocument(doc, FileKind::Vcf, files));
  ASSERT_EQ(doc.phonebook.rowCount(), 3u);
  for (std::size_t r = 0; r < 3; ++r) {
    EXPECT_EQ(doc.phonebook.row(r).caption(), std::to_string(r + 1));
    EXPECT_EQ(doc.phonebook.row(r).subItemCount(), 13u);
  }
  EXPECT_EQ(cell(doc, 0, kPbNumbers), "1");
  EXPECT_EQ(cell(doc, 2, kPbName), "C");
  // The first two information rows hold the last file's values; the others stay blank.
  ASSERT_EQ(doc.information.rowCount(), 6u);
  EXPECT_EQ(doc.information.cell(0, 0), "Name");
  EXPECT_EQ(doc.information.cell(0, 1), "VCARD");
  EXPECT_EQ(doc.information.cell(1, 0), "Version");
  EXPECT_EQ(doc.information.cell(1, 1), "4.0");
  for (std::size_t r = 2; r < 6; ++r) {
    EXPECT_EQ(doc.information.cell(r, 0), "");
    EXPECT_EQ(doc.information.cell(r, 1), "");
  }
  EXPECT_TRUE(doc.saveEnabled());
  EXPECT_TRUE(doc.exportToExcelEnabled());
}

// A file that begins with the UTF-8 byte-order mark reads as if the mark were not there.
TEST(VcardImport, ByteOrderMarkIsSkipped) {
  const std::string bom = "\xEF\xBB\xBF";
  const std::string anna = "BEGIN:VCARD\r\nN:Anna\r\nEND:VCARD\r\n";
  Document one;
  addVcardFile(one, bom + anna);
  ASSERT_EQ(one.phonebook.rowCount(), 1u);
  EXPECT_EQ(one.information.cell(0, 1), "VCARD") << "the first BEGIN line is recognised";
  EXPECT_EQ(cell(one, 0, kPbName), "Anna");
  Document two;
  addVcardFile(two, bom + anna + "BEGIN:VCARD\r\nN:Bob\r\nEND:VCARD\r\n");
  ASSERT_EQ(two.phonebook.rowCount(), 2u);
  EXPECT_EQ(cell(two, 1, kPbName), "Bob");
}

TEST(VcardImport, UnreadableFileEndsTheImportSilently) {
  test::TempDir dir;
  const std::vector<std::string> files = {dir.write("a.vcf", "BEGIN:VCARD\nN;X:A\nEND:VCARD\n"),
                                          dir.file("missing.vcf"),
                                          dir.write("c.vcf", "BEGIN:VCARD\nN;X:C\nEND:VCARD\n")};
  Document doc;
  doc.setDataCommandsEnabled(false);
  EXPECT_FALSE(openDocument(doc, FileKind::Vcf, files));
  ASSERT_EQ(doc.phonebook.rowCount(), 1u);
  EXPECT_EQ(cell(doc, 0, kPbName), "A");
  EXPECT_EQ(doc.information.rowCount(), 2u);
  EXPECT_FALSE(doc.saveEnabled());
}

TEST(VcardImport, CardWithoutPropertiesKeepsColumnsHidden) {
  test::TempDir dir;
  Document doc;
  EXPECT_TRUE(
      openDocument(doc, FileKind::Vcf, {dir.write("a.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n")}));
  ASSERT_EQ(doc.phonebook.rowCount(), 1u);
  for (std::size_t c = 1; c < doc.phonebook.columnCount(); ++c) {
    EXPECT_EQ(doc.phonebook.columnWidth(c), 0) << c;
    EXPECT_EQ(doc.phonebook.cell(0, c), "") << c;
  }
}

TEST(VcardImport, ReadsTheStylesOfPhonesAndAddressBooks) {
  test::TempDir dir;
  const std::string file = dir.write(
      "mixed.vcf",
      // vCard 2.1 of a phone: quoted-printable with soft breaks, a photo.
      "BEGIN:VCARD\r\n"
      "VERSION:2.1\r\n"
      "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=98=D0=B2=D0=B0=D0=BD=D0=BE=D0=B2;=D0=98=\r\n"
      "=D0=B2=D0=B0=D0=BD;;;\r\n"
      "TEL;CELL:+7916\r\n"
      "TEL;HOME;VOICE:8495\r\n"
      "NOTE;ENCODING=QUOTED-PRINTABLE:line1=0D=0Aline2=3B=\r\n"
      "end\r\n"
      "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQ\r\n"
      " TEL:AAAA\r\n"
      "BDAY:19800305\r\n"
      "END:VCARD\r\n"
      // vCard 3.0 of an address book: folded, no parameters, grouped and lower-case names.
      "BEGIN:VCARD\r\n"
      "VERSION:3.0\r\n"
      "N:Doe;John;;;\r\n"
      "FN:John\r\n"
      "  Doe\r\n"
      "item1.EMAIL;type=INTERNET;type=pref:john@example.com\r\n"
      "item1.X-ABLabel:_$!<Other>!$_\r\n"
      "email:j@d.org\r\n"
      "tel;type=cell:555 1234\r\n"
      "ORG:Acme;Sales\r\n"
      "BDAY;VALUE=date:1975-12-31\r\n"
      "PHOTO;ENCODING=b;TYPE=JPEG:TEL;\r\n"
      "END:VCARD\r\n"
      // A third card in the same file.
      "begin:vcard\r\n"
      "version:2.1\r\n"
      "TEL:3\r\n"
      "end:vcard\r\n");
  Document doc;
  EXPECT_TRUE(openDocument(doc, FileKind::Vcf, {file}));
  ASSERT_EQ(doc.phonebook.rowCount(), 3u);
  EXPECT_EQ(doc.phonebook.row(2).caption(), "3");
  EXPECT_EQ(cell(doc, 0, kPbName), "Иванов Иван"_cp);
  EXPECT_EQ(cell(doc, 0, kPbNumbers), "+7916 8495");
  EXPECT_EQ(cell(doc, 0, kPbNotes), "line1\r\nline2;end");
  EXPECT_EQ(cell(doc, 0, kPbBirthday), "05.03.1980");
  EXPECT_EQ(cell(doc, 1, kPbName), "Doe John");
  EXPECT_EQ(cell(doc, 1, kPbFormalName), "John Doe");
  EXPECT_EQ(cell(doc, 1, kPbEmail), "john@example.com j@d.org");
  EXPECT_EQ(cell(doc, 1, kPbNumbers), "555 1234");
  EXPECT_EQ(cell(doc, 1, kPbCompany), "Acme Sales");
  EXPECT_EQ(cell(doc, 1, kPbBirthday), "31.12.1975");
  EXPECT_EQ(cell(doc, 2, kPbNumbers), "3");
  EXPECT_EQ(doc.information.cell(1, 1), "2.1");
}

TEST(VcardImport, NestedCardStaysInItsRow) {
  test::TempDir dir;
  Document doc;
  EXPECT_TRUE(openDocument(
      doc, FileKind::Vcf,
      {dir.write("agent.vcf",
                 "BEGIN:VCARD\nTEL;X:1\nAGENT:\nBEGIN:VCARD\nTEL;X:2\nEND:VCARD\nEND:VCARD\n")}));
  ASSERT_EQ(doc.phonebook.rowCount(), 1u);
  EXPECT_EQ(cell(doc, 0, kPbNumbers), "1 2");
}

struct BirthdayCase {
  const char* name;
  std::string value;
  std::string cell;
};

class Birthdays : public testing::TestWithParam<BirthdayCase> {};

TEST_P(Birthdays, ComeBackAsDayMonthYear) {
  test::TempDir dir;
  Document doc;
  openDocument(doc, FileKind::Vcf, {dir.write("b.vcf", "BDAY:" + GetParam().value + "\n")});
  EXPECT_EQ(cell(doc, 0, kPbBirthday), GetParam().cell);
  EXPECT_EQ(doc.phonebook.columnWidth(kPbBirthday), 100);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Birthdays,
    testing::Values(BirthdayCase{"Digits", "19800305", "05.03.1980"},
                    BirthdayCase{"Hyphens", "1980-03-05", "05.03.1980"},
                    BirthdayCase{"DateTime", "1980-03-05T10:00:00Z", "05.03.1980"},
                    BirthdayCase{"MonthAndDay", "0305", "..0305"}, BirthdayCase{"Empty", "", ".."}),
    [](const auto& info) { return std::string(info.param.name); });

struct EncodedNoteCase {
  const char* name;
  std::string line;
  std::string note;
};

class EncodedNotes : public testing::TestWithParam<EncodedNoteCase> {};

// Only a value that says ENCODING=BASE64 or ENCODING=b is left out; a bare BASE64 or B
// parameter is no encoding the import knows, so the value is read as it stands.
TEST_P(EncodedNotes, AreSkippedOnlyWhenTheEncodingNamesBase64) {
  Document doc;
  addVcardFile(doc, "BEGIN:VCARD\r\n" + GetParam().line + "\r\nEND:VCARD\r\n");
  EXPECT_EQ(cell(doc, 0, kPbNotes), GetParam().note);
}

INSTANTIATE_TEST_SUITE_P(Rules, EncodedNotes,
                         testing::Values(EncodedNoteCase{"EncodingBase64",
                                                         "NOTE;ENCODING=BASE64:QUJD", ""},
                                         EncodedNoteCase{"EncodingB", "NOTE;encoding=b:QUJD", ""},
                                         EncodedNoteCase{"BareBase64", "NOTE;BASE64:QUJD", "QUJD"},
                                         EncodedNoteCase{"BareB", "NOTE;TYPE=WORK;B:text", "text"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Everything the writer puts on a card comes back into the cell it came from.
void expectRoundTrip(int filterIndex) {
  Document source;
  const std::vector<std::pair<int, std::string>> cells = {
      {kPbName, std::string("Иванов Иван"_cp)},
      {kPbNumbers, "+79161234567 84951234567 111 222 333 444"},
      {kPbCompany, std::string("ООО \"Ромашка\""_cp)},
      {kPbAddress, std::string("Москва, ул. Ленина, 1"_cp)},
      {kPbEmail, "a@x.ru b@x.ru c@x.ru d@x.ru"},
      {kPbBirthday, "05.03.1980"},
      {kPbNotes, std::string("Строка 1\r\nСтрока = 2 ёЁ№"_cp)},
      {kPbFormalName, std::string("Иван Петрович Иванов"_cp)},
      {kPbJobTitle, std::string("Инженер"_cp)},
      {kPbWebSite, "http://ivanov.ru"}};
  ResultTable::Row& row = test::addPhonebookRow(source, {});
  for (const auto& [column, text] : cells)
    row.setSubItem(static_cast<std::size_t>(column) - 1, text);
  test::addPhonebookRow(source, {{kPbName, "Second"}});

  test::TempDir dir;
  EXPECT_FALSE(output::saveDocument(source, {}, {dir.file("cards"), filterIndex}));
  Document doc;
  EXPECT_TRUE(openDocument(doc, FileKind::Vcf, {dir.file("cards/1.vcf"), dir.file("cards/2.vcf")}));
  ASSERT_EQ(doc.phonebook.rowCount(), 2u);
  for (const auto& [column, text] : cells) {
    EXPECT_EQ(cell(doc, 0, column), text) << column;
    EXPECT_EQ(doc.phonebook.columnWidth(static_cast<std::size_t>(column)), 100) << column;
  }
  EXPECT_EQ(cell(doc, 1, kPbName), "Second");
  EXPECT_EQ(cell(doc, 1, kPbNumbers), "");
}

TEST(VcardRoundTrip, Utf8Cards) {
  expectRoundTrip(4);
}

TEST(VcardRoundTrip, Windows1251Cards) {
  expectRoundTrip(5);
}

TEST(VcardRoundTrip, Cyrillic1251WebSiteComesBackEmpty) {
  Document source;
  test::addPhonebookRow(source, {{kPbWebSite, "сайт.рф"_cp}});
  test::TempDir dir;
  output::saveDocument(source, {}, {dir.file("cards"), 5});
  Document doc;
  openDocument(doc, FileKind::Vcf, {dir.file("cards/1.vcf")});
  EXPECT_EQ(cell(doc, 0, kPbWebSite), "");
}

// Any bytes are read without a crash, and large inputs in linear time: 200 000 numbers in one
// card, and one folded line of 200 000 pieces.
TEST(VcardImport, SurvivesAnyInput) {
  test::TempDir dir;
  std::mt19937 random(1251);
  const std::string alphabet = "BEGIN:VCARD\r\n;:=. \tTELNQUOTED-PRINTABLE1251\xD0\xC3\x80\xFF";
  std::vector<std::string> files;
  for (int i = 0; i < 200; ++i) {
    std::string bytes(random() % 400, '\0');
    for (char& c : bytes)
      c = (random() % 4 == 0) ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    files.push_back(dir.write("r" + std::to_string(i) + ".vcf", bytes));
  }
  Document doc;
  EXPECT_TRUE(openDocument(doc, FileKind::Vcf, files));
  EXPECT_GE(doc.phonebook.rowCount(), files.size());

  std::string many = "BEGIN:VCARD\n";
  for (int i = 0; i < 200000; ++i)
    many += "TEL;CELL:12\n";
  std::string folded = "NOTE;X:";
  for (int i = 0; i < 200000; ++i)
    folded += "\n a";
  Document big;
  EXPECT_TRUE(openDocument(big, FileKind::Vcf,
                           {dir.write("many.vcf", many), dir.write("fold.vcf", folded)}));
  EXPECT_EQ(cell(big, 0, kPbNumbers).size(), 200000u * 3 - 1);
  EXPECT_EQ(cell(big, 1, kPbNotes), std::string(200000, 'a'));
}

// The cards of a file counted without the reader under test: physical lines that read
// "BEGIN:VCARD" in any letter case, blanks around them ignored.
int countCards(const std::string& text) {
  int cards = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    std::string line = text.substr(pos, end - pos);
    line.erase(0, line.find_first_not_of(" \t"));
    line.erase(line.find_last_not_of(" \t") + 1);
    std::transform(line.begin(), line.end(), line.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    cards += line == "BEGIN:VCARD";
    pos = end + 1;
  }
  return cards;
}

// The real files other programs wrote lie beside our own checkouts; a clone of the project
// alone has none and skips these tests.
const fs::path kCorpus = fs::path(KESTREL_CORPUS_DIR) / "vcard";

#define SKIP_WITHOUT_CORPUS()                                                                    \
  if (!fs::is_directory(kCorpus))                                                                \
  GTEST_SKIP() << "no vCard corpus at " << kCorpus.string() << " (it lies beside the project's " \
               << "own checkouts only)"

// Files that phones and address books wrote: every card becomes a row, none is lost.
TEST(VcardCorpus, EveryCardBecomesARow) {
  SKIP_WITHOUT_CORPUS();
  const fs::path& corpus = kCorpus;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
    if (entry.path().extension() != ".vcf") continue;
    ++files;
    Document doc;
    EXPECT_TRUE(openDocument(doc, FileKind::Vcf, {entry.path().string()}));
    const int cards = countCards(test::readFile(entry.path().string()));
    EXPECT_GE(cards, 1) << entry.path();
    EXPECT_EQ(doc.phonebook.rowCount(), static_cast<std::size_t>(cards)) << entry.path();
  }
  EXPECT_GE(files, 30);
}

// Everything the import shows: the cells and column widths of the information and phonebook.
std::string snapshot(const Document& doc) {
  std::string all;
  for (const ResultTable* table : {&doc.information, &doc.phonebook}) {
    for (std::size_t c = 0; c < table->columnCount(); ++c)
      all += std::to_string(table->columnWidth(c)) + ",";
    for (std::size_t r = 0; r < table->rowCount(); ++r) {
      all += "\n";
      for (std::size_t c = 0; c < table->columnCount(); ++c)
        all += std::string(table->cell(r, c)) + "|";
    }
    all += "\n--\n";
  }
  return all;
}

// A file read piece by piece gives what its whole bytes give, wherever the pieces end: in a
// CR LF, a byte-order mark, a folded or soft-broken line, a UTF-8 character or after a NUL.
TEST(VcardImport, PiecesReadLikeTheWholeFile) {
  std::vector<std::string> texts = {
      "",
      "\xEF\xBB",
      "\xEF\xBB\xBF",
      "\xEF\xBB\xBF"
      "BEGIN:VCARD\r\nN:A\r\nEND:VCARD\r\n",
      "BEGIN:VCARD\rN:A\n\rTEL:1\r\r\nEND:VCARD\n\nBEGIN:VCARD\r\nN:B",
      "BEGIN:VCARD\r\nNOTE:one\r\n two\r\n\tthree\r\nEND:VCARD\r\n",
      "BEGIN:VCARD\r\nN;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=D0=98=\r\n=D0=B2\r\nEND:VCARD",
      "BEGIN:VCARD\nN:\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\nTEL:12\0TEL:34\nEND:VCARD\n",
      "BEGIN:VCARD\nNOTE:" + std::string(3000, 'x') + "\n " + std::string(700, 'y') + "\nEND:VCARD",
  };
  std::mt19937 random(866);
  const std::string alphabet =
      "BEGIN:VCARD\r\n;:=. \tTELNQUOTED-PRINTABLE1251\xD0\xC3\x80\xEF\xBB\xBF";
  for (int i = 0; i < 60; ++i) {
    std::string bytes(random() % 300, '\0');
    for (char& c : bytes)
      c = random() % 50 == 0 ? '\0' : alphabet[random() % alphabet.size()];
    texts.push_back(bytes);
  }
  if (fs::is_directory(kCorpus)) {
    for (const auto& entry : fs::recursive_directory_iterator(kCorpus)) {
      if (entry.path().extension() == ".vcf")
        texts.push_back(test::readFile(entry.path().string()));
    }
  }
  for (const std::string& text : texts) {
    Document whole;
    addVcardFile(whole, text);
    const std::string expected = snapshot(whole);
    for (const std::size_t piece : {1, 2, 3, 5, 64, 4096}) {
      // Read in pieces, each in a buffer of the input's own that its digests share: the same
      // rows, and the digest of every byte.
      Document read;
      ReaderInput input = ReaderInput::bytes("cards.vcf", {text.begin(), text.end()});
      readFileInPieces(read, input, piece);
      ASSERT_EQ(snapshot(read), expected) << "input pieces of " << piece << " in:\n" << text;
      // A NUL ends the text, and the reading with it.
      if (text.find('\0') != std::string::npos) continue;
      Digests digests;
      digests.add(text);
      ASSERT_EQ(input.digest().sha256, digests.sha256()) << "input pieces of " << piece;
    }
  }
}

struct CorpusCase {
  const char* name;
  std::string file;
  std::size_t row;
  int column;
  std::string cell;
};

class CorpusCells : public testing::TestWithParam<CorpusCase> {};

TEST_P(CorpusCells, AreReadable) {
  SKIP_WITHOUT_CORPUS();
  Document doc;
  ASSERT_TRUE(openDocument(doc, FileKind::Vcf, {(kCorpus / GetParam().file).string()}));
  ASSERT_LT(GetParam().row, doc.phonebook.rowCount());
  EXPECT_EQ(cell(doc, GetParam().row, GetParam().column), GetParam().cell);
}

INSTANTIATE_TEST_SUITE_P(
    Files, CorpusCells,
    testing::Values(
        CorpusCase{"QuotedPrintableCyrillic", "gammu/quoted-printable-new-line.vcf", 0, kPbName,
                   std::string("- PRIMA ПОРКС"_cp)},
        CorpusCase{"LowerCaseTypes", "gammu/type_lowercase.vcf", 0, kPbNumbers,
                   "+349869999 +349869998 +34669499997"},
        CorpusCase{"PhotoIsSkipped", "gammu/photo.vcf", 0, kPbBirthday, "24.03.1977"},
        CorpusCase{"Utf8Version3", "gammu/vcard3-utf-8.vcf", 0, kPbEmail,
                   "bodo.lk@skatteetaten.no"},
        CorpusCase{"AndroidSecondCard", "ez-vcard/John_Doe_ANDROID.vcf", 1, kPbEmail,
                   "jane.doe@company.com"},
        CorpusCase{"GmailListThirdCard", "ez-vcard/gmail-list.vcf", 2, kPbName, "White Doug"},
        CorpusCase{"IphoneGroupedEmail", "ez-vcard/John_Doe_IPHONE.vcf", 0, kPbEmail,
                   "john.doe@ibm.com"},
        // Escapes, as phones and address books write them.
        CorpusCase{"EscapesOfEveryKind", "gammu/char-escaping.vcf", 0, kPbNotes,
                   "text with two\r\nlines text with\\slash some escaped char "
                   "with;two\r\n\r\nextra new lines random text with slash at the "
                   "end, this is probably invalid vcard\\ let's try also some "
                   "invalid escape sequence\\M\r\n\\"},
        CorpusCase{"EscapedCommaInAName", "ez-vcard/John_Doe_GMAIL.vcf", 0, kPbName,
                   "Doe John Richter, James Mr. Sr."},
        CorpusCase{"AddressOverSeveralLines", "ez-vcard/John_Doe_GMAIL.vcf", 0, kPbAddress,
                   "Crescent moon drive\r\n555-asd\r\nNice Area, Albaney, New York "
                   "12345\r\nUnited States of America"},
        CorpusCase{"EscapedColonStays", "ez-vcard/John_Doe_GMAIL.vcf", 0, kPbWebSite,
                   "http\\://www.ibm.com"},
        CorpusCase{"FoldedNoteWithEscapes", "gammu/vcard3-utf-8.vcf", 0, kPbNotes,
                   "Telefonhenvendelser til saksbehandler\\: \r\nMan 08\\:00-15\\:30, "
                   "tir-fre 12\\:00-15\\:30"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrel::vcard
