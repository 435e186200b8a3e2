#include "model/text_file.h"

#include "model/paths.h"
#include "model/vev_error.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vev {

namespace {
QString nativeName(const std::string& path) {
    return paths::toQString(path);
}

// The errno that the last failed call left, or a plain I/O error when Qt hid it.
int lastSystemError() {
    return errno != 0 ? errno : EIO;
}
} // namespace

TextFileWriter::TextFileWriter(std::string path) : path_(std::move(path)) {}

void TextFileWriter::line(std::string_view bytes) {
    contents_.append(bytes);
    contents_.append("\r\n");
}

void TextFileWriter::raw(std::string_view bytes) {
    contents_.append(bytes);
}

void TextFileWriter::commit() {
    if (path_.empty()) throwIoError(ENOENT);
    const QString name = nativeName(path_);
    // QSaveFile refuses a folder in place of the file without leaving an errno behind.
    if (QFileInfo(name).isDir()) throwIoError(EISDIR);
    QSaveFile file(name);
    // Unbuffered: a buffered QSaveFile flushes inside commit() and, on this Qt, does not report a
    // failed flush there, so a cut-off file could replace the good one. Every write is checked
    // here instead; a short write is retried so that the system's error number comes out.
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) throwIoError(lastSystemError());
    const char* data = contents_.data();
    const auto size = static_cast<qint64>(contents_.size());
    qint64 done = 0;
    while (done < size) {
        errno = 0;
        const qint64 written = file.write(data + done, size - done);
        if (written <= 0) {
            const int error = lastSystemError();
            file.cancelWriting();
            throwIoError(error);
        }
        done += written;
    }
    errno = 0;
    if (!file.commit()) throwIoError(lastSystemError());
}

void writeTextFile(const std::string& path, std::string_view contents) {
    TextFileWriter writer(path);
    writer.raw(contents);
    writer.commit();
}

void writeOutputFile(const std::string& path, std::string_view contents) {
    try {
        writeTextFile(path, contents);
    } catch (const VevError& failure) {
        rethrowWithPath(failure, "書き込めません", path);
    }
}

namespace {

// A file written beside target under a name of its own; removed again unless kept.
struct StagedFile {
    std::string target;
    QString staged;
    QString previous; // where the target's old file waits while the new one goes in
};

QString besideName(const QString& target, const char* kind) {
    const QFileInfo info(target);
    QString name;
    for (int n = 0;; ++n) {
        name = info.absolutePath() + QStringLiteral("/.") + info.fileName() + QLatin1String(kind) +
               QString::number(n);
        if (!QFileInfo::exists(name)) return name;
    }
}

int renameFile(const QString& from, const QString& to) {
    errno = 0;
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0
               ? 0
               : lastSystemError();
}

} // namespace

void writeOutputFiles(const std::vector<OutputFile>& files) {
    std::vector<StagedFile> staged;
    const auto removeStaged = [&staged] {
        for (const StagedFile& f : staged) QFile::remove(f.staged);
    };
    for (const OutputFile& file : files) {
        const QString target = nativeName(file.path);
        StagedFile f{file.path, besideName(target, ".new"), {}};
        try {
            if (QFileInfo(target).isDir()) throwIoError(EISDIR);
            writeTextFile(paths::fromQString(f.staged), file.contents);
        } catch (const VevError& failure) {
            removeStaged();
            rethrowWithPath(failure, "書き込めません", file.path);
        }
        staged.push_back(f);
    }
    // Every new file is on disk: the old ones step aside, the new ones take their names.
    std::size_t done = 0;
    int error = 0;
    for (; done < staged.size() && error == 0; ++done) {
        StagedFile& f = staged[done];
        const QString target = nativeName(f.target);
        if (QFileInfo::exists(target)) {
            f.previous = besideName(target, ".old");
            if ((error = renameFile(target, f.previous)) != 0) {
                f.previous.clear();
                break;
            }
        }
        if ((error = renameFile(f.staged, target)) != 0) break;
    }
    if (error == 0) {
        for (const StagedFile& f : staged)
            if (!f.previous.isEmpty()) QFile::remove(f.previous);
        return;
    }
    // Back as it was: the replaced files get their old contents again.
    const std::string failed = staged[std::min(done, staged.size() - 1)].target;
    for (std::size_t i = 0; i <= done && i < staged.size(); ++i) {
        const StagedFile& f = staged[i];
        if (f.previous.isEmpty()) {
            if (i < done) QFile::remove(nativeName(f.target));
        } else {
            QFile::remove(nativeName(f.target));
            renameFile(f.previous, nativeName(f.target));
        }
    }
    removeStaged();
    throw VevError(fileFailureText("書き込めません", failed, error), error);
}

// The system's own calls: a survey opens with its forty linked tally files, and QFile adds a
// status query or two to every open and read.
TextFileReader::TextFileReader(const std::string& path)
    : TextFileReader(::open(path.c_str(), O_RDONLY | O_CLOEXEC), nullptr) {}

std::optional<TextFileReader> TextFileReader::ofRegularFile(const std::string& path) {
    // Without waiting for a writer, should a pipe have the name.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    struct stat status {};
    if (fd < 0) {
        // A file that is there but cannot be opened is a failure, not a missing file.
        const int error = lastSystemError();
        if (::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) throwIoError(error);
        return std::nullopt;
    }
    bool regular = false;
    TextFileReader reader(fd, &regular);
    if (!regular) return std::nullopt;
    return reader;
}

TextFileReader::TextFileReader(int fd, bool* regularOnly) {
    if (fd < 0) throwIoError(lastSystemError());
    const auto fail = [fd] {
        const int error = lastSystemError();
        ::close(fd);
        throwIoError(error);
    };
    struct stat status {};
    if (::fstat(fd, &status) != 0) fail();
    if (regularOnly) {
        *regularOnly = S_ISREG(status.st_mode);
        if (!*regularOnly) {
            ::close(fd);
            return;
        }
    }
    if (S_ISDIR(status.st_mode)) {
        errno = EISDIR;
        fail();
    }
    // The size is a first guess: a file that grows while it is read is read to its end. A
    // regular file of a known size that gives less than was asked for has ended; the system's
    // own files say 0 and come a page at a time.
    data_.resize(static_cast<std::size_t>(std::max<off_t>(status.st_size, 0)) + 1);
    std::size_t size = 0;
    for (;;) {
        if (size == data_.size()) data_.resize(data_.size() * 2);
        const std::size_t asked = data_.size() - size;
        const ssize_t got = ::read(fd, data_.data() + size, asked);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail();
        size += static_cast<std::size_t>(got);
        if (got == 0 || (S_ISREG(status.st_mode) && status.st_size > 0 &&
                         static_cast<std::size_t>(got) < asked))
            break;
    }
    ::close(fd);
    data_.resize(size);
}

std::string_view TextFileReader::readLine() {
    if (atEnd()) return {};
    std::size_t end = data_.find('\n', pos_);
    std::size_t next = end == std::string::npos ? data_.size() : end + 1;
    if (end == std::string::npos) end = data_.size();
    std::size_t stop = end;
    if (end != data_.size() && stop > pos_ && data_[stop - 1] == '\r') --stop;
    const std::string_view text = std::string_view(data_).substr(pos_, stop - pos_);
    pos_ = next;
    return text;
}

} // namespace vev
