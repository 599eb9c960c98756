// Text of the 8-bit interfaces to and from Qt: UTF-8 when the bytes are valid
// UTF-8, else Latin-1, so every byte sequence gives a readable string.
#pragma once

#include <QString>
#include <QStringDecoder>

#include <cstring>
#include <string>

namespace platform::ui::shell {

inline QString ansiToQString(const char *text, size_t length) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8.decode(QByteArrayView(text, static_cast<qsizetype>(length)));
    if (!utf8.hasError()) return decoded;
    return QString::fromLatin1(text, static_cast<qsizetype>(length));
}

inline QString ansiToQString(const std::string &text) { return ansiToQString(text.data(), text.size()); }

// A fixed-size text field read up to its terminator, never past its end.
inline std::string fixedText(const char *field, size_t capacity) {
    return std::string(field, strnlen(field, capacity));
}

}  // namespace platform::ui::shell
