#pragma once

#include <QString>

#include <string>
#include <string_view>

// Shift-JIS (code page 932) at the boundary between the document's bytes and Qt's text:
// widget texts, messages and file names. Everything inside the document counts bytes.
namespace vev::sjis {

// The first byte of a two-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The first n bytes of text, one byte fewer when byte n would be the first byte of a two-byte
// character (so that no character is split). Characters are walked from the start, so the
// second byte of a character is never mistaken for a first byte.
std::string_view cutBytes(std::string_view text, std::size_t n);

// Shift-JIS bytes to text; bytes that do not decode become U+FFFD.
QString toQString(std::string_view bytes);
// Text to Shift-JIS bytes; characters that Shift-JIS lacks come out as replacement bytes.
std::string fromQString(const QString& text);
// Whether every character of the text has a Shift-JIS form.
bool canEncode(const QString& text);

// A UTF-8 literal (from this source code) as Shift-JIS bytes.
std::string fromUtf8(std::string_view utf8);
// A native path or file name (UTF-8 on Linux) as Shift-JIS bytes, for writing into a file.
std::string fromNativePath(const std::string& path);
// A file name read from a Shift-JIS file as a native path.
std::string toNativePath(std::string_view bytes);

} // namespace vev::sjis
