#pragma once
// The contents of a loaded PM dump: the phonebook (block 58), the call logs (blocks 59, 60 and
// 61), the calendar (block 51) and the caller-group names (block 314).

#include "core/Document.h"

namespace kestrel::pm {

// Decodes the phonebook, call logs and calendar of a loaded PM block model into the document's
// tables, showing every phonebook and call-log column that receives data. Reads the block model
// only. Throws FormatError on contents the load must reject (a record of no bytes in a block of
// user data, a group number without a group name); the rows added before stay.
void decodeContents(DocumentData& doc);

}  // namespace kestrel::pm
