#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vev {

// The one failure of the core (its text is UTF-8): an input/output error, a number that does not
// convert, or a command refused with a message for the operator. It carries the text of the general
// error report ("File not found", "'x' is not a valid integer value", ...). The window shows it in
// the error box with a full stop added; the command that raised it ends where it was.
class VevError : public std::runtime_error {
public:
    explicit VevError(const std::string& text) : std::runtime_error(text) {}
};

// The report text for a system error number (errno), as the classic run-time library names
// its input/output errors.
std::string ioErrorText(int systemError);
[[noreturn]] void throwIoError(int systemError);
// "'<text>' is not a valid integer value"; the text is Shift-JIS bytes, the message UTF-8.
[[noreturn]] void throwConversionError(std::string_view text);
// The text with a full stop added when it does not end in one (".", or "。" for Japanese).
std::string withFullStop(std::string text);

} // namespace vev
