#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

// Reads a whole file. Throws IoError with the file name and the system's reason.
std::vector<std::uint8_t> readWholeFile(const std::string& fileName);

// Writes a file completely or not at all: the bytes go to a temporary file beside it, which
// then replaces the target. Throws IoError with the file name and the system's reason.
void writeWholeFile(const std::string& fileName, std::string_view bytes);

}  // namespace kestrel
