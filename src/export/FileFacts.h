#pragma once
// What identifies a file for someone the results are handed to: its name, size, modification
// time and the SHA-256 and MD5 digests of its bytes.

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "core/Digests.h"
#include "core/Document.h"

namespace kestrel::output {

struct FileFacts {
  std::string name;  // as the document holds it (the system's bytes)
  std::uint64_t size = 0;
  std::time_t modified = 0;
  std::string sha256;  // lower-case hexadecimal
  std::string md5;
};

// Reads the file once, in pieces. Throws IoError with the file name and the system's reason.
FileFacts factsOf(const std::string& fileName);

// The digests of bytes in memory, lower-case hexadecimal.
std::string sha256Hex(std::string_view bytes);
std::string md5Hex(std::string_view bytes);

// What a report says of a source file, as (caption, value) pairs in UTF-8, the name aside: its
// size and digests as the reader read it and when, and whether the file is still the same now
// (read again for the purpose). A file whose digests were not taken at the open (it was not read
// to its end) shows the digests it has now, and says so.
inline constexpr std::array<std::string_view, 6> kSourceFileCaptions = {
    "Размер, байт", "Изменён", "SHA-256", "MD5", "Прочитан", "Сейчас"};
struct SourceFileLine {
  std::string caption;
  std::string value;
};
std::vector<SourceFileLine> sourceFileLines(const std::string& fileName,
                                            const SourceDigest& atOpen);

// The digests of the document's source file k as the reader took them; none (not whole) for a
// document that was not opened from files.
SourceDigest digestAtOpen(const DocumentData& doc, std::size_t k);

// "yyyy-mm-dd hh:mm:ss" in the local time zone.
std::string localTimeText(std::time_t time);

}  // namespace kestrel::output
