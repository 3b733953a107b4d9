#pragma once
// The formats "Сохранить" writes, in the order of the save dialog's file types: the one list the
// dialog's filter, kestrel-cli's --format and the README's list are made from. A new format is
// its writer and one entry in ExportFormats.cpp.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/Document.h"
#include "export/TableChoice.h"

namespace kestrel::output {

// Writes the document to `target` (the chosen name with the format's ending). Returns the message
// to show when there is one; throws IoError when a file cannot be written.
using ExportWriter = std::optional<std::string> (*)(const Document& doc, TableChoice choice,
                                                    const std::string& target);

struct ExportFormat {
  std::string_view caption;  // the file type in the save dialog (it may name its pattern)
  std::string_view pattern;  // its file pattern there
  // ".txt", added to a chosen name that does not end with it already; empty for a format that
  // writes a new folder under the name as chosen.
  std::string_view ending;
  // Whether the tables ticked in the selection dialog decide what is written; the other formats
  // write what they always write, whatever is ticked.
  bool usesTableChoice;
  ExportWriter write;
};

// Every format, in the save dialog's order: the filter index of formats()[i] is i + 1.
std::span<const ExportFormat> exportFormats();

// The format of a 1-based filter index, or nothing for an index outside the list.
const ExportFormat* exportFormatOf(int filterIndex);

// The save dialog's file types, in the platform's "caption|pattern|caption|pattern" form.
const std::string& saveFilter();

// The name a format writes for the chosen name.
std::string targetName(const ExportFormat& format, const std::string& chosen);

}  // namespace kestrel::output
