#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "rows/PageText.h"

// The snapshot files of "Save Snapshot As..." and qorpoll: every page of the panel with the
// time, the driver's version and the sample rate. One writer per format, shared by both, so
// that the file and the tool's --json are the same document. The README describes the schema.
namespace SnapshotDocument {

// "2026-12-09T03:04:05Z"
std::string UtcTime(std::chrono::system_clock::time_point when);

// readTime: when the values were read ("" when nothing was); savedTime: when the document is
// written.
std::string Json(const PageTextSources& sources, std::string_view readTime, std::string_view savedTime);
// One line per value cell: node, row, column, value, unit.
std::string Csv(const PageTextSources& sources, std::string_view readTime, std::string_view savedTime);
// Every page as the panel shows it, as aligned columns of text, below the time of the read.
std::string Text(const PageTextSources& sources, std::string_view readTime);

// A JSON string literal of UTF-8 text, quotes included.
std::string JsonString(std::string_view utf8);
// One CSV field, quoted where it must be; a text that a spreadsheet would take for a formula
// keeps its first character from being read as one.
std::string CsvField(std::string_view utf8);

}  // namespace SnapshotDocument
