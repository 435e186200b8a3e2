#include "model/sjis.h"

#include "model/paths.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace vev::sjis {

namespace {
constexpr const char* CodePage = "windows-31j";
}

std::string_view cutBytes(std::string_view text, std::size_t n) {
    if (text.size() <= n) return text;
    // Walk the characters from the start: a trail byte can lie in the lead-byte range too, so
    // only a byte that really starts a character may be dropped.
    std::size_t i = 0;
    while (i < n) {
        const bool lead = isLeadByte(static_cast<unsigned char>(text[i]));
        if (lead && i + 1 == n) break; // a two-byte character would be split: drop its first byte
        i += lead ? 2 : 1;
    }
    return text.substr(0, std::min(i, n));
}

QString toQString(std::string_view bytes) {
    QStringDecoder decoder(CodePage);
    return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string fromQString(const QString& text) {
    QStringEncoder encoder(CodePage);
    QByteArray bytes = encoder.encode(text);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

bool canEncode(const QString& text) {
    QStringEncoder encoder(CodePage);
    QByteArray bytes = encoder.encode(text);
    return !encoder.hasError();
}

std::string fromUtf8(std::string_view utf8) {
    return fromQString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

std::string fromNativePath(const std::string& path) {
    return fromQString(paths::toQString(path));
}

std::string toNativePath(std::string_view bytes) {
    return paths::fromQString(toQString(bytes));
}

} // namespace vev::sjis
