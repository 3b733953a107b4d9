#pragma once
// What identifies a file for someone the results are handed to: its name, size, modification
// time and the SHA-256 and MD5 digests of its bytes.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

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

// "yyyy-mm-dd hh:mm:ss" in the local time zone.
std::string localTimeText(std::time_t time);

}  // namespace kestrel::output
