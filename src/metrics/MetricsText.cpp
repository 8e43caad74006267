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

std::string MetricsText::AppendHead(std::string& out, const std::string& name, bool counter,
                                    std::string_view utf8Help, Format format) {
    std::string sampleName = counter ? name + "_total" : name;
    // OpenMetrics names a counter's family without its suffix, the older format with it.
    const std::string& typeName = format == Format::OpenMetrics ? name : sampleName;
    Line(out, {"# HELP ", typeName, " ", Help(utf8Help, format)});
    Line(out, {"# TYPE ", typeName, counter ? " counter" : " gauge"});
    return sampleName;
}

void MetricsText::AppendEnd(std::string& out, Format format) {
    if (format == Format::OpenMetrics) out += "# EOF\n";
}

void MetricsText::Append(std::string& out, const std::vector<MetricFamily>& families, Format format) {
    for (const MetricFamily& family : families) {
        if (family.samples.empty()) continue;
        const std::string sampleName = AppendHead(out, family.name, family.counter, family.help, format);
        for (const MetricSample& sample : family.samples) Line(out, {sampleName, sample.labels, " ", sample.value});
    }
}

std::string MetricsText::Write(const std::vector<MetricFamily>& families, Format format) {
    std::string out;
    Append(out, families, format);
    AppendEnd(out, format);
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
