#pragma once
// The phone's timestamps: seconds counted in 32 bits, shown as local date and time text.

#include <cstdint>
#include <string>

#include "core/Bytes.h"

namespace kestrel::gdfs {

// Appends the date and time of a day count v / 86400 after the phone's epoch, as
// "dd.mm.yyyy hh:mm". The callers pass v = 2^32 + x for a stored x, which lands on x seconds
// after 01.01.1970 03:00:54.996.
void appendPhoneTime(std::string& out, std::int64_t v);

// Appends the timestamp of 4 bytes at offset `at` of a record: unsigned 32-bit little-endian
// seconds. A byte beyond the record counts as 0.
void appendTimestamp(std::string& out, ByteView record, std::ptrdiff_t at);

}  // namespace kestrel::gdfs
