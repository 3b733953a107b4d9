#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

// Reads a whole file. Throws IoError with the file name and the system's reason.
std::vector<std::uint8_t> readWholeFile(const std::string& fileName);

// Writes a file completely or not at all: the bytes go to a temporary file beside it, which then
// replaces the target, keeping its mode, owner and group. A symbolic link is followed and stays
// a link. A target with other hard links, or one in a folder that takes no new files, is
// rewritten in place instead, so that the links and the write survive.
//
// Never touches a file that is one of sourceFiles under any name, nor a file that may not be
// written. Throws IoError with the file name and the system's reason (or "is the file the
// document was read from").
void writeWholeFile(const std::string& fileName, std::string_view bytes,
                    std::span<const std::string> sourceFiles = {});

// Makes the new folder `folder` holding count files; fileAt(k) gives the name inside the folder
// and the bytes of file k. The folder appears complete or not at all. Returns false, having made
// nothing, when `folder` already exists or the folder it would go in does not. Throws IoError
// (or what fileAt throws) and leaves nothing behind on any other failure.
bool writeNewFolder(const std::string& folder, std::size_t count,
                    const std::function<std::pair<std::string, std::string>(std::size_t)>& fileAt);

namespace detail {
// Runs when a write's temporary file is complete and about to replace its target, so that a test
// can interrupt or fail a write at that point. Null (the program's setting) runs nothing.
void setBeforeReplaceHook(void (*hook)());
}  // namespace detail

}  // namespace kestrel
