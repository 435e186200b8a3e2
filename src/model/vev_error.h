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
    explicit VevError(const std::string& text, int systemError = 0)
        : std::runtime_error(text), systemError_(systemError) {}
    // The errno of an input/output failure, 0 for any other failure.
    int systemError() const { return systemError_; }

private:
    int systemError_;
};

// The report text for a system error number (errno), as the classic run-time library names
// its input/output errors.
std::string ioErrorText(int systemError);
[[noreturn]] void throwIoError(int systemError);
// "'<text>' is not a valid integer value"; the text is Shift-JIS bytes, the message UTF-8.
[[noreturn]] void throwConversionError(std::string_view text);
// The Japanese report of a file that could not be read or written, for the outputs whose
// messages are not the general error report's: "<what>：<path>（<reason>）", e.g.
// "書き込めません：/tmp/x.csv（フォルダが見つかりません）". what says what could not be done.
std::string fileFailureText(std::string_view what, const std::string& path, int systemError);
// Raises that text when failure is an input/output failure, failure itself otherwise.
[[noreturn]] void rethrowWithPath(const VevError& failure, std::string_view what,
                                  const std::string& path);

// The text with a full stop added when it does not end in one (".", or "。" after Japanese).
std::string withFullStop(std::string text);

} // namespace vev
