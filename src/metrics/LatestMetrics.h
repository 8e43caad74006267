#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "metrics/MetricsText.h"

// The metrics of the latest poll, shared between the poll loop, which publishes once per
// period, and any number of scrapers, which only read: a scrape never reaches the driver. Each
// format is written at most once per publication, by the first scraper that wants it; the text
// is shared, never copied per scrape. Safe to call from any thread.
class LatestMetrics {
public:
    void Publish(std::vector<MetricFamily> families);
    // Empty until the first publication.
    std::shared_ptr<const std::string> Text(MetricsText::Format format);
    uint64_t Publications() const;
    uint64_t TextsWritten() const;

private:
    mutable std::mutex mutex_;
    std::vector<MetricFamily> families_;
    std::array<std::shared_ptr<const std::string>, 2> texts_;
    uint64_t publications_ = 0;
    uint64_t written_ = 0;
};
