// Writes the seed inputs of the fuzz targets, made by the project's own builders and writers,
// into DIR/<target>/: `make-fuzz-seeds DIR`.

#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzDocument.h"
#include "export/VcardWriter.h"
#include "support/DemoDump.h"
#include "support/EepromImage.h"
#include "support/GdfsBuilder.h"

namespace {

namespace fs = std::filesystem;
using kestrel::fuzz::Reader;

struct Seed {
  std::string name;
  Reader reader;
  std::string bytes;
};

// Two records under both markers, one of them with a name in two-byte characters, and a run
// of readable text between them.
std::string eepromImage() {
  std::string image = kestrel::test::smallEepromImage();
  const auto record = [&](char block, std::string_view marker, std::string_view payload) {
    const std::size_t length = 4 + payload.size();
    image += block;
    image += '\0';
    image += static_cast<char>(length & 0xFF);
    image += static_cast<char>(length >> 8);
    image += marker;
    image += payload;
  };
  record(3, "1234", std::string_view("\x04\x1f\x04\x35\x04\x42\x04\x40\x00\x00\x01\x02", 12));
  image += std::string(
      "\x00H\x00"
      "e\x00l\x00l\x00o\x00 \x00w\x00o\x00r\x00l\x00"
      "d\x00\x00",
      24);
  image += std::string(64, '\xFF');
  record(12, "4321", "\x10\x20\x30\x40\x50\x60");
  return image;
}

// The demo dump's contacts as the vCard folder writes them, one file of cards.
std::string vcardFile(kestrel::output::VcardCharset charset) {
  kestrel::Document doc;
  const std::string pm = kestrel::test::demoPmText();
  kestrel::fuzz::read(doc, Reader::Pm, reinterpret_cast<const std::uint8_t*>(pm.data()), pm.size());
  std::string file;
  for (std::size_t r = 0; r < doc.phonebook.rowCount(); ++r) {
    for (const std::string& line : kestrel::output::vcardLines(doc.phonebook.row(r), charset))
      file += line + "\r\n";
  }
  return file;
}

std::vector<Seed> seeds() {
  using kestrel::output::VcardCharset;
  const kestrel::test::GdfsBuilder gdfs = kestrel::test::demoDump();
  const std::string utf8 = vcardFile(VcardCharset::Utf8);
  const std::string cp1251 = vcardFile(VcardCharset::Cp1251);
  return {
      {"demo.pm", Reader::Pm, kestrel::test::demoPmText()},
      {"demo.bin", Reader::Bin, gdfs.form(".bin")},
      {"demo.gdfs", Reader::Gdfs, gdfs.form(".gdfs")},
      {"demo.gdf", Reader::Gdf, gdfs.form(".gdf")},
      {"small.img", Reader::Eeprom, kestrel::test::smallEepromImage()},
      {"records.img", Reader::Eeprom, eepromImage()},
      {"utf8.vcf", Reader::Vcard, utf8},
      {"cp1251.vcf", Reader::Vcard, cp1251},
      {"two-files.vcf", Reader::Vcard, utf8 + std::string(2, '\0') + cp1251},
  };
}

bool write(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::cerr << "make-fuzz-seeds: cannot write " << path << '\n';
    return false;
  }
  return true;
}

// The target a seed feeds alone, and the prefix of the selector byte it then needs.
struct Target {
  std::string_view name;
  std::string prefix;
};

Target readerTarget(Reader reader) {
  switch (reader) {
    case Reader::Pm:
      return {"fuzz_pm_loader", ""};
    case Reader::Bin:
      return {"fuzz_gdfs_reader", std::string(1, '\0')};
    case Reader::Gdfs:
      return {"fuzz_gdfs_reader", "\x01"};
    case Reader::Gdf:
      return {"fuzz_gdfs_reader", "\x02"};
    case Reader::Eeprom:
      return {"fuzz_eeprom_reader", ""};
    default:
      return {"fuzz_vcard_reader", ""};
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make-fuzz-seeds DIR\n";
    return 2;
  }
  const fs::path dir = argv[1];
  bool ok = true;
  for (const std::string_view target : {"fuzz_pm_loader", "fuzz_gdfs_reader", "fuzz_eeprom_reader",
                                        "fuzz_vcard_reader", "fuzz_writers"})
    fs::create_directories(dir / target);
  for (const Seed& seed : seeds()) {
    const Target alone = readerTarget(seed.reader);
    ok = write(dir / alone.name / seed.name, alone.prefix + seed.bytes) && ok;
    // The writers' target chooses the reader by its first byte.
    ok = write(dir / "fuzz_writers" / seed.name,
               std::string(1, static_cast<char>(seed.reader)) + seed.bytes) &&
         ok;
  }
  return ok ? 0 : 1;
}
