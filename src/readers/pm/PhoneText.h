#pragma once
// The phone's text and number encodings, shared by the PM and GDFS decoders.
//
// Phone text stores a character as a low and a high byte, in either byte order: high byte 0 is
// Latin-1, high byte 4 the Cyrillic block of Unicode. Nothing is read outside the record: a text
// or digit run that reaches past the record's end is cut there first and then decoded as usual.

#include <cstddef>
#include <string>

#include "core/Bytes.h"

namespace kestrel::pm {

// Appends the n bytes of two-byte text at `start` as windows-1251 text, untrimmed. The last byte
// decides the byte order (4 or less: little-endian). Every position is looked at, so positions that
// straddle two characters see a high byte of 0 or 4 as their low byte and are skipped; in
// little-endian order the first position takes the byte before `start` as its low byte (0 when
// that lies before the record).
void appendWideText(std::string& out, ByteView record, std::ptrdiff_t start, std::ptrdiff_t n);

// A text read by readPhoneText, and the form it was read in: one byte per character or two, so
// that a caller walking fields knows whether the text took n/2 or n bytes.
struct PhoneText {
  std::string text;
  bool singleByte = false;
};

// A name of n bytes in two-byte text, or of n/2 bytes in one byte per character when its first
// two bytes are both above 5 (or n is 1). Trimmed of characters of code 32 or less at both
// ends.
PhoneText readPhoneText(ByteView record, std::ptrdiff_t start, std::ptrdiff_t n);

// readPhoneText appending to `out` (trimming only what it appends); true when the text was read
// one byte per character.
bool appendPhoneText(std::string& out, ByteView record, std::ptrdiff_t start, std::ptrdiff_t n);

// Appends the phone number of the field that starts at fieldPos: digits packed two per byte at
// the end of the payload, preceded by a byte that holds their count.
void appendNumber(std::string& out, ByteView record, std::ptrdiff_t fieldPos);

}  // namespace kestrel::pm
