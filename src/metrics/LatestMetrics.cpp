#include "metrics/LatestMetrics.h"

LatestMetrics::LatestMetrics(Maker make) : make_(std::move(make)) {}

void LatestMetrics::Update(const std::function<void()>& tick) {
    std::lock_guard lock(mutex_);
    tick();
    texts_ = {};
    ++updates_;
}

std::shared_ptr<const std::string> LatestMetrics::Text(MetricsText::Format format) {
    std::lock_guard lock(mutex_);
    if (updates_ == 0) return std::make_shared<const std::string>();
    auto& text = texts_[format == MetricsText::Format::OpenMetrics ? 1 : 0];
    if (!text) {
        text = std::make_shared<const std::string>(make_(format));
        ++written_;
    }
    return text;
}

uint64_t LatestMetrics::Updates() const {
    std::lock_guard lock(mutex_);
    return updates_;
}

uint64_t LatestMetrics::TextsWritten() const {
    std::lock_guard lock(mutex_);
    return written_;
}
