#pragma once
// The vCard import: one or more vCard files into the phonebook of one document.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Document.h"
#include "readers/input/ReaderInput.h"

namespace kestrel::vcard {

// Kind codes of the recognised properties.
enum VcfKind {
  kVcfName = 1,
  kVcfFormalName = 2,
  kVcfOrganization = 3,
  kVcfTitle = 4,
  kVcfNote = 5,
  kVcfPhone = 6,
  kVcfAddress = 7,
  kVcfUrl = 8,
  kVcfEmail = 9,
  kVcfBirthday = 10,
  kVcfBegin = 11,
  kVcfVersion = 12,
  kVcfOther = 255
};

// The kind of a (logical) line by its property name: letter case and a group prefix ("item1.")
// do not matter; the name ends at the first ";" or ":".
int propertyKind(std::string_view line);

// The decoded value of a line as windows-1251 text: the text after the first ":", with ";"
// made a space, quoted-printable undone when the parameters say so, then kept as it is when
// the parameters mention "1251" and converted from UTF-8 otherwise (empty when malformed).
std::string propertyValue(std::string_view line);

// The logical lines of a file's bytes: lines end at CR, LF or CR LF, a NUL ends the text,
// folded lines (a leading space or tab) and quoted-printable soft breaks ("=" at the end) are
// joined.
std::vector<std::string> vcardLogicalLines(std::string_view bytes);
// The same lines handed on one at a time, so that a file is read without a copy of all its
// lines: each line is valid only during its call.
void forEachLogicalLine(std::string_view bytes, const std::function<void(std::string_view)>& visit);

// Appends one file's contents: two information rows, and a phonebook row for every card.
void addVcardFile(DocumentData& doc, std::string_view bytes);

// Reads one file into the document, a megabyte at a time: two information rows, and a
// phonebook row for every card. A file that cannot be opened adds nothing; one that fails while
// being read keeps the rows read before. Returns true; throws only IoError.
bool readFile(DocumentData& doc, ReaderInput& input);
// The same in pieces of the given size (more where a line is longer): only the line being read
// and one piece are held at once.
void readFileInPieces(DocumentData& doc, ReaderInput& input, std::size_t pieceBytes);

}  // namespace kestrel::vcard
