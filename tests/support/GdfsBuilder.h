#pragma once
// GDFS dumps for tests and samples: one list of records written in each container form, and
// the bytes of the content records the decoder reads.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel::test {

using Bytes = std::vector<std::uint8_t>;

struct GdfsRecord {
  int block;
  int number;
  Bytes bytes;
};

// GdfsBuilder().record(14, 22, {...}).record(20, 0, contact).bin()
class GdfsBuilder {
 public:
  GdfsBuilder& record(int block, int number, Bytes bytes);
  // Text forms write hexadecimal digits in lower case.
  GdfsBuilder& lowerCaseDigits();
  const std::vector<GdfsRecord>& records() const { return records_; }

  // A 4-byte file header, then per record an entry of a 7-byte header and the payload.
  std::string bin() const;
  // "[GDFS]", then per record a line "Gdfs=0000:BBRR:" and the bytes as bare digit pairs.
  std::string gdfs() const;
  // "[VERSION]" section, then a "[DATA]" section with a line "BBRR= " per record, each byte
  // written as a digit pair and a space. Lines end with CR LF.
  std::string gdf() const;
  // The form that the file name ending ".bin", ".gdfs" or ".gdf" selects.
  std::string form(std::string_view ending) const;

  // The three endings, for tests that run the same records through every form.
  static const std::vector<std::string>& endings();

 private:
  std::string hex(std::uint8_t b) const;
  std::vector<GdfsRecord> records_;
  bool lowerCase_ = false;
};

// Bytes of the records of blocks 15 to 39 and of their fields.
namespace gdfs_bytes {

// Phone text, two bytes per character, low byte first.
Bytes utf16le(std::u16string_view text);

// A field: count, 0, kind, subtype, content.
Bytes field(std::uint8_t count, std::uint8_t kind, std::uint8_t subtype, const Bytes& content);
// A phone number field (kind 1) of the characters 0-9 * # C D E F, two per byte, low nibble
// first; an odd count is filled with a high nibble F.
Bytes numberField(std::string_view digits, std::uint8_t subtype = 0);
// A two-byte text field (kind 2).
Bytes textField(std::u16string_view text, std::uint8_t subtype = 0);
// An 8-bit text field (kind 6).
Bytes plainField(std::string_view text, std::uint8_t subtype = 0);
// A birthday group: day, month, year (1792..2047) as 16 bits.
Bytes birthday(int day, int month, int year);
// Unsigned 32-bit little-endian seconds.
Bytes timestamp(std::uint32_t seconds);

Bytes concat(const std::vector<Bytes>& parts);

// Type 10: direction at 6, timestamp at 7, the fields from 12 (number fields: subtype 0x20).
Bytes call(std::uint8_t direction, std::uint32_t time, const std::vector<Bytes>& fields);
// Type 18: character count at 14, the text at 18, then the timestamp.
Bytes note(const Bytes& text, std::uint8_t count, std::uint32_t time);
// Type 6: character count at 11, the text at 15, then the timestamp.
Bytes event(const Bytes& text, std::uint8_t count, std::uint32_t time);
// Type 5: text fields from 12, the timestamp right after the second-to-last one.
Bytes eventWithTexts(const std::vector<std::u16string>& texts, std::uint32_t time);
// Type 7: presence bytes 11, 12 and 13, the fields from 14 (byte 2 = 2).
Bytes contact(std::uint8_t presence11, std::uint8_t presence12, std::uint8_t presence13,
              const std::vector<Bytes>& fields);

}  // namespace gdfs_bytes

// The demo dump of samples/: phone information, contacts, calls, notes and events.
GdfsBuilder demoDump();

}  // namespace kestrel::test
