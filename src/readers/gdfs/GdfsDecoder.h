#pragma once
// Decoding a GDFS block model into the document's tables: phone information rows, contacts,
// calls, notes and events, and three summary rows.

#include <cstddef>
#include <string>

#include "core/Bytes.h"
#include "core/Document.h"

namespace kestrel::gdfs {

// Walks every record of the block model once and adds the rows it describes, then the summary
// rows "Записная книжка", "Звонки" and "Заметки". Leaves the block model as read.
void decodeContents(DocumentData& doc);

// Every byte of the record as a character, a zero byte as a space; not trimmed.
std::string recordText(ByteView record);

// The count bytes from start on by the same rule, cut at the record's end.
std::string plainText(ByteView record, std::ptrdiff_t start, std::ptrdiff_t count);
void appendPlainText(std::string& out, ByteView record, std::ptrdiff_t start, std::ptrdiff_t count);

// Appends the phone number of a number field whose subtype byte is at s: the digit count at
// s - 3, the digit bytes from s + 1, each giving its low and then its high nibble.
void appendDigits(std::string& out, ByteView record, std::ptrdiff_t s);

}  // namespace kestrel::gdfs
