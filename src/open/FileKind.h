#pragma once
// The kinds of file the program opens, and per kind everything an open needs: how the
// command-line tool and the recent files name it, how a file name tells it, the open dialog's
// caption and filter, its reader, and what the open shows and enables when the reader succeeds or
// fails. A new kind is a reader of its own and one entry here.

#include <optional>
#include <span>
#include <string_view>

#include "core/Document.h"
#include "readers/input/ReaderInput.h"

namespace kestrel {

enum class FileKind { Pm, Gdfs, Eeprom, Vcf };

// Reads one file into the document: fills its data, and returns whether the file held any data
// the tables show. Throws FormatError (and IoError from the input), keeping what was filled.
using FileReader = bool (*)(DocumentData& doc, ReaderInput& input);

// What an open does to a command's enabled state.
enum class CommandChange {
  Keep,
  Enable,
  Disable,
  EnableWhenFound,  // enabled when the reader found data, disabled otherwise
};

// "Экспорт в Excel" with "Сохранить", and "Сохранение PM".
struct CommandChanges {
  CommandChange data = CommandChange::Keep;
  CommandChange savePm = CommandChange::Keep;
};

struct FileKindEntry {
  FileKind kind;
  // The name given to --kind and kept in the recent files.
  std::string_view name;
  // The endings of the names of files of this kind, compared with their letter case: ".gdf"
  // when the name ends so, ".pm*" when the name's last ending begins with ".pm". Empty for a
  // kind no name tells.
  std::span<const std::string_view> nameEndings;
  // The open dialog: "PM" and "*.pm*" make the filter "PM|*.pm*".
  std::string_view dialogCaption;
  std::string_view dialogFilter;
  // Several files chosen together open into one document.
  bool multipleFiles;
  // The document window shows its raw-section page.
  bool sectionsPage;
  FileReader read;
  // Shown when the reader meets a format error; empty: such a file is passed over in silence. A
  // file that cannot be read at all is told by its name and the system's reason instead (see
  // DocumentView::showFileError).
  std::string_view failureMessage;
  // The enabled commands before reading, after a read of every file, after a failure.
  CommandChanges atStart;
  CommandChanges afterSuccess;
  CommandChanges afterFailure;
};

// Every kind, in the order of the enumeration.
std::span<const FileKindEntry> fileKinds();
const FileKindEntry& fileKindEntry(FileKind kind);

// The kind a file's name tells; an EEPROM image has no ending of its own and is never told by
// its name.
std::optional<FileKind> fileKindOfName(std::string_view fileName);

// "pm", "gdfs", "eeprom" or "vcf", and back.
std::string_view fileKindName(FileKind kind);
std::optional<FileKind> fileKindNamed(std::string_view name);

}  // namespace kestrel
