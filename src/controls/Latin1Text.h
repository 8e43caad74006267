#pragma once

#include <QString>
#include <string_view>

// Puts 8-bit ANSI text into `target` in place, so that rewriting a cell or pane with the text
// it already holds costs no allocation and no repaint. Returns whether the text changed.
inline bool AssignLatin1(QString& target, std::string_view text) {
    const auto length = static_cast<qsizetype>(text.size());
    if (target.size() == length) {
        const QChar* held = target.constData();
        qsizetype same = 0;
        while (same < length && held[same].unicode() == static_cast<unsigned char>(text[same])) ++same;
        if (same == length) return false;
    }
    target.resize(length);
    QChar* data = target.data();
    for (qsizetype i = 0; i < length; ++i) data[i] = QChar(static_cast<unsigned char>(text[i]));
    return true;
}
