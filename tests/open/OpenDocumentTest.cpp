#include "open/OpenDocument.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/Cp1251.h"
#include "core/Digests.h"
#include "export/FileFacts.h"
#include "support/DemoDump.h"
#include "support/PmBuilder.h"
#include "support/TempDir.h"

namespace kestrel {
namespace {

// What the view of an opened document heard: messages, and files that could not be read.
class Heard : public DocumentView {
 public:
  void showMessage(std::string_view text) override { lines.emplace_back(text); }
  void showFileError(const IoError& cause, std::string_view readFailureMessage) override {
    lines.push_back(readFailureMessage.empty()
                        ? "file " + cause.fileName()
                        : std::string(readFailureMessage) + " / " + cause.fileName());
  }
  std::vector<std::string> lines;
};

TEST(FileKinds, NamesTellTheKindByTheirEnding) {
  const struct {
    const char* name;
    std::optional<FileKind> kind;
  } cases[] = {
      {"dump.pm", FileKind::Pm},          {"dump.pm2", FileKind::Pm},
      {"dir.x/dump.pmbak", FileKind::Pm}, {"dump.pm.old", std::nullopt},
      {"dir.pm/dump", std::nullopt},      {"dump.PM", std::nullopt},
      {"dump.bin", FileKind::Gdfs},       {"dump.gdfs", FileKind::Gdfs},
      {"dump.gdf", FileKind::Gdfs},       {"dump.bin.old", std::nullopt},
      {"dump.BIN", std::nullopt},         {"cards.vcf", FileKind::Vcf},
      {"cards.vcf2", std::nullopt},       {"cards.VCF", std::nullopt},
      {"image.img", std::nullopt},        {"image", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fileKindOfName(c.name), c.kind) << c.name;
}

TEST(FileKinds, EveryKindHasItsEntryAndName) {
  const std::vector<std::string> names = {"pm", "gdfs", "eeprom", "vcf"};
  ASSERT_EQ(fileKinds().size(), names.size());
  for (std::size_t k = 0; k < names.size(); ++k) {
    const FileKind kind = fileKinds()[k].kind;
    EXPECT_EQ(&fileKindEntry(kind), &fileKinds()[k]);
    EXPECT_EQ(fileKindName(kind), names[k]);
    EXPECT_EQ(fileKindNamed(names[k]), kind);
    EXPECT_NE(fileKinds()[k].read, nullptr);
  }
  EXPECT_EQ(fileKindNamed("PM"), std::nullopt);
  // Only vCard files are chosen several at a time.
  EXPECT_TRUE(fileKindEntry(FileKind::Vcf).multipleFiles);
  EXPECT_FALSE(fileKindEntry(FileKind::Pm).multipleFiles);
}

// Each kind's open, over a readable file, a damaged one and one that does not exist: what the
// view is told, the enabled commands ("Экспорт в Excel", "Сохранить", "Сохранение PM") and the
// result.
TEST(OpenDocument, MessagesAndCommandsOfEachKind) {
  const std::string pmFormat("Неверный формат файла"_cp);
  const std::string gdfsFormat("Неизвестный формат файла"_cp);
  test::TempDir dir;
  const std::string missing = dir.file("missing");
  const struct Case {
    const char* name;
    FileKind kind;
    std::string file;
    bool ok;
    std::vector<std::string> heard;
    bool exportToExcel, save, savePm;
    std::string status;
  } cases[] = {
      {"pm", FileKind::Pm, dir.write("a.pm", test::demoPmText()), true, {}, true, true, true, ""},
      {"pm without data",
       FileKind::Pm,
       dir.write("b.pm", "[9]\r\n0=41\r\n"),
       true,
       {},
       false,
       false,
       true,
       ""},
      // The status still names the block the load failed in.
      {"pm damaged",
       FileKind::Pm,
       dir.write("c.pm", "[9]\r\n0=4\r\n"),
       false,
       {pmFormat},
       false,
       false,
       false,
       std::string("Загрузка блока 9"_cp)},
      {"pm missing",
       FileKind::Pm,
       missing,
       false,
       {pmFormat + " / " + missing},
       false,
       false,
       false,
       ""},
      {"gdfs", FileKind::Gdfs, dir.write("a.gdfs", ""), true, {}, true, true, true, ""},
      {"gdfs damaged",
       FileKind::Gdfs,
       dir.write("b.gdfs", "Gdfs=     0Z01 41"),
       false,
       {gdfsFormat},
       true,
       true,
       true,
       ""},
      {"gdfs missing",
       FileKind::Gdfs,
       missing,
       false,
       {gdfsFormat + " / " + missing},
       true,
       true,
       true,
       ""},
      {"eeprom", FileKind::Eeprom, dir.write("a.img", "4321"), true, {}, true, false, true, ""},
      {"eeprom missing",
       FileKind::Eeprom,
       missing,
       false,
       {"file " + missing},
       true,
       false,
       true,
       ""},
      {"vcf",
       FileKind::Vcf,
       dir.write("a.vcf", "BEGIN:VCARD\r\n"),
       true,
       {},
       true,
       true,
       false,
       ""},
      {"vcf missing", FileKind::Vcf, missing, false, {"file " + missing}, true, false, false, ""},
  };
  for (const Case& c : cases) {
    Document doc;
    Heard heard;
    doc.setView(&heard);
    // A vCard import leaves "Сохранение PM" and, after a failure, the data commands alone.
    if (c.kind == FileKind::Vcf) doc.setSavePmEnabled(false);
    EXPECT_EQ(openDocument(doc, c.kind, {c.file}), c.ok) << c.name;
    EXPECT_EQ(heard.lines, c.heard) << c.name;
    EXPECT_EQ(doc.exportToExcelEnabled(), c.exportToExcel) << c.name;
    EXPECT_EQ(doc.saveEnabled(), c.save) << c.name;
    EXPECT_EQ(doc.savePmEnabled(), c.savePm) << c.name;
    EXPECT_EQ(doc.sourceFiles, std::vector<std::string>{c.file}) << c.name;
    EXPECT_EQ(doc.status(), c.status) << c.name;
  }
}

// A kind of one file reads only the first file given; vCard files are read in order into one
// document until one cannot be read, and every file given is a source.
TEST(OpenDocument, ReadsTheFilesItsKindTakes) {
  test::TempDir dir;
  const std::string a = dir.write("a.vcf", "BEGIN:VCARD\r\nN:A\r\nEND:VCARD\r\n");
  const std::string b = dir.write("b.vcf", "BEGIN:VCARD\r\nN:B\r\nEND:VCARD\r\n");
  const std::string missing = dir.file("missing.vcf");
  Document two;
  ASSERT_TRUE(openDocument(two, FileKind::Vcf, {a, b}));
  EXPECT_EQ(two.phonebook.rowCount(), 2u);
  EXPECT_EQ(two.information.rowCount(), 4u);
  Document cut;
  EXPECT_FALSE(openDocument(cut, FileKind::Vcf, {a, missing, b}));
  EXPECT_EQ(cut.phonebook.rowCount(), 1u);
  EXPECT_EQ(cut.sourceFiles, (std::vector<std::string>{a, missing, b}));

  const std::string pm = dir.write("a.pm", "[9]\r\n0=41\r\n");
  Document first;
  EXPECT_TRUE(openDocument(first, FileKind::Pm, {pm, missing}));
  EXPECT_EQ(first.sourceFiles, std::vector<std::string>{pm});
}

using output::md5Hex;
using output::sha256Hex;

// The digests of every source file are those of the bytes its reader read, whole or in pieces,
// from the disk or from memory; a file not read to its end has none.
TEST(OpenDocument, TakesTheDigestsOfTheBytesRead) {
  test::TempDir dir;
  const std::string card = "BEGIN:VCARD\r\nN:Anna\r\nTEL:123\r\nEND:VCARD\r\n";
  std::string many;  // several of the vCard reader's pieces
  while (many.size() < (std::size_t{5} << 20))
    many += card;
  const std::string pm = test::demoPmText();
  struct Case {
    FileKind kind;
    std::vector<std::string> texts;
  };
  for (const Case& c :
       {Case{FileKind::Pm, {pm}}, Case{FileKind::Eeprom, {pm}},
        Case{FileKind::Gdfs, {std::string(300, '\0')}}, Case{FileKind::Vcf, {card, many, ""}}}) {
    std::vector<std::string> names;
    for (std::size_t k = 0; k < c.texts.size(); ++k)
      names.push_back(dir.write("f" + std::to_string(k) + ".bin", c.texts[k]));
    Document doc;
    openDocument(doc, c.kind, names);
    ASSERT_EQ(doc.sourceDigests.size(), names.size());
    for (std::size_t k = 0; k < names.size(); ++k) {
      const SourceDigest& digest = doc.sourceDigests[k];
      EXPECT_TRUE(digest.whole()) << k;
      EXPECT_EQ(digest.sha256, sha256Hex(c.texts[k])) << k;
      EXPECT_EQ(digest.md5, md5Hex(c.texts[k])) << k;
      EXPECT_EQ(digest.size, c.texts[k].size()) << k;
      EXPECT_GT(digest.taken, 0) << k;
    }
  }
  Document fromBytes;
  openDocument(fromBytes, FileKind::Pm, ReaderInput::bytes("a.pm", {pm.begin(), pm.end()}));
  EXPECT_EQ(fromBytes.sourceDigests.at(0).sha256, sha256Hex(pm));

  // Reading stops at a file that cannot be read: it and the files after it have no digests.
  const std::string a = dir.write("a.vcf", card);
  Document cut;
  EXPECT_FALSE(openDocument(cut, FileKind::Vcf, {a, dir.file("missing.vcf"), a}));
  ASSERT_EQ(cut.sourceDigests.size(), 3u);
  EXPECT_EQ(cut.sourceDigests[0].sha256, sha256Hex(card));
  EXPECT_FALSE(cut.sourceDigests[1].whole());
  EXPECT_FALSE(cut.sourceDigests[2].whole());
}

// A file is read whole, and digested whole, as it is when it is read: in many pieces, and also
// when it grew or shrank after it was opened.
TEST(ReaderInput, ReadsTheWholeFileAsItIsWhenRead) {
  test::TempDir dir;
  std::string text(std::size_t{9} << 20, '\0');
  for (std::size_t k = 0; k < text.size(); ++k)
    text[k] = static_cast<char>(k * 7 + k / 4093);
  for (const bool toKeep : {false, true}) {
    for (const std::size_t size :
         {text.size(), text.size() + (5 << 20) + 123, std::size_t{3} << 20, std::size_t{0}}) {
      const std::string name = dir.write("f.bin", text);
      ReaderInput input = ReaderInput::file(name);
      input.open();
      std::string now = text;
      now.resize(size, 'x');
      std::ofstream(name, std::ios::binary | std::ios::trunc) << now;
      const auto all = toKeep ? input.readAllToKeep() : input.readAll();
      EXPECT_TRUE(std::string(all->begin(), all->end()) == now) << size << toKeep;
      const SourceDigest digest = input.digest();
      EXPECT_EQ(digest.size, size);
      EXPECT_EQ(digest.sha256, sha256Hex(now)) << size << toKeep;
      EXPECT_EQ(digest.md5, md5Hex(now)) << size << toKeep;
    }
  }
}

// Bytes in memory read as the same file on the disk does, whole and in pieces.
TEST(ReaderInput, BytesReadAsTheFileDoes) {
  test::TempDir dir;
  const std::string text = "BEGIN:VCARD\r\nN:Anna\r\nTEL:123\r\nEND:VCARD\r\n";
  Document fromFile;
  ASSERT_TRUE(openDocument(fromFile, FileKind::Vcf, {dir.write("a.vcf", text)}));
  Document fromBytes;
  ASSERT_TRUE(openDocument(fromBytes, FileKind::Vcf,
                           ReaderInput::bytes("a.vcf", {text.begin(), text.end()})));
  ASSERT_EQ(fromBytes.phonebook.rowCount(), 1u);
  for (std::size_t c = 0; c < fromFile.phonebook.columnCount(); ++c)
    EXPECT_EQ(fromBytes.phonebook.cell(0, c), fromFile.phonebook.cell(0, c)) << c;
  EXPECT_EQ(fromBytes.phonebook.cell(0, 1), "Anna");

  ReaderInput input = ReaderInput::bytes("x", {1, 2, 3, 4, 5});
  std::string read;
  for (std::string_view piece = input.readAfter({}, 2); !piece.empty();
       piece = input.readAfter({}, 2))
    read.append(piece);
  EXPECT_EQ(read, "\x01\x02\x03\x04\x05");

  ReaderInput absent = ReaderInput::file(dir.file("absent"));
  EXPECT_THROW(absent.open(), IoError);
}

// A stop asked for ends the open at the reader's next report or read, also inside a block of
// many records and inside a file read in pieces: Cancelled leaves openDocument, nothing is shown,
// and the view has heard the end of the update.
TEST(OpenDocument, AStopEndsTheReadSoon) {
  class StopAtReport : public Heard {
   public:
    void statusChanged(std::string_view text) override {
      if (text == stopAt) stop.request_stop();
    }
    void tablesChanged() override { ++updatesEnded; }
    std::string stopAt;
    std::stop_source stop;
    int updatesEnded = 0;
  };
  test::PmBuilder bigBlock;
  bigBlock.block(4).record(0, {0x41}).block(58);
  for (int k = 0; k < 5000; ++k)
    bigBlock.record(k, {0x00});
  bigBlock.block(59).record(0, {0x00});
  const std::string pm = bigBlock.text();
  const std::string card = "BEGIN:VCARD\r\nN:Anna\r\nEND:VCARD\r\n";
  std::string cards;
  while (cards.size() < (std::size_t{3} << 20))
    cards += card;

  const struct Case {
    const char* name;
    FileKind kind;
    const std::string& text;
    std::string stopAt;  // empty: asked before the open
    std::size_t recordsRead;
    std::size_t phonebookRows;  // the vCard reader starts the first card's row before it reads
  } cases[] = {
      {"before the open", FileKind::Pm, pm, "", 0, 0},
      {"at a block's report, heard inside the block", FileKind::Pm, pm,
       std::string("Загрузка блока 58"_cp), 1 + 1024, 0},
      {"before a file read in pieces", FileKind::Vcf, cards, "", 0, 1},
  };
  for (const Case& c : cases) {
    Document doc;
    StopAtReport view;
    view.stopAt = c.stopAt;
    if (c.stopAt.empty()) view.stop.request_stop();
    doc.setView(&view);
    EXPECT_THROW(openDocument(doc, c.kind, ReaderInput::bytes("f", {c.text.begin(), c.text.end()}),
                              view.stop.get_token()),
                 Cancelled)
        << c.name;
    EXPECT_EQ(doc.model.recordCount(), c.recordsRead) << c.name;
    EXPECT_EQ(doc.phonebook.rowCount(), c.phonebookRows) << c.name;
    EXPECT_TRUE(view.lines.empty()) << c.name;
    EXPECT_EQ(view.updatesEnded, 1) << c.name;
  }

  // Without a stop the same files read to their end.
  Document whole;
  ASSERT_TRUE(openDocument(whole, FileKind::Pm, ReaderInput::bytes("f", {pm.begin(), pm.end()}),
                           std::stop_source().get_token()));
  EXPECT_EQ(whole.model.recordCount(), 5002u);
}

}  // namespace
}  // namespace kestrel
