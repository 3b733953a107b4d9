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

std::string execOfDesktopEntry(std::string_view entry) {
  std::string exec;
  bool found = false;
  forEachKeyOf(entry, "Desktop Entry", [&](std::string_view key, std::string_view value) {
    if (key != "Exec" || found) return;
    exec = std::string(trimmed(unescapedValue(value)));
    found = true;
  });
  return exec;
}

std::vector<std::string> commandArguments(std::string_view exec, std::string_view address) {
  constexpr std::string_view kBlanks = " \t";
  constexpr std::string_view kQuotedEscapes = "\"`$\\";
  std::vector<std::string> arguments;
  bool addressGiven = false;
  std::size_t i = 0;
  for (;;) {
    while (i < exec.size() && kBlanks.find(exec[i]) != std::string_view::npos)
      ++i;
    if (i == exec.size()) break;
    std::string argument;
    bool keep = false;  // an argument left with nothing but dropped field codes is no argument
    bool holdsAddress = false;
    while (i < exec.size() && kBlanks.find(exec[i]) == std::string_view::npos) {
      const char c = exec[i++];
      if (c == '"') {
        // Field codes are not read inside quotes: the address never becomes part of a text
        // that a program such as a shell would read as code of its own.
        keep = true;
        for (;;) {
          if (i == exec.size()) return {};
          const char q = exec[i++];
          if (q == '"') break;
          if (q == '\\' && i < exec.size() &&
              kQuotedEscapes.find(exec[i]) != std::string_view::npos)
            argument += exec[i++];
          else
            argument += q;
        }
      } else if (c == '%' && i < exec.size()) {
        const char code = exec[i++];
        if (code == '%') {
          argument += '%';
          keep = true;
        } else if (code == 'u' || code == 'U' || code == 'f' || code == 'F') {
          argument += address;
          keep = true;
          holdsAddress = true;
        }
      } else {
        argument += c;
        keep = true;
      }
    }
    if (!keep) continue;
    // The program is named by the line itself, never by the address.
    if (arguments.empty() && (holdsAddress || argument.empty())) return {};
    addressGiven = addressGiven || holdsAddress;
    arguments.push_back(std::move(argument));
  }
  if (arguments.empty()) return {};
  if (!addressGiven) arguments.emplace_back(address);
  return arguments;
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
