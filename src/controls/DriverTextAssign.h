#pragma once

#include <QString>
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
    const auto length = static_cast<qsizetype>(count);
    if (target.size() == length) {
        const QChar* held = target.constData();
        qsizetype same = 0;
        while (same < length && held[same].unicode() == units[static_cast<std::size_t>(same)]) ++same;
        if (same == length) return false;
    }
    target.resize(length);
    QChar* data = target.data();
    for (qsizetype i = 0; i < length; ++i) data[i] = QChar(units[static_cast<std::size_t>(i)]);
    return true;
}

inline QString DriverTextToQString(std::string_view text) {
    QString result;
    AssignDriverText(result, text);
    return result;
}
