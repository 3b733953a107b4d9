#pragma once
// The files of the line formats (text report, CSV, iCalendar, HTML): every line ended by CR LF.

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace kestrel::output {

// Hands a writer's lines, without line ends, to the function it is given.
using LineProducer = std::function<void(const std::function<void(std::string_view)>&)>;

// Writes the lines to `fileName` one at a time, each ended by CR LF, so that a report of a large
// dump is never held whole in memory. Never replaces one of `sourceFiles`; throws IoError.
void writeLineFile(const std::string& fileName, std::span<const std::string> sourceFiles,
                   const LineProducer& lines);

}  // namespace kestrel::output
