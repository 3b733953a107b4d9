#pragma once
// What a row of the call log, the calendar or the information table means, as a kind the row
// keeps beside its texts, and the one table of the texts each kind shows. Readers set both
// through the functions here; whoever needs the meaning reads the kind, never the text.

#include <cstdint>
#include <string_view>

#include "core/ResultTable.h"

namespace kestrel {

// The status of a call.
enum class CallStatus : std::uint8_t { kNone = 0, kOutgoing, kMissed, kIncoming };

// How the status reads. A PM dump keeps each status's calls in a block of their own and the
// status reads as the name of that list; a phone's file system marks every call on its own.
enum class CallWording : std::uint8_t { kList, kCall };

std::string_view callStatusText(CallStatus status, CallWording wording);
// Gives the row the status and writes its text into the status column.
void setCallStatus(ResultTable::Row& row, CallStatus status, CallWording wording);

// The kind of a calendar entry.
enum class CalendarKind : std::uint8_t { kNone = 0, kNote, kBirthday, kEvent };

std::string_view calendarKindText(CalendarKind kind);
// Gives the row the kind and writes its text into the kind column.
void setCalendarKind(ResultTable::Row& row, CalendarKind kind);

// The fixed captions of the information table's rows.
enum class InformationCaption : std::uint8_t {
  kNone = 0,
  // Read from a PM dump's index.
  kProductionSerialNumber,
  kProductCode,
  kBasicProductionCode,
  kModuleCode,
  kHardware,
  kImei,
  kDsp,
  kUserLock,
  // Read from a phone's file system.
  kUnnamed,
  kModel,
  kSoftwareInfo,
  kPlatformLabel,
  // Read from a vCard file.
  kCardName,
  kCardVersion,
  // Whether a kind of data was found (presence rows).
  kPhonebookFound,
  kOutgoingCallsFound,
  kMissedCallsFound,
  kIncomingCallsFound,
  kCallsFound,
  kNotesFound,
};

std::string_view informationCaptionText(InformationCaption caption);
// Gives the row the caption, as its kind and as its text.
void setInformationCaption(ResultTable::Row& row, InformationCaption caption);
// Appends an information row of the caption and the value.
void addInformationRow(ResultTable& information, InformationCaption caption, std::string value);
// The value of a presence row: "Есть" or "Нет".
std::string_view presenceText(bool present);

}  // namespace kestrel
