#include "readers/pm/PmDecoder.h"

namespace kestrel::pm {

// The contents decoder is not written yet: a PM document shows its information rows and block
// model but no phonebook, calls or calendar.
void Button2Click(Document& /*doc*/) {}

}  // namespace kestrel::pm
