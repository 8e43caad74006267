#include "metrics/MetricsText.h"

namespace {
void Line(std::string& out, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts) out.append(part);
    out += '\n';
}
}  // namespace

std::string MetricsText::Help(std::string_view utf8, Format format) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' && format == Format::OpenMetrics)
            out += "\\\"";
        else
            out += c;
    }
    return out;
}

std::string MetricsText::Write(const std::vector<MetricFamily>& families, Format format) {
    std::string out;
    for (const MetricFamily& family : families) {
        if (family.samples.empty()) continue;
        const std::string sampleName = family.counter ? family.name + "_total" : family.name;
        // OpenMetrics names a counter's family without its suffix, the older format with it.
        const std::string& typeName = format == Format::OpenMetrics ? family.name : sampleName;
        Line(out, {"# HELP ", typeName, " ", Help(family.help, format)});
        Line(out, {"# TYPE ", typeName, family.counter ? " counter" : " gauge"});
        for (const MetricSample& sample : family.samples) Line(out, {sampleName, sample.labels, " ", sample.value});
    }
    if (format == Format::OpenMetrics) out += "# EOF\n";
    return out;
}

std::string_view MetricsText::ContentType(Format format) {
    return format == Format::OpenMetrics ? "application/openmetrics-text; version=1.0.0; charset=utf-8"
                                         : "text/plain; version=0.0.4; charset=utf-8";
}

MetricsText::Format MetricsText::Negotiate(std::string_view accept) {
    return accept.find("application/openmetrics-text") != std::string_view::npos ? Format::OpenMetrics
                                                                                   : Format::Prometheus;
}
