#include "cli/BatchIndex.h"

#include <filesystem>
#include <map>
#include <set>

#include "core/Cp1251.h"
#include "core/Version.h"
#include "export/HtmlReport.h"

namespace kestrel::cli {

namespace {

namespace fs = std::filesystem;

// The folders a path lies in, the nearest last, as the file system reaches it.
std::vector<std::string> foldersOf(const std::string& file) {
  std::error_code ec;
  fs::path path = fs::absolute(fs::path(file), ec);
  if (ec) path = fs::path(file);
  std::vector<std::string> folders;
  for (const fs::path& part : path.lexically_normal().parent_path().relative_path())
    if (!part.empty()) folders.push_back(part.string());
  return folders;
}

std::string nameWith(const std::vector<std::string>& folders, std::size_t depth,
                     const std::string& name) {
  std::string joined;
  for (std::size_t k = folders.size() - depth; k < folders.size(); ++k)
    joined += folders[k] + "_";
  return joined + name;
}

// A UTF-8 text (or a path of the system's bytes) as HTML text.
std::string utf8Html(const std::string& text) {
  return output::htmlText(fromUtf8(text).value_or(text));
}

// A report name as a link: every byte but letters, digits and "-._~" written as %XX.
std::string hrefOf(const std::string& name) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string href;
  for (const char c : name) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~') {
      href += c;
    } else {
      href += '%';
      href += kHex[b >> 4];
      href += kHex[b & 0x0F];
    }
  }
  return href;
}

}  // namespace

std::vector<std::string> reportNames(const std::vector<std::string>& files) {
  const std::size_t n = files.size();
  std::vector<std::string> base(n);
  std::vector<std::vector<std::string>> folders(n);
  std::vector<std::size_t> depth(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    base[i] = fs::path(files[i]).filename().string();
    folders[i] = foldersOf(files[i]);
  }
  // Where a file lies: one file given twice is told apart by a number, not by its folders.
  const auto place = [&](std::size_t i) {
    std::string joined;
    for (const std::string& folder : folders[i])
      joined += folder + '/';
    return joined + base[i];
  };
  const auto names = [&] {
    std::vector<std::string> list(n);
    for (std::size_t i = 0; i < n; ++i)
      list[i] = nameWith(folders[i], depth[i], base[i]);
    return list;
  };
  // One folder more for every file whose name is still shared, while any has one more to give.
  for (bool deeper = true; deeper;) {
    deeper = false;
    const std::vector<std::string> list = names();
    std::map<std::string, std::set<std::string>> places;
    for (std::size_t i = 0; i < n; ++i)
      places[list[i]].insert(place(i));
    for (std::size_t i = 0; i < n; ++i) {
      if (places[list[i]].size() > 1 && depth[i] < folders[i].size()) {
        ++depth[i];
        deeper = true;
      }
    }
  }
  std::vector<std::string> result;
  std::set<std::string> taken = {std::string(kIndexName)};
  for (const std::string& name : names()) {
    std::string report = name + ".html";
    for (int k = 2; taken.contains(report); ++k)
      report = name + "_" + std::to_string(k) + ".html";
    taken.insert(report);
    result.push_back(report);
  }
  return result;
}

std::string batchIndexHtml(const std::vector<BatchEntry>& entries) {
  std::string html;
  const auto line = [&](std::string_view text) {
    html += text;
    html += "\r\n";
  };
  line("<!DOCTYPE html>");
  line("<html lang=\"ru\"><head><meta charset=\"utf-8\"><title>Kestrel: файлы</title>");
  line(
      "<style>body{font-family:sans-serif;font-size:10pt;margin:1.5em}"
      "table{border-collapse:collapse}th,td{border:1px solid #777;padding:2px 6px;"
      "text-align:left;vertical-align:top}th{background:#e8e8e8}td.digest{font-family:monospace}"
      "tr.failed td{background:#fbe3e3}</style></head><body>");
  line("<h1>Файлы</h1>");
  std::size_t failed = 0;
  for (const BatchEntry& e : entries)
    failed += e.failure.empty() ? 0 : 1;
  line("<p>Файлов: " + std::to_string(entries.size()) +
       ", отчётов: " + std::to_string(entries.size() - failed) +
       ", не прочитано: " + std::to_string(failed) + "</p>");
  line("<table>");
  line(output::htmlTableRow({"Файл", "Тип", "Размер, байт", "SHA-256", "Информация", "Зап. книжка",
                             "Вызовы", "Календарь", "Сообщения", "Отчёт"},
                            "th"));
  for (const BatchEntry& e : entries) {
    std::string messages;
    for (const std::string& m : e.messages)
      messages += (messages.empty() ? "" : "<br>") + output::htmlText(m);
    std::string report;
    if (e.failure.empty())
      report = "<a href=\"" + hrefOf(e.report) + "\">" + utf8Html(e.report) + "</a>";
    else
      report = "не записан: " + utf8Html(e.failure);
    std::string row = e.failure.empty() ? "<tr class=\"done\">" : "<tr class=\"failed\">";
    row += "<td>" + utf8Html(e.file) + "</td><td>" + output::htmlText(e.kind) + "</td><td>" +
           (e.size ? std::to_string(*e.size) : std::string()) + "</td><td class=\"digest\">" +
           e.sha256 + "</td>";
    for (std::size_t t = 0; t < 4; ++t)
      row += "<td>" + (e.rows ? std::to_string((*e.rows)[t]) : std::string()) + "</td>";
    row += "<td>" + messages + "</td><td>" + report + "</td></tr>";
    line(row);
  }
  line("</table>");
  line("<p>" + std::string(kProgramName) + " " + std::string(kProgramVersion) + "</p>");
  line("</body></html>");
  return html;
}

}  // namespace kestrel::cli
