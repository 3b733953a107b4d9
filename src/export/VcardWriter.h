#pragma once
// One vCard 2.1 card per phonebook row for the folders, and one file of vCard 3.0 cards for
// today's address books.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "core/Cp1251.h"
#include "core/Document.h"
#include "core/ResultTable.h"

namespace kestrel::output {

enum class VcardCharset { Utf8, Cp1251 };

// Shown when the folder of cards cannot be made.
inline constexpr std::string_view kDirectoryWarning = "Ошибка при создании директории"_cp;

// The property prefixes of the five number places and the three e-mail places of a card: the
// type follows the position of the number in the cell, not the number.
inline constexpr std::array<std::string_view, 5> kPhoneSlots = {
    "TEL;WORK;VOICE:", "TEL;WORK;VOICE:", "TEL;HOME;VOICE:", "TEL;HOME;VOICE:", "TEL;CELL;VOICE:"};
inline constexpr std::array<std::string_view, 3> kEmailSlots = {
    "EMAIL;PREF;INTERNET:", "EMAIL;INTERNET:", "EMAIL;INTERNET:"};
// Pieces beyond the slots still get a line of their own.
inline constexpr std::string_view kExtraPhonePrefix = "TEL;VOICE:";
inline constexpr std::string_view kExtraEmailPrefix = "EMAIL;INTERNET:";

// A cell cut at every single space; doubled, leading and trailing spaces give empty pieces.
std::vector<std::string> splitPieces(std::string_view cell);

// "dd.mm.yyyy" → "yyyymmdd": characters 7–10, 4–5 and 1–2, as far as the text reaches.
std::string birthdayValue(std::string_view cell);

// The lines of the card of one phonebook row (without line ends), in the charset's bytes.
std::vector<std::string> vcardLines(const ResultTable::Row& row, VcardCharset charset);

// One card per phonebook row, "1.vcf", "2.vcf"…, in the new folder `folder`; the folder appears
// with every card or not at all, and not at all for an empty phonebook. Returns the warning
// when the folder cannot be made (it exists, or the folder it would go in does not).
std::optional<std::string> writeVcardFolder(const Document& doc, const std::string& folder,
                                            VcardCharset charset);

// The vCard 3.0 card of one phonebook row (UTF-8, every TEXT value escaped, lines unfolded and
// without line ends): FN and N, a TEL;TYPE=VOICE per number (the dump does not tell a number's
// kind), EMAIL;TYPE=INTERNET, BDAY of a real day, ORG, TITLE, NICKNAME, NOTE, URL, ADR,
// CATEGORIES for the group, X-PTT, and the UID given.
std::vector<std::string> vcard3Lines(const ResultTable::Row& row, std::string_view uid);

// Every phonebook row as a vCard 3.0 card, in row order, in one file, lines folded at 75 octets;
// the UIDs are stable across exports of the same document.
void writeVcardFile(const Document& doc, const std::string& fileName);

}  // namespace kestrel::output
