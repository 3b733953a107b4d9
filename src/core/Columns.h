#pragma once
// Column numbers of the document's phonebook, call log and calendar. Column 0 is the row's
// running number; the cell under column c > 0 is sub-item c - 1.

namespace kestrel {

enum PhonebookColumn {
  kPbNumber = 0,
  kPbName,
  kPbNumbers,
  kPbCompany,
  kPbAddress,
  kPbGroup,
  kPbEmail,
  kPbBirthday,
  kPbNotes,
  kPbNickname,
  kPbFormalName,
  kPbJobTitle,
  kPbPttAddress,
  kPbWebSite
};

enum CallsColumn { kCallNumber = 0, kCallStatus, kCallPhone, kCallName, kCallDate };

enum CalendarColumn { kCalNumber = 0, kCalDate, kCalKind, kCalTitle, kCalText };

}  // namespace kestrel
