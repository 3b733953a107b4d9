#include "core/ProgramCommand.h"

namespace kestrel {
namespace {

constexpr std::string_view kSpaces = " \t\r";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(kSpaces);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
}

// Calls `onKey(key, value)` for every key of the group `group` of a desktop-style key file.
template <typename OnKey>
void forEachKeyOf(std::string_view file, std::string_view group, OnKey onKey) {
  bool inGroup = false;
  while (!file.empty()) {
    const auto end = file.find('\n');
    const std::string_view line = trimmed(file.substr(0, end));
    file = end == std::string_view::npos ? std::string_view{} : file.substr(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inGroup = line == "[" + std::string(group) + "]";
      continue;
    }
    const auto equals = line.find('=');
    if (!inGroup || equals == std::string_view::npos) continue;
    onKey(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
  }
}

// A string value of a desktop entry with its escapes \s \n \t \r \\ replaced; the quoting of
// Exec arguments is a second layer, read after this one.
std::string unescapedValue(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += '\\';
        out += value[i];
    }
  }
  return out;
}

}  // namespace

std::string programOfCommand(std::string_view command) {
  const auto open = command.find('"');
  const std::string_view afterOpen =
      open == std::string_view::npos ? command : command.substr(open + 1);
  const auto close = afterOpen.find('"');
  if (close == std::string_view::npos) return {};
  return std::string(afterOpen.substr(0, close));
}

std::string commandOfDesktopEntry(std::string_view entry) {
  std::string exec;
  bool found = false;
  forEachKeyOf(entry, "Desktop Entry", [&](std::string_view key, std::string_view value) {
    if (key != "Exec" || found) return;
    exec = unescapedValue(value);
    found = true;
  });
  const std::string_view line = trimmed(exec);
  if (line.empty()) return {};

  // The program is the first argument: a quoted one ends at its closing quote and may hold
  // spaces and the escapes \" \` \$ \\; a plain one ends at the first space.
  std::string program;
  std::size_t i = 0;
  if (line.front() == '"') {
    for (i = 1; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      program += line[i];
    }
    if (i < line.size()) ++i;
  } else {
    while (i < line.size() && kSpaces.find(line[i]) == std::string_view::npos)
      program += line[i++];
  }
  if (program.empty()) return {};
  return '"' + program + '"' + std::string(line.substr(i));
}

std::vector<std::string> defaultApplicationsOf(std::string_view mimeAppsList,
                                               std::string_view mimeType) {
  std::vector<std::string> ids;
  forEachKeyOf(
      mimeAppsList, "Default Applications", [&](std::string_view key, std::string_view value) {
        if (key != mimeType || !ids.empty()) return;
        while (!value.empty()) {
          const auto end = value.find(';');
          const std::string_view id = trimmed(value.substr(0, end));
          if (!id.empty()) ids.emplace_back(id);
          value = end == std::string_view::npos ? std::string_view{} : value.substr(end + 1);
        }
      });
  return ids;
}

}  // namespace kestrel
