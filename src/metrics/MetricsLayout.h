#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "metrics/MetricFamilies.h"
#include "metrics/MetricsText.h"
#include "rows/CounterRef.h"

// The metrics text of the latest refresh. Which families there are and what labels each
// counter carries change only with the tree (a device, stream or bundle comes or goes, a
// record fails) or a name; they are worked out from the page tables then, and kept. Every
// other tick reads the counters straight from the snapshot into them, as the pages show them.
class MetricsLayout {
public:
    std::string Text(const MetricsSources& sources, MetricsText::Format format);
    // How often the counters were laid out: once for each new shape of the tree.
    uint64_t Layouts() const { return layouts_; }

private:
    struct Sample {
        CounterRef ref;
        std::string labels;
        int64_t divisor;
    };
    struct Family {
        std::string name;
        bool counter;
        std::string help;
        std::vector<Sample> samples;
    };
    void Lay(const MetricsSources& sources);
    void AppendCounters(std::string& out, const MetricsSources& sources, MetricsText::Format format) const;

    std::string shape_;
    bool laid_ = false;
    std::vector<Family> families_;
    uint64_t layouts_ = 0;
    std::size_t lastSize_ = 0;
};
