#pragma once

#include "core/Document.h"

namespace kestrel::pm {

// Decodes the phonebook, call logs and calendar of a loaded PM block model into the document's
// tables. Throws FormatError on contents the load must reject.
void Button2Click(Document& doc);

}  // namespace kestrel::pm
