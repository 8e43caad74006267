#pragma once

#include <QByteArrayView>
#include <QLatin1StringView>
#include <QString>
#include <QStringDecoder>
#include <string_view>

// Puts 8-bit ANSI text into `target` in place, so that rewriting a cell or pane with the text
// it already holds costs no allocation and no repaint. Returns whether the text changed.
inline bool AssignLatin1(QString& target, std::string_view text) {
    // Qt's own comparison and decoding: a byte loop of ours costs several times as much, and
    // the panel rewrites every cell on every tick.
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    if (target == QLatin1StringView(bytes)) return false;
    target.resize(bytes.size());
    QStringDecoder(QStringDecoder::Latin1).appendToBuffer(target.data(), bytes);
    return true;
}
