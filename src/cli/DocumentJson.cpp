#include "cli/DocumentJson.h"

#include "core/Ascii.h"
#include "core/Cp1251.h"

namespace kestrel::cli {

namespace {

Json textList(const std::vector<std::string>& texts) {
  Json list = Json::array();
  for (const auto& t : texts)
    list.push_back(toUtf8(t));
  return list;
}

Json tableJson(const ResultTable& table) {
  Json columns = Json::array();
  for (const auto& c : table.columns()) {
    columns.push_back(Json{{"caption", toUtf8(c.caption)}, {"width", c.width}});
  }
  Json rows = Json::array();
  for (const auto& r : table.rows()) {
    Json row = Json::array();
    row.push_back(toUtf8(r.caption));
    for (const auto& cell : r.subItems)
      row.push_back(toUtf8(cell));
    rows.push_back(std::move(row));
  }
  return Json{{"columns", std::move(columns)}, {"rows", std::move(rows)}};
}

Json commandsJson(const Document& doc) {
  return Json{{"exportToExcel", doc.exportToExcelEnabled()},
              {"save", doc.saveEnabled()},
              {"savePm", doc.savePmEnabled()}};
}

}  // namespace

Json documentJson(const Document& doc, const std::vector<std::string>& messages) {
  Json blocks = Json::array();
  const BlockModel& m = doc.model;
  for (std::size_t g = 0; g < m.blocks.size(); ++g) {
    const Block& b = m.blocks[g];
    Json records = Json::array();
    for (std::size_t i = 0; i < b.records.size(); ++i) {
      records.push_back(Json{{"number", b.recordNumbers[i]},
                             {"mark", static_cast<bool>(b.recordMarks[i])},
                             {"hex", hexText(b.records[i].bytes)}});
    }
    blocks.push_back(Json{{"number", m.blockNumbers[g]},
                          {"mark", static_cast<bool>(m.blockMarks[g])},
                          {"records", std::move(records)}});
  }
  return Json{{"caption", toUtf8(doc.caption)},
              {"messages", textList(messages)},
              {"commands", commandsJson(doc)},
              {"tables", Json{{"information", tableJson(doc.information)},
                              {"phonebook", tableJson(doc.phonebook)},
                              {"calls", tableJson(doc.calls)},
                              {"calendar", tableJson(doc.calendar)}}},
              {"blockList", textList(doc.blockList())},
              {"memo", textList(doc.memo)},
              {"blocks", std::move(blocks)}};
}

Json summaryJson(const Document& doc, const std::vector<std::string>& messages) {
  return Json{{"caption", toUtf8(doc.caption)},
              {"messages", textList(messages)},
              {"commands", commandsJson(doc)},
              {"rows", Json{{"information", doc.information.rowCount()},
                            {"phonebook", doc.phonebook.rowCount()},
                            {"calls", doc.calls.rowCount()},
                            {"calendar", doc.calendar.rowCount()}}},
              {"blocks", doc.model.blockCount()},
              {"records", doc.model.recordCount()}};
}

}  // namespace kestrel::cli
