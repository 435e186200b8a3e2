#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vev {

// Writes a Shift-JIS text file with CR LF line ends, atomically: the whole file is built in
// memory, written beside the target and put in its place only when every byte is on disk.
// A failure leaves the previous file untouched and raises VevError with the system's text.
class TextFileWriter {
public:
    explicit TextFileWriter(std::string path); // native path
    void line(std::string_view bytes);         // the bytes and CR LF
    void raw(std::string_view bytes);          // the bytes alone
    const std::string& contents() const { return contents_; }
    void commit(); // throws VevError

private:
    std::string path_;
    std::string contents_;
};

// Writes the whole file at once through TextFileWriter (atomic; throws VevError).
void writeTextFile(const std::string& path, std::string_view contents);

// Writes like writeTextFile, for the outputs whose failures are reported in Japanese with the
// path ("書き込めません：<path>（<reason>）") rather than by the general error report's text.
void writeOutputFile(const std::string& path, std::string_view contents);

// Writes several files that belong together (an export and its codebook) all or none: each is
// written in full to a temporary file beside its target, then the targets are replaced one
// after the other, and a failure at any step puts back the files that were there before and
// removes the temporary ones. Failures are reported as writeOutputFile reports them.
struct OutputFile {
    std::string path; // native
    std::string contents;
};
void writeOutputFiles(const std::vector<OutputFile>& files);

// Reads a text file line by line. A line ends at CR LF or at LF alone; a CR elsewhere stays in
// the line. Reading after the end gives empty lines, as the classic readers did. A line is a view
// of the reader's copy of the file, valid as long as the reader.
class TextFileReader {
public:
    explicit TextFileReader(const std::string& path); // throws VevError when it cannot be read
    // The reader of path when a regular file is there; nothing when nothing is, or a folder or
    // some other kind of file. Throws VevError when the file is there but cannot be read.
    static std::optional<TextFileReader> ofRegularFile(const std::string& path);
    std::string_view readLine();
    bool atEnd() const { return pos_ >= data_.size(); }

private:
    // Reads the open file fd and closes it; with regularOnly, only a regular file, and
    // *regularOnly says whether it was one.
    TextFileReader(int fd, bool* regularOnly);
    std::string data_;
    std::size_t pos_ = 0;
};

} // namespace vev
