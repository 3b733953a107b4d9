#pragma once
// The kind of dump a file holds, told by its name: what the command-line tool and the desktop
// program's file arguments and drops decide when no open command was chosen.

#include <optional>
#include <string_view>

namespace kestrel {

enum class FileKind { Pm, Gdfs, Eeprom, Vcf };

// ".vcf" is a vCard file, the GDFS endings a GDFS dump, an ending that begins with ".pm" a PM
// dump; endings are compared with their letter case. An EEPROM image has no ending of its own
// and is never told by its name.
std::optional<FileKind> fileKindOfName(std::string_view fileName);

// "pm", "gdfs", "eeprom" or "vcf", and back.
std::string_view fileKindName(FileKind kind);
std::optional<FileKind> fileKindNamed(std::string_view name);

}  // namespace kestrel
