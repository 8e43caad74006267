#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "metrics/MetricFamilies.h"

// The metric families as text for a scraper: the Prometheus text format 0.0.4, or OpenMetrics
// 1.0 for a scraper that asks for it.
namespace MetricsText {

enum class Format { Prometheus, OpenMetrics };

std::string Write(const std::vector<MetricFamily>& families, Format format);
// Appends the families' lines, without what ends the text.
void Append(std::string& out, const std::vector<MetricFamily>& families, Format format);
// Appends a family's HELP and TYPE lines; returns the name its samples carry.
std::string AppendHead(std::string& out, const std::string& name, bool counter, std::string_view utf8Help,
                       Format format);
// What ends the text: OpenMetrics says so, the older format says nothing.
void AppendEnd(std::string& out, Format format);
std::string_view ContentType(Format format);
// The format an HTTP Accept header asks for.
Format Negotiate(std::string_view accept);
// A HELP text: backslashes and line breaks escaped, and in OpenMetrics quotes too.
std::string Help(std::string_view utf8, Format format);

}  // namespace MetricsText
