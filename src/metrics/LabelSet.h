#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "metrics/MetricFamilies.h"

// A label set written as it grows: `{a="1",b="2"}`, empty while it has none.
class LabelSet {
public:
    LabelSet& Put(std::string_view name, std::string_view utf8Value) {
        text_.append(text_.empty() ? "{" : ",").append(name).append("=\"");
        AppendLabelValue(text_, utf8Value);
        text_ += '"';
        return *this;
    }
    LabelSet& Put(std::string_view name, uint32_t number) { return Put(name, std::to_string(number)); }
    std::string Take() {
        if (!text_.empty()) text_ += '}';
        return std::move(text_);
    }

private:
    std::string text_;
};
