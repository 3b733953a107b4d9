#include "export/HtmlReport.h"

#include <exception>
#include <vector>

#include "core/Cp1251.h"
#include "core/Version.h"
#include "export/FileFacts.h"
#include "export/LineFile.h"
#include "export/OverviewReport.h"

namespace kestrel::output {

namespace {

constexpr std::string_view kStyle =
    "body{font-family:sans-serif;font-size:10pt;margin:1.5em;color:#000}"
    "h1{font-size:16pt}h2{font-size:12pt;margin-top:1.5em}"
    "table{border-collapse:collapse;margin-bottom:1em}"
    "th,td{border:1px solid #777;padding:2px 6px;text-align:left;vertical-align:top}"
    "th{background:#e8e8e8}td.digest{font-family:monospace}"
    "@media print{body{margin:0}tr{page-break-inside:avoid}}";

std::string utf8Html(std::string_view utf8) {
  std::string html;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    switch (c) {
      case '&':
        html += "&amp;";
        break;
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\'':
        html += "&#39;";
        break;
      case '\r':
        if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        html += "<br>";
        break;
      case '\n':
        html += "<br>";
        break;
      case '\t':
        html += c;
        break;
      default:
        // HTML has no place for the other control characters (a NUL, ESC, BEL, the C1
        // controls): they are left out.
        if (const std::size_t n = utf8ControlLength(utf8, i); n > 0) {
          i += n - 1;
        } else {
          html += c;
        }
    }
  }
  return html;
}

// A text of the system (a file name, an error) as HTML: UTF-8 when it is, else windows-1251.
std::string systemHtml(const std::string& text) {
  return fromUtf8(text) ? utf8Html(text) : htmlText(text);
}

void writeTable(const ResultTable& table, std::string_view caption,
                const std::function<void(std::string_view)>& line) {
  line("<h2>" + htmlText(caption) + "</h2>");
  line("<table>");
  std::vector<std::size_t> shown;
  std::vector<std::string> cells;
  for (std::size_t c = 0; c < table.columnCount(); ++c) {
    if (table.columnWidth(c) <= 0) continue;
    shown.push_back(c);
    cells.push_back(htmlText(table.columnCaption(c)));
  }
  line(htmlTableRow(cells, "th"));
  for (std::size_t r = 0; r < table.rowCount(); ++r) {
    cells.clear();
    for (const std::size_t c : shown)
      cells.push_back(htmlText(table.cell(r, c)));
    line(htmlTableRow(cells, "td"));
  }
  line("</table>");
}

}  // namespace

std::string htmlText(std::string_view cp1251Text) {
  return utf8Html(toUtf8(cp1251Text));
}

std::string htmlTableRow(const std::vector<std::string>& cells, std::string_view tag) {
  std::string html = "<tr>";
  for (const std::string& cell : cells) {
    html.append("<").append(tag).append(">").append(cell);
    html.append("</").append(tag).append(">");
  }
  return html + "</tr>";
}

void forEachHtmlReportLine(const Document& doc, TableChoice choice, std::time_t madeAt,
                           const std::function<void(std::string_view)>& line) {
  const std::string program = std::string(kProgramName) + " " + std::string(kProgramVersion);
  line("<!DOCTYPE html>");
  line("<html lang=\"ru\">");
  line("<head>");
  line("<meta charset=\"utf-8\">");
  line("<title>" + utf8Html(program) + " — " + htmlText(doc.caption) + "</title>");
  line("<style>" + std::string(kStyle) + "</style>");
  line("</head>");
  line("<body>");
  line("<h1>" + utf8Html(program) + "</h1>");
  line("<p>Отчёт составлен: " + localTimeText(madeAt) + "</p>");

  line("<h2>Исходные файлы</h2>");
  line("<table>");
  // The digests are those of the bytes read at the open; the file is read again to tell whether
  // it is still the same.
  std::vector<std::string> captions = {"Файл"};
  for (const std::string_view caption : kSourceFileCaptions)
    captions.emplace_back(caption);
  line(htmlTableRow(captions, "th"));
  for (std::size_t k = 0; k < doc.sourceFiles.size(); ++k) {
    std::string cells = "<tr><td>" + systemHtml(doc.sourceFiles[k]) + "</td>";
    for (const SourceFileLine& fact : sourceFileLines(doc.sourceFiles[k], digestAtOpen(doc, k))) {
      const bool digest = fact.caption == "SHA-256" || fact.caption == "MD5";
      cells += (digest ? "<td class=\"digest\">" : "<td>") + systemHtml(fact.value) + "</td>";
    }
    line(cells + "</tr>");
  }
  line("</table>");

  writeTable(doc.information, "Информация"_cp, line);
  if (hasOverviewSection(doc, choice)) forEachOverviewLine(doc, buildOverview(doc), choice, line);
  if (choice.phonebook) writeTable(doc.phonebook, "Записная книжка"_cp, line);
  if (choice.calls) writeTable(doc.calls, "Вызовы"_cp, line);
  if (choice.calendar) writeTable(doc.calendar, "Календарь"_cp, line);
  line("</body>");
  line("</html>");
}

void writeHtmlReport(const Document& doc, TableChoice choice, const std::string& fileName) {
  writeLineFile(fileName, doc.sourceFiles, [&](const auto& line) {
    forEachHtmlReportLine(doc, choice, std::time(nullptr), line);
  });
}

}  // namespace kestrel::output
