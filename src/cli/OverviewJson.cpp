#include "cli/OverviewJson.h"

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

#include "cli/DocumentJson.h"
#include "core/Cp1251.h"

namespace kestrel::cli {

namespace {

using Json = nlohmann::ordered_json;

// The counts as members of `json`, after those it has.
Json& withCounts(Json& json, const CallCounts& counts) {
  json["incoming"] = counts.incoming;
  json["outgoing"] = counts.outgoing;
  json["missed"] = counts.missed;
  json["other"] = counts.other;
  json["total"] = counts.total();
  return json;
}

Json& withCounts(Json& json, const CalendarCounts& counts) {
  json["birthdays"] = counts.birthdays;
  json["notes"] = counts.notes;
  json["events"] = counts.events;
  json["other"] = counts.other;
  json["total"] = counts.total();
  return json;
}

template <typename Counts>
Json counts(const Counts& c) {
  Json json = Json::object();
  return withCounts(json, c);
}

// A line with its counts; the contact's name, or null when the phonebook has none.
Json line(const NumberSummary& n) {
  Json json{{"number", toUtf8(n.number)}};
  json["contact"] = n.contactRow ? Json(toUtf8(n.contactName)) : Json(nullptr);
  return withCounts(json, n.counts);
}

template <typename Counts>
Json perDay(const std::map<std::int32_t, Counts>& days) {
  Json list = Json::array();
  for (const auto& [day, c] : days) {
    Json entry{{"date", dayText(day)}};
    list.push_back(std::move(withCounts(entry, c)));
  }
  return list;
}

}  // namespace

void writeOverviewJson(std::ostream& out, const DocumentData& doc, const Overview& overview,
                       std::string_view caption, const std::vector<std::string>& messages) {
  // Member by member, and the lines one by one: a log of random numbers has hundreds of
  // thousands of lines the phonebook lacks, and a document of them all would take many times
  // their text.
  std::string text = "{";
  const auto member = [&](std::string_view key, const Json& value) {
    if (text.size() > 1) text += ',';
    text += Json(std::string(key)).dump();
    text += ':';
    text += value.dump(-1, ' ', false, Json::error_handler_t::replace);
  };
  const auto lineList = [&](std::string_view key, const std::vector<const NumberSummary*>& list) {
    member(key, Json::array());
    text.pop_back();  // the "]" of the empty list
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i > 0) text += ',';
      text += line(*list[i]).dump(-1, ' ', false, Json::error_handler_t::replace);
    }
    text += ']';
  };
  member("caption", std::string(caption));
  Json messageList = Json::array();
  for (const std::string& m : messages)
    messageList.push_back(toUtf8(m));
  member("messages", messageList);
  member("rows", Json{{"calls", doc.calls.rowCount()}, {"calendar", doc.calendar.rowCount()}});
  member("callsPerDay", perDay(overview.callsPerDay));
  member("callsByWeekdayHour", overview.callsByWeekdayHour);
  lineList("topNumbers", overview.topNumbers());
  lineList("unmatchedNumbers", overview.unmatchedNumbers());
  member("calendarPerDay", perDay(overview.calendarPerDay));
  member("withoutDate", Json{{"calls", counts(overview.callsWithoutDate)},
                             {"calendar", counts(overview.calendarWithoutDate)}});
  text += '}';
  // C1 controls (windows-1251's 0x98 among them) escaped as `show` escapes them.
  std::string escaped;
  escaped.reserve(text.size() + 1);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (utf8ControlLength(text, i) == 2) {
      constexpr char kLowerHexDigits[] = "0123456789abcdef";
      const auto code = static_cast<std::uint8_t>(text[++i]);
      escaped += "\\u00";
      escaped += kLowerHexDigits[code >> 4];
      escaped += kLowerHexDigits[code & 0x0F];
    } else {
      escaped += text[i];
    }
  }
  escaped += '\n';
  errno = 0;
  out.write(escaped.data(), static_cast<std::streamsize>(escaped.size()));
  out.flush();
  if (!out) throw OutputError(errno != 0 ? std::strerror(errno) : "write error");
}

}  // namespace kestrel::cli
