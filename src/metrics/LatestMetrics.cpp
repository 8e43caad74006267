#include "metrics/LatestMetrics.h"

void LatestMetrics::Publish(std::vector<MetricFamily> families) {
    std::lock_guard lock(mutex_);
    families_ = std::move(families);
    texts_ = {};
    ++publications_;
}

std::shared_ptr<const std::string> LatestMetrics::Text(MetricsText::Format format) {
    std::lock_guard lock(mutex_);
    if (publications_ == 0) return std::make_shared<const std::string>();
    auto& text = texts_[format == MetricsText::Format::OpenMetrics ? 1 : 0];
    if (!text) {
        text = std::make_shared<const std::string>(MetricsText::Write(families_, format));
        ++written_;
    }
    return text;
}

uint64_t LatestMetrics::Publications() const {
    std::lock_guard lock(mutex_);
    return publications_;
}

uint64_t LatestMetrics::TextsWritten() const {
    std::lock_guard lock(mutex_);
    return written_;
}
