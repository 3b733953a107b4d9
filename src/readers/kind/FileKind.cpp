#include "readers/kind/FileKind.h"

#include <array>
#include <utility>

#include "readers/gdfs/GdfsReader.h"

namespace kestrel {

namespace {

constexpr std::array<std::pair<FileKind, std::string_view>, 4> kNames = {{
    {FileKind::Pm, "pm"},
    {FileKind::Gdfs, "gdfs"},
    {FileKind::Eeprom, "eeprom"},
    {FileKind::Vcf, "vcf"},
}};

}  // namespace

std::optional<FileKind> fileKindOfName(std::string_view fileName) {
  const std::size_t slash = fileName.find_last_of('/');
  const std::string_view base =
      slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
  const std::size_t dot = base.find_last_of('.');
  const std::string_view ending = dot == std::string_view::npos ? "" : base.substr(dot);
  if (ending == ".vcf") return FileKind::Vcf;
  if (gdfs::formOfName(fileName) != gdfs::Form::None) return FileKind::Gdfs;
  if (ending.starts_with(".pm")) return FileKind::Pm;
  return std::nullopt;
}

std::string_view fileKindName(FileKind kind) {
  for (const auto& [k, name] : kNames) {
    if (k == kind) return name;
  }
  return {};
}

std::optional<FileKind> fileKindNamed(std::string_view name) {
  for (const auto& [k, known] : kNames) {
    if (known == name) return k;
  }
  return std::nullopt;
}

}  // namespace kestrel
