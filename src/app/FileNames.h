#pragma once
// File names between Qt's strings and the system's bytes.

#include <QString>
#include <string>

namespace kestrel::app {

// The system's bytes of a file name chosen in a dialog or given on the command line. Qt turns
// bytes of a name that are not valid in the locale's encoding into U+FFFD, so such a name no
// longer names its file; when the encoded name names nothing, every part of it holding U+FFFD
// is looked up in its folder, and the one entry that Qt shows under that name is taken.
std::string systemFileName(const QString& name);

}  // namespace kestrel::app
