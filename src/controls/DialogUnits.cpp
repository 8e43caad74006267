#include "controls/DialogUnits.h"

#include <QFontMetrics>
#include <algorithm>

namespace {
constexpr int TemplateX = 6;
constexpr int TemplateY = 13;
}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // Windows' own rule: the mean of the 52 letters, rounded, and the full line height.
    const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // A font too small to lay out by never shrinks the design below its template.
    baseX_ = std::max((letters / 26 + 1) / 2, TemplateX);
    baseY_ = std::max(metrics.height(), TemplateY);
}

DialogUnits DialogUnits::Template() { return DialogUnits(TemplateX, TemplateY); }

QRect DialogUnits::Pixels(const QRect& r) const {
    auto x = [this](int px) { return px * baseX_ / TemplateX; };
    auto y = [this](int px) { return px * baseY_ / TemplateY; };
    return QRect(x(r.x()), y(r.y()), x(r.width()), y(r.height()));
}
