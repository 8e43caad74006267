#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "metrics/MetricsText.h"

// The metrics of the latest poll, shared between the poll loop and any number of scrapers. The
// poll loop runs each tick through Update; the first scraper after it that wants a format has
// the text written from what the tick read, once, and every other scraper of that tick gets
// the same text, never a copy. A scrape never reaches the driver, and a tick
// nobody scrapes costs no metrics. Safe to call from any thread.
class LatestMetrics {
public:
    // Writes what the latest tick read in a format; called with the lock held.
    using Maker = std::function<std::string(MetricsText::Format)>;

    explicit LatestMetrics(Maker make);

    // Runs one tick of the poll loop; scrapes wait for it.
    void Update(const std::function<void()>& tick);
    // Empty until the first update.
    std::shared_ptr<const std::string> Text(MetricsText::Format format);
    uint64_t Updates() const;
    uint64_t TextsWritten() const;

private:
    mutable std::mutex mutex_;
    Maker make_;
    std::array<std::shared_ptr<const std::string>, 2> texts_;
    uint64_t updates_ = 0;
    uint64_t written_ = 0;
};
