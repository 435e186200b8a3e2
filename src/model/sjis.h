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

// The second byte of a two-byte character: 0x40-0x7E and 0x80-0xFC. It can be '\' (0x5C) or
// lie in the first-byte range, so Shift-JIS bytes are searched and cut by walking characters
// from the start, never byte by byte.
constexpr bool isTrailByte(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// The length of the character that starts at text[i]: 2 for a first byte followed by a second
// byte, otherwise 1. A first byte with no second byte after it (a lone half of a character)
// is one byte, as every decoder reads it.
constexpr std::size_t charLength(std::string_view text, std::size_t i) {
    return i + 1 < text.size() && isLeadByte(static_cast<unsigned char>(text[i])) &&
                   isTrailByte(static_cast<unsigned char>(text[i + 1]))
               ? 2
               : 1;
}

// Every cut of a Shift-JIS text goes through here: the text cut to at most n bytes at a
// character boundary, never ending in the first byte of a two-byte character. So byte n is
// dropped whenever it starts a character that does not fit, whatever the text's length (a
// text of exactly n bytes whose last byte is a lone first byte loses it too); a shorter text
// that ends in a lone first byte loses that byte; any other text of n bytes or fewer is kept.
std::string_view cutBytes(std::string_view text, std::size_t n);

// A fixed-width text field of the survey's files: the text cut to `width` bytes as above,
// followed by `spaces` spaces, all cut to `width` bytes (only the padding is cut off).
std::string paddedField(std::string_view text, std::size_t spaces, std::size_t width);

// Where the first occurrence of word (whole characters) in text starts at a character
// boundary; npos when there is none. A byte search would also find the word across two
// characters, e.g. "\" in the second byte of 表 (0x95 0x5C).
std::size_t find(std::string_view text, std::string_view word);
inline bool contains(std::string_view text, std::string_view word) {
    return find(text, word) != std::string_view::npos;
}
// Whether a file name read from a Shift-JIS file holds a folder: a '/' or '\' character.
bool hasPathSeparator(std::string_view name);

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
