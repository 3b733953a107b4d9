#include "export/OverviewReport.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "export/HtmlReport.h"

namespace kestrel::output {

namespace {

using Line = std::function<void(std::string_view)>;

// A time chart groups days into weeks, months or years rather than draw more bars than this.
constexpr std::size_t kMostBars = 120;

enum class Unit { Day, Week, Month, Year };

std::string format(const char* pattern, double a, double b = 0, double c = 0, double d = 0) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, a, b, c, d);
  return text;
}

// The day number of Monday 05.01.1970, from which weeks are counted.
constexpr std::int32_t kFirstMonday = 4;

// The days of a chart, in bars of one unit.
struct TimeAxis {
  Unit unit = Unit::Day;
  std::int32_t firstDay = 0;
  std::int32_t lastDay = 0;
  long firstKey = 0;
  std::size_t bars = 1;

  long keyOf(std::int32_t day) const {
    switch (unit) {
      case Unit::Day:
        return day;
      case Unit::Week:
        // Weeks since the Monday 05.01.1970 (day 4), counted from the Monday that starts the
        // day's week: exact, also before 1970.
        return (day - weekdayOf(day) - kFirstMonday) / 7;
      case Unit::Month: {
        const CellDate c = dateOfDayNumber(day);
        return c.year * 12L + c.month - 1;
      }
      case Unit::Year:
        return dateOfDayNumber(day).year;
    }
    return day;
  }
  bool holds(std::int32_t day) const { return day >= firstDay && day <= lastDay; }
  std::size_t barOf(std::int32_t day) const {
    return static_cast<std::size_t>(keyOf(day) - firstKey);
  }

  // The first day of a bar as its label writes it.
  std::string label(std::size_t bar) const {
    const long key = firstKey + static_cast<long>(bar);
    char text[32];
    switch (unit) {
      case Unit::Day:
      case Unit::Week: {
        const CellDate c = dateOfDayNumber(
            static_cast<std::int32_t>(unit == Unit::Day ? key : key * 7 + kFirstMonday));
        std::snprintf(text, sizeof text, "%02d.%02d.%04d", c.day, c.month, c.year);
        break;
      }
      case Unit::Month:
        std::snprintf(text, sizeof text, "%02ld.%04ld", key % 12 + 1, key / 12);
        break;
      case Unit::Year:
        std::snprintf(text, sizeof text, "%04ld", key);
        break;
    }
    return text;
  }

  // How the chart's title names its bars.
  std::string title(std::string_view what) const {
    const std::string days = std::to_string(lastDay - firstDay + 1);
    switch (unit) {
      case Unit::Day:
        return std::string(what) + " по дням";
      case Unit::Week:
        return std::string(what) + " по неделям (" + days + " дн.: столбец — неделя)";
      case Unit::Month:
        return std::string(what) + " по месяцам (" + days + " дн.: столбец — месяц)";
      case Unit::Year:
        return std::string(what) + " по годам (" + days + " дн.: столбец — год)";
    }
    return std::string(what);
  }
};

TimeAxis axisOver(std::int32_t firstDay, std::int32_t lastDay) {
  TimeAxis axis;
  axis.firstDay = firstDay;
  axis.lastDay = lastDay;
  for (const Unit unit : {Unit::Day, Unit::Week, Unit::Month, Unit::Year}) {
    axis.unit = unit;
    axis.firstKey = axis.keyOf(firstDay);
    axis.bars = static_cast<std::size_t>(axis.keyOf(lastDay) - axis.firstKey + 1);
    if (axis.bars <= kMostBars) break;
  }
  return axis;
}

// The smallest of 1, 2, 5 × 10^k that is at least the value.
std::size_t roundScale(std::size_t value) {
  std::size_t step = 1;
  while (true) {
    for (const std::size_t m : {1u, 2u, 5u}) {
      if (m * step >= value) return m * step;
    }
    step *= 10;
  }
}

// A part of a stack, told from the others without colour: dark, hatched, light grey, open.
// The hatching is drawn as lines, so that renderers without fill patterns show it too.
std::string segment(double x, double y, double w, double h, std::size_t kind) {
  static constexpr std::array<std::string_view, 4> kFills = {"#333", "#fff", "#aaa", "#fff"};
  std::string svg =
      format("<rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" ", x, y, w, h) +
      "fill=\"" + std::string(kFills[kind]) + "\" stroke=\"#000\" stroke-width=\"0.5\"/>";
  if (kind != 1) return svg;
  std::string path;
  constexpr double kStep = 4;
  for (double t = kStep; t < w + h; t += kStep) {
    const double u0 = std::max(0.0, t - h);
    const double u1 = std::min(t, w);
    path += format("M%.2f %.2fL%.2f %.2f", x + u0, y + h - (t - u0), x + u1, y + h - (t - u1));
  }
  return svg + "<path d=\"" + path + "\" stroke=\"#000\" stroke-width=\"0.8\"/>";
}

// The characters of a UTF-8 text, for the room its label takes.
std::size_t characters(std::string_view utf8) {
  return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

using Stack = std::array<std::size_t, 4>;

struct StackChart {
  std::string title;
  std::array<std::string_view, 4> kinds;  // their names, bottom first
};

// A bar of stacked kinds per bar of the axis, the scale on the left, the labels of some bars
// below, and a legend that names each fill with its count.
void writeStackChart(const StackChart& chart, const TimeAxis& axis,
                     const std::vector<Stack>& stacks, const Line& line) {
  constexpr double kLeft = 50, kWidth = 700, kTop = 16, kHeight = 160;
  const double bottom = kTop + kHeight;
  Stack totals{};
  std::size_t highest = 0;
  for (const Stack& s : stacks) {
    std::size_t sum = 0;
    for (std::size_t k = 0; k < s.size(); ++k) {
      totals[k] += s[k];
      sum += s[k];
    }
    highest = std::max(highest, sum);
  }
  const std::size_t scale = roundScale(std::max<std::size_t>(highest, 1));
  line(
      format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
             "viewBox=\"0 0 %.0f %.0f\" role=\"img\" font-family=\"sans-serif\" font-size=\"9\">",
             kLeft + kWidth + 10, bottom + 50, kLeft + kWidth + 10, bottom + 50));
  line("<title>" + chart.title + "</title>");
  std::vector<std::size_t> ticks = {0, scale};
  if (scale >= 2) ticks.insert(ticks.begin() + 1, scale / 2);
  for (const std::size_t tick : ticks) {
    const double y = bottom - kHeight * static_cast<double>(tick) / static_cast<double>(scale);
    line(format("<line x1=\"%.0f\" y1=\"%.1f\" x2=\"%.0f\" y2=\"%.1f\" stroke=\"#999\" "
                "stroke-width=\"0.5\"/>",
                kLeft, y, kLeft + kWidth, y) +
         format("<text x=\"%.0f\" y=\"%.1f\" text-anchor=\"end\">%.0f</text>", kLeft - 4, y + 3,
                static_cast<double>(tick)));
  }
  const double slot = kWidth / static_cast<double>(axis.bars);
  const double barWidth = std::min(std::max(slot * 0.8, 1.0), 40.0);
  const bool countsOnBars = axis.bars <= 31;
  for (std::size_t b = 0; b < stacks.size(); ++b) {
    const Stack& s = stacks[b];
    std::size_t sum = 0;
    for (const std::size_t n : s)
      sum += n;
    if (sum == 0) continue;
    const double x = kLeft + slot * static_cast<double>(b) + (slot - barWidth) / 2;
    std::string tip = axis.label(b) + ":";
    for (std::size_t k = 0; k < s.size(); ++k) {
      if (!chart.kinds[k].empty() && s[k] > 0)
        tip += " " + std::string(chart.kinds[k]) + " " + std::to_string(s[k]);
    }
    line("<g><title>" + tip + "</title>");
    double y = bottom;
    for (std::size_t k = 0; k < s.size(); ++k) {
      if (s[k] == 0) continue;
      const double h = kHeight * static_cast<double>(s[k]) / static_cast<double>(scale);
      y -= h;
      line(segment(x, y, barWidth, h, k));
    }
    if (countsOnBars) {
      line(format("<text x=\"%.2f\" y=\"%.2f\" text-anchor=\"middle\">%.0f</text>",
                  x + barWidth / 2, y - 2, static_cast<double>(sum)));
    }
    line("</g>");
  }
  line(format("<line x1=\"%.0f\" y1=\"%.0f\" x2=\"%.0f\" y2=\"%.0f\" stroke=\"#000\"/>", kLeft,
              bottom, kLeft + kWidth, bottom));
  const std::size_t step = (axis.bars + 6) / 7;
  for (std::size_t b = 0; b < axis.bars; b += step) {
    const double x = kLeft + slot * (static_cast<double>(b) + 0.5);
    line(format("<line x1=\"%.2f\" y1=\"%.0f\" x2=\"%.2f\" y2=\"%.0f\" stroke=\"#000\"/>", x,
                bottom, x, bottom + 4) +
         format("<text x=\"%.2f\" y=\"%.0f\" text-anchor=\"middle\">", x, bottom + 15) +
         axis.label(b) + "</text>");
  }
  double x = kLeft;
  for (std::size_t k = 0; k < chart.kinds.size(); ++k) {
    if (chart.kinds[k].empty()) continue;
    const std::string name = std::string(chart.kinds[k]) + ": " + std::to_string(totals[k]);
    line(segment(x, bottom + 28, 12, 12, k) +
         format("<text x=\"%.0f\" y=\"%.0f\" font-size=\"10\">", x + 16, bottom + 38) + name +
         "</text>");
    x += 36 + 5.5 * static_cast<double>(characters(name));
  }
  line("</svg>");
}

// Calls by weekday and hour: a grid of shades, each cell with its count.
void writeWeekHours(const Overview& overview, const Line& line) {
  constexpr double kLeft = 30, kTop = 16, kCell = 30, kRow = 20;
  static constexpr std::array<std::string_view, 7> kDays = {"Пн", "Вт", "Ср", "Чт",
                                                            "Пт", "Сб", "Вс"};
  std::size_t most = 1;
  for (const auto& day : overview.callsByWeekdayHour) {
    for (const std::size_t n : day)
      most = std::max(most, n);
  }
  const double width = kLeft + 24 * kCell + 10;
  const double height = kTop + 7 * kRow + 6;
  line(
      format("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
             "viewBox=\"0 0 %.0f %.0f\" role=\"img\" font-family=\"sans-serif\" font-size=\"8\">",
             width, height, width, height));
  line("<title>Вызовы по дням недели и часам</title>");
  std::string hours;
  for (int h = 0; h < 24; ++h) {
    hours +=
        format("<text x=\"%.0f\" y=\"%.0f\" text-anchor=\"middle\" font-size=\"9\">%.0f</text>",
               kLeft + kCell * (h + 0.5), kTop - 5, h);
  }
  line(hours);
  for (std::size_t d = 0; d < 7; ++d) {
    const double y = kTop + kRow * static_cast<double>(d);
    std::string cells = format("<text x=\"%.0f\" y=\"%.0f\" font-size=\"9\">", 2, y + 14) +
                        std::string(kDays[d]) + "</text>";
    for (std::size_t h = 0; h < 24; ++h) {
      const std::size_t n = overview.callsByWeekdayHour[d][h];
      const double share = static_cast<double>(n) / static_cast<double>(most);
      const int grey = n == 0 ? 255 : static_cast<int>(235 - 200 * share);
      const double x = kLeft + kCell * static_cast<double>(h);
      char fill[8];
      std::snprintf(fill, sizeof fill, "#%02x%02x%02x", grey, grey, grey);
      cells +=
          format("<rect x=\"%.0f\" y=\"%.0f\" width=\"%.0f\" height=\"%.0f\" ", x, y, kCell, kRow) +
          "fill=\"" + fill + "\" stroke=\"#999\" stroke-width=\"0.5\"/>";
      if (n > 0) {
        cells +=
            format("<text x=\"%.1f\" y=\"%.0f\" text-anchor=\"middle\" ", x + kCell / 2, y + 13) +
            "fill=\"" + (grey < 128 ? "#fff" : "#000") + "\">" + std::to_string(n) + "</text>";
      }
    }
    line(cells);
  }
  line("</svg>");
}

// How many of the numbers the phonebook lacks the page lists.
constexpr std::size_t kUnmatchedShown = 100;

std::string count(std::size_t n) {
  return std::to_string(n);
}

void writeLines(const std::vector<const NumberSummary*>& lines, bool withContact,
                const Line& line) {
  line("<table>");
  std::vector<std::string> head = {"Номер"};
  if (withContact) head.emplace_back("Контакт");
  for (const char* caption : {"Входящие", "Исходящие", "Пропущенные", "Всего"})
    head.emplace_back(caption);
  line(htmlTableRow(head, "th"));
  for (const NumberSummary* n : lines) {
    std::vector<std::string> cells = {htmlText(n->number)};
    if (withContact) cells.push_back(n->contactRow ? htmlText(n->contactName) : "нет в книжке");
    for (const std::size_t c :
         {n->counts.incoming, n->counts.outgoing, n->counts.missed, n->counts.total()})
      cells.push_back(count(c));
    line(htmlTableRow(cells, "td"));
  }
  line("</table>");
}

void figure(const std::string& title, const Line& line, const std::function<void()>& body) {
  line("<h3>" + title + "</h3>");
  line("<figure style=\"margin:0 0 1em 0;page-break-inside:avoid\">");
  body();
  line("</figure>");
}

}  // namespace

bool hasOverviewSection(const DocumentData& doc, TableChoice choice) {
  return (choice.calls && doc.calls.rowCount() > 0) ||
         (choice.calendar && doc.calendar.rowCount() > 0);
}

void forEachOverviewLine(const DocumentData& doc, const Overview& overview, TableChoice choice,
                         const Line& line) {
  if (!hasOverviewSection(doc, choice)) return;
  const bool calls = choice.calls && doc.calls.rowCount() > 0;
  const bool calendar = choice.calendar && doc.calendar.rowCount() > 0;
  line("<h2>Обзор</h2>");
  if (calls) {
    const std::size_t unmatched = overview.unmatchedNumbers().size();
    line("<p>Вызовов: " + count(doc.calls.rowCount()) +
         ", номеров: " + count(overview.numbers.size()) +
         ", из них нет в записной книжке: " + count(unmatched) + ".</p>");
  }

  // Calls and calendar share one time axis over the days of both. A birthday stands in its
  // year of birth, decades before the phone: it widens the axis only when nothing else does.
  std::optional<std::pair<std::int32_t, std::int32_t>> span;
  const auto widen = [&](std::int32_t day) {
    span = span ? std::make_pair(std::min(span->first, day), std::max(span->second, day))
                : std::make_pair(day, day);
  };
  if (calls) {
    for (const auto& entry : overview.callsPerDay)
      widen(entry.first);
  }
  if (calendar) {
    for (const auto& [day, c] : overview.calendarPerDay) {
      if (c.total() > c.birthdays) widen(day);
    }
    if (!span) {
      for (const auto& entry : overview.calendarPerDay)
        widen(entry.first);
    }
  }
  std::optional<TimeAxis> axis;
  if (span) axis = axisOver(span->first, span->second);

  if (calls && axis) {
    std::vector<Stack> stacks(axis->bars, Stack{});
    for (const auto& [day, c] : overview.callsPerDay) {
      Stack& s = stacks[axis->barOf(day)];
      s[0] += c.incoming;
      s[1] += c.outgoing;
      s[2] += c.missed;
      s[3] += c.other;
    }
    const bool other =
        overview.callsWithoutDate.other > 0 ||
        std::any_of(stacks.begin(), stacks.end(), [](const Stack& s) { return s[3] > 0; });
    const StackChart chart{axis->title("Вызовы"),
                           {"входящие", "исходящие", "пропущенные", other ? "без статуса" : ""}};
    figure(chart.title, line, [&] { writeStackChart(chart, *axis, stacks, line); });
  }
  const bool timed = std::any_of(
      overview.callsByWeekdayHour.begin(), overview.callsByWeekdayHour.end(), [](const auto& day) {
        return std::any_of(day.begin(), day.end(), [](std::size_t n) { return n > 0; });
      });
  if (calls && timed) {
    figure("Вызовы по дням недели и часам", line, [&] { writeWeekHours(overview, line); });
  }
  if (calendar && axis) {
    std::vector<Stack> stacks(axis->bars, Stack{});
    std::size_t outside = 0;
    for (const auto& [day, c] : overview.calendarPerDay) {
      if (!axis->holds(day)) {
        outside += c.total();
        continue;
      }
      Stack& s = stacks[axis->barOf(day)];
      s[0] += c.birthdays;
      s[1] += c.notes;
      s[2] += c.events;
      s[3] += c.other;
    }
    const StackChart chart{axis->title("Календарь"),
                           {"дни рождения", "заметки", "события", "прочие"}};
    // A chart of no bar says nothing: then the count below says it all.
    const bool inside = std::any_of(stacks.begin(), stacks.end(),
                                    [](const Stack& s) { return s[0] + s[1] + s[2] + s[3] > 0; });
    if (inside) figure(chart.title, line, [&] { writeStackChart(chart, *axis, stacks, line); });
    if (outside > 0) {
      line("<p>Записей календаря вне этого периода: " + count(outside) +
           " (день рождения стоит в году рождения).</p>");
    }
  }
  if (calls) {
    line("<h3>Самые частые номера</h3>");
    writeLines(overview.topNumbers(), true, line);
    line("<h3>Номера, которых нет в записной книжке</h3>");
    std::vector<const NumberSummary*> unmatched = overview.unmatchedNumbers();
    if (unmatched.empty()) {
      line("<p>Все номера есть в записной книжке.</p>");
    } else {
      // A log of random numbers lacks hundreds of thousands: the page names the busiest, and
      // the calls table below holds every call.
      const std::size_t left =
          unmatched.size() > kUnmatchedShown ? unmatched.size() - kUnmatchedShown : 0;
      unmatched.resize(unmatched.size() - left);
      writeLines(unmatched, false, line);
      if (left > 0) line("<p>Ещё номеров, которых нет в записной книжке: " + count(left) + ".</p>");
    }
  }
  std::string withoutDate = "<p>Без даты:";
  if (calls) withoutDate += " вызовов — " + count(overview.callsWithoutDate.total());
  if (calls && calendar) withoutDate += ",";
  if (calendar)
    withoutDate += " записей календаря — " + count(overview.calendarWithoutDate.total());
  line(withoutDate + ".</p>");
}

}  // namespace kestrel::output
