#pragma once
// The HTML report's "Обзор": the overview of the chosen call log and calendar as inline SVG
// charts and tables. The charts need no script and no colour: kinds are told apart by fill
// patterns and named in a legend, counts are written in the figures.

#include <functional>
#include <string_view>

#include "core/Document.h"
#include "core/Overview.h"
#include "export/TableChoice.h"

namespace kestrel::output {

// Whether the report has the section: the calls or the calendar are chosen and have rows.
bool hasOverviewSection(const DocumentData& doc, TableChoice choice);

// Hands the section's lines (UTF-8) to `line`; nothing when the report has no such section.
void forEachOverviewLine(const DocumentData& doc, const Overview& overview, TableChoice choice,
                         const std::function<void(std::string_view)>& line);

}  // namespace kestrel::output
