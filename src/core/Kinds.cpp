#include "core/Kinds.h"

#include <array>

#include "core/Columns.h"
#include "core/Cp1251.h"

namespace kestrel {

namespace {

// By CallStatus; the list's wording keeps the spelling of the dumps' own program.
struct CallStatusTexts {
  std::string_view list;
  std::string_view call;
};
constexpr std::array<CallStatusTexts, 4> kCallStatusTexts = {{
    {"", ""},
    {"Исходящие"_cp, "Исходящий"_cp},
    {"Пропущеные"_cp, "Пропущенный"_cp},
    {"Входящие"_cp, "Входящий"_cp},
}};

// By CalendarKind.
constexpr std::array<std::string_view, 4> kCalendarKindTexts = {"", "Заметка"_cp,
                                                                "День рождения"_cp, "Событие"_cp};

// By InformationCaption.
constexpr std::array<std::string_view, 21> kInformationCaptionTexts = {
    "",
    "Production Serial Number",
    "Product Code",
    "Basic Production Code",
    "Module Code",
    "HW",
    "IMEI",
    "DSP",
    "User Lock",
    "???????",
    "Model",
    "Software info",
    "Platform label: ",
    "Name",
    "Version",
    "Записная книжка"_cp,
    "Исходящие звонки"_cp,
    "Пропущенные звонки"_cp,
    "Входящие звонки"_cp,
    "Звонки"_cp,
    "Заметки"_cp,
};
static_assert(kInformationCaptionTexts.size() ==
              static_cast<std::size_t>(InformationCaption::kNotesFound) + 1);

template <typename Kind, typename Table>
const auto& entryOf(const Table& table, Kind kind) {
  const auto k = static_cast<std::size_t>(kind);
  return table[k < table.size() ? k : 0];
}

}  // namespace

std::string_view callStatusText(CallStatus status, CallWording wording) {
  const CallStatusTexts& texts = entryOf(kCallStatusTexts, status);
  return wording == CallWording::kList ? texts.list : texts.call;
}

void setCallStatus(ResultTable::Row& row, CallStatus status, CallWording wording) {
  row.setKindOf(status);
  row.setCell(kCallStatus, callStatusText(status, wording));
}

std::string_view calendarKindText(CalendarKind kind) {
  return entryOf(kCalendarKindTexts, kind);
}

void setCalendarKind(ResultTable::Row& row, CalendarKind kind) {
  row.setKindOf(kind);
  row.setCell(kCalKind, calendarKindText(kind));
}

std::string_view informationCaptionText(InformationCaption caption) {
  return entryOf(kInformationCaptionTexts, caption);
}

void setInformationCaption(ResultTable::Row& row, InformationCaption caption) {
  row.setKindOf(caption);
  row.setCaption(informationCaptionText(caption));
}

void addInformationRow(ResultTable& information, InformationCaption caption, std::string value) {
  ResultTable::Row& row = information.addRow(std::string(informationCaptionText(caption)), 1);
  row.setKindOf(caption);
  row.setSubItem(0, std::move(value));
}

std::string_view presenceText(bool present) {
  return present ? "Есть"_cp : "Нет"_cp;
}

}  // namespace kestrel
