#pragma once

#include <QString>
#include <QStringView>
#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "platform/DriverText.h"

// More than any text field of the driver's records holds.
inline constexpr std::size_t DriverTextMaxBytes = 512;

// Puts a text of the driver's records into `target` in place, decoded as the system does, so
// that rewriting a cell with the text it already holds costs no allocation and no repaint.
// Returns whether the text changed. The panel's own texts go through AssignLatin1.
inline bool AssignDriverText(QString& target, std::string_view text) {
    std::array<char16_t, DriverTextMaxBytes> units;
    const std::size_t count = DriverText::ToUtf16(text.substr(0, units.size()), units.data(), units.size());
    const QStringView decoded(units.data(), static_cast<qsizetype>(count));
    if (QStringView(target) == decoded) return false;
    target.resize(decoded.size());
    std::copy(units.begin(), units.begin() + decoded.size(), reinterpret_cast<char16_t*>(target.data()));
    return true;
}

inline QString DriverTextToQString(std::string_view text) {
    QString result;
    AssignDriverText(result, text);
    return result;
}
