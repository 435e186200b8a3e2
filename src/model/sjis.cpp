#include "model/sjis.h"

#include "model/paths.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace vev::sjis {

namespace {
constexpr const char* CodePage = "windows-31j";

// Printable ASCII is the same in Shift-JIS and in native (UTF-8) names; the codec maps some
// control characters elsewhere, so those still go through it.
bool printableAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}
} // namespace

std::string_view cutBytes(std::string_view text, std::size_t n) {
    std::size_t kept = 0;     // the bytes of the whole characters that fit
    std::size_t lastKept = 0; // the length of the last of them
    while (kept < text.size()) {
        const std::size_t length = charLength(text, kept);
        if (kept + length > n) break;
        kept += length;
        lastKept = length;
    }
    // A lone first byte at the end is half a character: it goes too.
    if (lastKept == 1 && isLeadByte(static_cast<unsigned char>(text[kept - 1]))) --kept;
    return text.substr(0, kept);
}

std::string paddedField(std::string_view text, std::size_t spaces, std::size_t width) {
    std::string field(cutBytes(text, width));
    field.append(spaces, ' ');
    field.resize(std::min(field.size(), width)); // the text itself is at most width bytes
    return field;
}

std::size_t find(std::string_view text, std::string_view word) {
    if (word.empty()) return 0;
    for (std::size_t i = 0; i + word.size() <= text.size(); i += charLength(text, i))
        if (text.compare(i, word.size(), word) == 0) return i;
    return std::string_view::npos;
}

bool hasPathSeparator(std::string_view name) {
    return contains(name, "/") || contains(name, "\\");
}

QString toQString(std::string_view bytes) {
    // Answers and numbers, at every key: a converter is made for each call, which costs more
    // than the text.
    if (printableAscii(bytes))
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
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
    if (printableAscii(path)) return path;
    return fromQString(paths::toQString(path));
}

std::string toNativePath(std::string_view bytes) {
    // A survey names its linked files in these bytes: opening one with forty of them converts
    // forty names.
    if (printableAscii(bytes)) return std::string(bytes);
    return paths::fromQString(toQString(bytes));
}

} // namespace vev::sjis
