#include "open/FileKind.h"

#include <array>

#include "core/Cp1251.h"
#include "readers/eeprom/EepromReader.h"
#include "readers/gdfs/GdfsReader.h"
#include "readers/pm/PmLoader.h"
#include "readers/vcard/VcardReader.h"

namespace kestrel {

namespace {

using enum CommandChange;

constexpr std::array<std::string_view, 1> kPmEndings = {".pm*"};
constexpr std::array<std::string_view, 3> kGdfsEndings = {".bin", ".gdfs", ".gdf"};
constexpr std::array<std::string_view, 1> kVcfEndings = {".vcf"};

const std::array<FileKindEntry, 4> kKinds = {{
    {.kind = FileKind::Pm,
     .name = "pm",
     .nameEndings = kPmEndings,
     .dialogCaption = "PM",
     .dialogFilter = "*.pm*",
     .multipleFiles = false,
     .sectionsPage = true,
     .read = pm::readDump,
     .failureMessage = "Неверный формат файла"_cp,
     .atStart = {.savePm = Enable},
     .afterSuccess = {.data = EnableWhenFound},
     .afterFailure = {.data = Disable, .savePm = Disable}},
    {.kind = FileKind::Gdfs,
     .name = "gdfs",
     .nameEndings = kGdfsEndings,
     .dialogCaption = "GDFS",
     .dialogFilter = "*.bin*;*.gdfs*;*.gdf*",
     .multipleFiles = false,
     .sectionsPage = false,
     .read = gdfs::readDump,
     .failureMessage = "Неизвестный формат файла"_cp,
     .atStart = {},
     // What was read before a failure is decoded and offered all the same.
     .afterSuccess = {.data = Enable},
     .afterFailure = {.data = Enable}},
    {.kind = FileKind::Eeprom,
     .name = "eeprom",
     .nameEndings = {},
     .dialogCaption = "EEPROM",
     // Any file may be an EEPROM image.
     .dialogFilter = "*",
     .multipleFiles = false,
     .sectionsPage = true,
     .read = eeprom::readDump,
     .failureMessage = {},
     .atStart = {},
     .afterSuccess = {},
     .afterFailure = {}},
    {.kind = FileKind::Vcf,
     .name = "vcf",
     .nameEndings = kVcfEndings,
     .dialogCaption = "VCF",
     .dialogFilter = "*.vcf*",
     .multipleFiles = true,
     .sectionsPage = false,
     .read = vcard::readFile,
     // The import fails silently: what was read stays, the commands keep their state.
     .failureMessage = {},
     .atStart = {},
     .afterSuccess = {.data = Enable},
     .afterFailure = {}},
}};

bool nameHasEnding(std::string_view fileName, std::string_view ending) {
  if (ending.ends_with('*')) {
    ending.remove_suffix(1);
    const std::size_t slash = fileName.find_last_of('/');
    const std::string_view base =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = base.find_last_of('.');
    return dot != std::string_view::npos && base.substr(dot).starts_with(ending);
  }
  return fileName.ends_with(ending);
}

}  // namespace

std::span<const FileKindEntry> fileKinds() {
  return kKinds;
}

const FileKindEntry& fileKindEntry(FileKind kind) {
  return kKinds[static_cast<std::size_t>(kind)];
}

std::optional<FileKind> fileKindOfName(std::string_view fileName) {
  for (const FileKindEntry& entry : kKinds) {
    for (const std::string_view ending : entry.nameEndings) {
      if (nameHasEnding(fileName, ending)) return entry.kind;
    }
  }
  return std::nullopt;
}

std::string_view fileKindName(FileKind kind) {
  return fileKindEntry(kind).name;
}

std::optional<FileKind> fileKindNamed(std::string_view name) {
  for (const FileKindEntry& entry : kKinds) {
    if (entry.name == name) return entry.kind;
  }
  return std::nullopt;
}

}  // namespace kestrel
