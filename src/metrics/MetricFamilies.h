#pragma once

#include <string>
#include <vector>

#include "rows/CounterRef.h"
#include "rows/PageText.h"

// The driver's counters as Prometheus metric families: one family per row of the pages, one
// sample per stream, device, bundle or channel that shows it. Names, help texts, units and the
// error rows come from the row tables; the values are the page cells. A cell that shows "n/a"
// gives no sample. No Qt, no I/O.

struct MetricSample {
    std::string labels;  // `{device="Interface A",stream="0"}`, escaped; empty for none
    std::string value;
};

struct MetricFamily {
    std::string name;  // without the `_total` its counter samples carry
    bool counter = false;
    std::string help;  // UTF-8, not yet escaped
    std::vector<MetricSample> samples;
};

// What one exposition is made of: the latest refresh and what the poll loop knows about it.
struct MetricsSources {
    const PageTextSources& pages;
    bool driverUp;          // the latest tick opened the control device
    double refreshSeconds;  // what the latest refresh cost
};

// The families of the driver itself: whether it is up, its versions, its devices, and how
// many streams and bundles it reports. The counters' own families are MetricsLayout's.
std::vector<MetricFamily> DriverFamilies(const MetricsSources& sources);

// A counter's family name ("qor_iso_in_packets_received", without `_total`), the number its
// page value is divided by for the family's unit (times go out in seconds), and that quotient
// written exactly, for a divisor that is a power of ten.
std::string FamilyName(const CounterRef& ref);
int64_t UnitDivisor(const CounterRef& ref);
std::string Decimal(int64_t number, int64_t divisor);
std::string_view DirectionWord(Dir d);

// The name part of a row ("TotalPacketsReceived" -> "total_packets_received") and of a unit
// ("samples/s" -> "samples_per_second"): lower case, words apart by underscores.
std::string MetricWord(std::string_view text);
std::string UnitWord(std::string_view utf8Unit);
// A label value between quotes: backslash, quote and line break escaped.
std::string LabelValue(std::string_view utf8);
void AppendLabelValue(std::string& out, std::string_view utf8);
