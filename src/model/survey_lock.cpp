#include "model/survey_lock.h"

#include "model/paths.h"

#include <QFileInfo>
#include <QLockFile>

namespace vev {

QString lockPathFor(const std::string& file) {
    return QFileInfo(paths::toQString(file)).absoluteFilePath() + QStringLiteral(".lock");
}

FileLock::FileLock() = default;
FileLock::FileLock(FileLock&& other) noexcept = default;
FileLock& FileLock::operator=(FileLock&& other) noexcept = default;
FileLock::~FileLock() = default;

bool FileLock::take(const std::string& file) {
    release();
    auto lock = std::make_unique<QLockFile>(lockPathFor(file));
    // Never stale by age: only a dead holder on this host gives the lock up (tryLock checks it).
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
        file_ = file;
        holder_.clear();
        return true;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock->getLockInfo(&pid, &host, &application))
        holder_ = QString::fromUtf8("ホスト %1、プロセス %2").arg(host, QString::number(pid));
    else
        holder_ = QString::fromUtf8("（不明）");
    return false;
}

void FileLock::release() {
    lock_.reset(); // QLockFile's destructor unlocks
    file_.clear();
}

bool FileLock::held() const {
    return lock_ != nullptr;
}

} // namespace vev
