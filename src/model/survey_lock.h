#pragma once

#include <QString>

#include <memory>
#include <string>

class QLockFile;

namespace vev {

// The lock of one file a window (or a vev-tally command) writes: a QLockFile "<file>.lock"
// beside it, which names the host and the process holding it. A lock left by a process that no
// longer runs on this host is taken over; one of a live process, here or on another host sharing
// the folder, is not.
class FileLock {
public:
    FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    ~FileLock(); // releases

    // Takes the lock of `file` (any lock held before is released first). False when another
    // holds it; holder() then names the host and the process.
    bool take(const std::string& file);
    void release();
    bool held() const;
    const std::string& file() const { return file_; }
    const QString& holder() const { return holder_; }

private:
    std::unique_ptr<QLockFile> lock_;
    std::string file_;
    QString holder_;
};

// "<file>.lock", absolute, so a later change of the current folder does not lose it.
QString lockPathFor(const std::string& file);

} // namespace vev
