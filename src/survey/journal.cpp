#include "survey/journal.h"

#include "editor/clear_document.h"
#include "editor/questionnaire_apply.h"
#include "model/linked_data.h"
#include "model/paths.h"
#include "model/recording.h"
#include "model/tally_file_reader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vev {

namespace {

constexpr std::uint8_t FormatVersion = 1;      // a header bound to no data file
constexpr std::uint8_t BoundFormatVersion = 2; // a header with the data file's stamp
constexpr std::uint32_t MaxBody = 1u << 20;
constexpr std::size_t FrameBytes = 2 + 4 + 4; // marker, length, checksum

constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> CrcTable = makeCrcTable();

std::uint32_t crc32(std::string_view bytes) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (char b : bytes) c = CrcTable[(c ^ static_cast<std::uint8_t>(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// Body fields.
void putU8(std::string& out, int v) {
    out.push_back(static_cast<char>(v & 0xFF));
}
void putU16(std::string& out, int v) {
    putU8(out, v);
    putU8(out, v >> 8);
}
void putU32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void putShort(std::string& out, std::string_view s) {
    s = s.substr(0, 255);
    putU8(out, static_cast<int>(s.size()));
    out.append(s);
}
void putLong(std::string& out, std::string_view s) {
    putU32(out, static_cast<std::uint32_t>(s.size()));
    out.append(s);
}
void putQuestionnaire(std::string& out, const Questionnaire& qn) {
    putShort(out, qn.SurveyTitle.view());
    putU8(out, qn.QuestionCount);
    for (int q = 1; q <= MaxQuestions; ++q) {
        putShort(out, qn.QuestionText[q].view());
        putU8(out, qn.ChoiceCount[q]);
        putU8(out, qn.MultiSelect[q] ? 1 : 0);
    }
    // The wordings and choice texts follow only when there are any, so the records of a
    // questionnaire without texts keep the bytes they always had.
    if (qn.Texts.empty()) return;
    putU8(out, 1);
    for (int q = 1; q <= MaxQuestions; ++q) {
        putShort(out, qn.Texts.Wording[q].view());
        for (int c = 1; c <= MaxTextChoices; ++c) putShort(out, qn.Texts.Choice[q][c].view());
    }
}

// Reads body fields; any overrun or a value out of range marks the body bad.
class BodyReader {
public:
    explicit BodyReader(std::string_view body) : body_(body) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == body_.size(); }
    int u8() {
        if (pos_ + 1 > body_.size()) return bad();
        return static_cast<std::uint8_t>(body_[pos_++]);
    }
    int u16() {
        const int lo = u8();
        const int hi = u8();
        return lo | (hi << 8);
    }
    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(u8()) << (8 * i);
        return v;
    }
    std::uint64_t u64() {
        const std::uint64_t lo = u32();
        const std::uint64_t hi = u32();
        return lo | hi << 32;
    }
    std::string bytes(std::size_t n) {
        if (!ok_ || n > body_.size() - pos_) {
            bad();
            return {};
        }
        std::string s(body_.substr(pos_, n));
        pos_ += n;
        return s;
    }
    std::string shortText() { return bytes(static_cast<std::size_t>(u8())); }
    std::string longText() { return bytes(u32()); }
    int inRange(int v, int lo, int hi) {
        if (v < lo || v > hi) bad();
        return v;
    }
    int bad() {
        ok_ = false;
        pos_ = body_.size();
        return 0;
    }

private:
    std::string_view body_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

std::shared_ptr<Questionnaire> readQuestionnaire(BodyReader& in) {
    auto qn = std::make_shared<Questionnaire>();
    qn->SurveyTitle = in.shortText();
    qn->QuestionCount = in.inRange(in.u8(), 0, MaxQuestions);
    for (int q = 1; q <= MaxQuestions; ++q) {
        qn->QuestionText[q] = in.shortText();
        qn->ChoiceCount[q] = in.inRange(in.u8(), 0, 9);
        qn->MultiSelect[q] = in.inRange(in.u8(), 0, 1) == 1;
    }
    if (in.atEnd() || in.inRange(in.u8(), 1, 1) != 1) return qn;
    for (int q = 1; q <= MaxQuestions; ++q) {
        qn->Texts.Wording[q] = in.shortText();
        for (int c = 1; c <= MaxTextChoices; ++c) qn->Texts.Choice[q][c] = in.shortText();
    }
    return qn;
}

// A stored answer: digits, or empty for a cell that an undo returned to never recorded.
bool isStoredAnswer(std::string_view s) {
    if (s.size() > AnswerString::capacity()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// The record of one body, or nothing when the body does not decode.
bool decodeBody(std::string_view body, JournalRecord& record) {
    BodyReader in(body);
    const int kind = in.u8();
    record = JournalRecord();
    record.kind = static_cast<JournalKind>(kind);
    switch (record.kind) {
    case JournalKind::Header: {
        const int version = in.u8();
        if (version != FormatVersion && version != BoundFormatVersion) return false;
        if (version == BoundFormatVersion) {
            record.stamp.known = true;
            record.stamp.size = static_cast<std::int64_t>(in.u64());
            record.stamp.modified = static_cast<std::int64_t>(in.u64());
            record.stamp.checksum = in.u32();
        }
        record.questionnaire = readQuestionnaire(in);
    }
        break;
    case JournalKind::Apply:
        record.questionnaire = readQuestionnaire(in);
        break;
    case JournalKind::Answer:
        record.respondent = in.inRange(in.u16(), 1, MaxRespondents);
        record.question = in.inRange(in.u8(), 1, MaxQuestions);
        record.text = in.shortText();
        if (!isStoredAnswer(record.text)) return false;
        break;
    case JournalKind::Link:
    case JournalKind::Unlink:
    case JournalKind::LinkData:
    case JournalKind::UnlinkData:
        record.text = in.longText();
        break;
    case JournalKind::ClearAnswers:
    case JournalKind::ClearAll:
        break;
    case JournalKind::RespondentCount:
        record.count = in.inRange(in.u16(), 0, MaxRespondents);
        break;
    default:
        return false;
    }
    return in.ok() && in.atEnd();
}

std::uint32_t readU32(std::string_view bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[at + i])) << (8 * i);
    return v;
}

// The whole record starting at `at`: its body and the offset after it; false when it is not
// whole.
bool wholeRecordAt(std::string_view bytes, std::size_t at, std::string_view& body,
                   std::size_t& next) {
    if (bytes.size() - at < FrameBytes) return false;
    if (bytes[at] != 'V' || bytes[at + 1] != 'J') return false;
    const std::uint32_t n = readU32(bytes, at + 2);
    if (n < 1 || n > MaxBody || bytes.size() - at - FrameBytes < n) return false;
    if (crc32(bytes.substr(at + 2, 4 + n)) != readU32(bytes, at + 6 + n)) return false;
    body = bytes.substr(at + 6, n);
    next = at + FrameBytes + n;
    return true;
}

// The bytes are the beginning of a record that stops before its end.
bool unfinishedRecord(std::string_view bytes) {
    if (bytes[0] != 'V' || (bytes.size() >= 2 && bytes[1] != 'J')) return false;
    if (bytes.size() < 6) return true;
    const std::uint32_t n = readU32(bytes, 2);
    return n >= 1 && n <= MaxBody && bytes.size() < FrameBytes + n;
}

// Writes all of it, retrying short writes; false with errno set on failure.
bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Makes a new directory entry durable.
void syncFolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

JournalRecord JournalRecord::answer(const SurveyDocument& doc, int r, int q) {
    JournalRecord record;
    record.kind = JournalKind::Answer;
    record.respondent = r;
    record.question = q;
    record.text = std::string(doc.Answers[r][q].view());
    return record;
}

JournalRecord JournalRecord::apply(const SurveyDocument& doc) {
    JournalRecord record;
    record.kind = JournalKind::Apply;
    record.questionnaire = std::make_shared<Questionnaire>(Questionnaire::of(doc));
    return record;
}

JournalRecord JournalRecord::link(const std::string& path) {
    JournalRecord record;
    record.kind = JournalKind::Link;
    record.text = path;
    return record;
}

JournalRecord JournalRecord::unlink(const std::string& path) {
    JournalRecord record = link(path);
    record.kind = JournalKind::Unlink;
    return record;
}

JournalRecord JournalRecord::linkData(const std::string& path) {
    JournalRecord record = link(path);
    record.kind = JournalKind::LinkData;
    return record;
}

JournalRecord JournalRecord::unlinkData(const std::string& path) {
    JournalRecord record = link(path);
    record.kind = JournalKind::UnlinkData;
    return record;
}

JournalRecord JournalRecord::clearAnswers() {
    JournalRecord record;
    record.kind = JournalKind::ClearAnswers;
    return record;
}

JournalRecord JournalRecord::clearAll() {
    JournalRecord record;
    record.kind = JournalKind::ClearAll;
    return record;
}

JournalRecord JournalRecord::respondentCount(int count) {
    JournalRecord record;
    record.kind = JournalKind::RespondentCount;
    record.count = count;
    return record;
}

std::string encodeJournalRecord(const JournalRecord& record) {
    static const Questionnaire noQuestionnaire;
    std::string frame("VJ\0\0\0\0", 6);
    putU8(frame, static_cast<int>(record.kind));
    switch (record.kind) {
    case JournalKind::Header:
        putU8(frame, record.stamp.known ? BoundFormatVersion : FormatVersion);
        if (record.stamp.known) {
            for (const std::int64_t v : {record.stamp.size, record.stamp.modified}) {
                putU32(frame, static_cast<std::uint32_t>(v));
                putU32(frame, static_cast<std::uint32_t>(static_cast<std::uint64_t>(v) >> 32));
            }
            putU32(frame, record.stamp.checksum);
        }
        putQuestionnaire(frame, record.questionnaire ? *record.questionnaire : noQuestionnaire);
        break;
    case JournalKind::Apply:
        putQuestionnaire(frame, record.questionnaire ? *record.questionnaire : noQuestionnaire);
        break;
    case JournalKind::Answer:
        putU16(frame, record.respondent);
        putU8(frame, record.question);
        putShort(frame, record.text);
        break;
    case JournalKind::Link:
    case JournalKind::Unlink:
    case JournalKind::LinkData:
    case JournalKind::UnlinkData:
        putLong(frame, record.text);
        break;
    case JournalKind::ClearAnswers:
    case JournalKind::ClearAll:
        break;
    case JournalKind::RespondentCount:
        putU16(frame, record.count);
        break;
    }
    const auto n = static_cast<std::uint32_t>(frame.size() - 6);
    for (int i = 0; i < 4; ++i) frame[2 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    putU32(frame, crc32(std::string_view(frame).substr(2)));
    return frame;
}

JournalContents parseJournal(std::string_view bytes) {
    JournalContents contents;
    contents.exists = true;
    contents.size = static_cast<std::int64_t>(bytes.size());
    contents.unfinishedStart = bytes.empty() || unfinishedRecord(bytes);
    std::size_t at = 0;
    std::string_view body;
    std::size_t next = 0;
    JournalRecord record;
    if (!wholeRecordAt(bytes, at, body, next) || !decodeBody(body, record) ||
        record.kind != JournalKind::Header)
        return contents;
    contents.hasHeader = true;
    contents.base = *record.questionnaire;
    contents.stamp = record.stamp;
    at = next;
    while (wholeRecordAt(bytes, at, body, next) && decodeBody(body, record) &&
           record.kind != JournalKind::Header) {
        contents.records.push_back(std::move(record));
        at = next;
    }
    contents.wholeEnd = static_cast<std::int64_t>(at);
    // A broken record may have a damaged length, so the whole records after it are found by
    // their markers.
    if (at < bytes.size()) {
        contents.unread = 1;
        for (std::size_t p = at + 1; p + FrameBytes <= bytes.size();) {
            if (wholeRecordAt(bytes, p, body, next)) {
                ++contents.unread;
                p = next;
            } else {
                ++p;
            }
        }
    }
    return contents;
}

JournalContents readJournal(const std::string& path) {
    QFile file(paths::toQString(path));
    JournalContents contents;
    if (!file.exists()) return contents;
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        contents.exists = true;
        contents.readError = errno != 0 ? errno : EIO;
        return contents;
    }
    const QByteArray bytes = file.readAll();
    return parseJournal(
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// One helper thread per open journal that runs fdatasync when asked, so that the window's
// thread never waits for the disk.
class JournalWriter::Flusher {
public:
    Flusher(int fd, std::string path)
        : fd_(fd), path_(std::move(path)), thread_([this] { run(); }) {}
    ~Flusher() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        thread_.join(); // a flush under way ends first
    }
    void request(bool syncFolder) {
        {
            std::lock_guard lock(mutex_);
            requested_ = true;
            syncFolder_ = syncFolder_ || syncFolder;
        }
        wake_.notify_one();
    }
    int error() const { return error_.load(); }

private:
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return requested_ || stop_; });
            if (requested_) {
                requested_ = false;
                const bool syncFolder = std::exchange(syncFolder_, false);
                lock.unlock();
                if (::fdatasync(fd_) != 0 && error_.load() == 0)
                    error_.store(errno != 0 ? errno : EIO);
                if (syncFolder) syncFolderOf(path_);
                lock.lock();
                continue;
            }
            if (stop_) return;
        }
    }

    int fd_;
    std::string path_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool requested_ = false;
    bool syncFolder_ = false;
    bool stop_ = false;
    std::atomic<int> error_{0};
    std::thread thread_;
};

JournalWriter::JournalWriter() = default;

JournalWriter::~JournalWriter() {
    close();
}

bool JournalWriter::flusherFailed() {
    if (!flusher_ || flusher_->error() == 0) return false;
    const int error = flusher_->error();
    fail(error);
    return true;
}

bool JournalWriter::flushSoon() {
    if (flusherFailed()) return false;
    if (state_ != State::Open) return state_ != State::Off;
    if (!unflushed_) return true;
    if (!flusher_) flusher_ = std::make_unique<Flusher>(fd_, path_);
    flusher_->request(std::exchange(newFile_, false));
    unflushed_ = false;
    return true;
}

void JournalWriter::arm(const std::string& path, const Questionnaire& base) {
    close();
    path_ = path;
    base_ = base;
    failureShown_ = true;
    error_ = 0;
    state_ = State::Armed;
}

void JournalWriter::start(const std::string& path, const Questionnaire& base,
                          const DataFileStamp& stamp) {
    arm(path, base);
    stamp_ = stamp;
    if (QFile::exists(paths::toQString(path)) && setAside(path).empty())
        fail(errno != 0 ? errno : EIO);
}

void JournalWriter::resume(const std::string& path, const Questionnaire& base,
                           std::int64_t wholeEnd) {
    arm(path, base);
    stamp_ = {};
    fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd_ < 0 || ::ftruncate(fd_, wholeEnd) != 0) {
        fail(errno);
        return;
    }
    state_ = State::Open;
}

bool JournalWriter::openFile() {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        fail(errno);
        return false;
    }
    JournalRecord header;
    header.kind = JournalKind::Header;
    header.questionnaire = std::make_shared<Questionnaire>(base_);
    header.stamp = stamp_;
    if (!writeAll(fd_, encodeJournalRecord(header))) {
        fail(errno);
        return false;
    }
    // The next flush also makes the new file's name durable.
    newFile_ = true;
    state_ = State::Open;
    return true;
}

bool JournalWriter::append(const JournalRecord& record) {
    if (flusherFailed()) return false;
    if (state_ == State::Armed && !openFile()) return false;
    if (state_ != State::Open) return false;
    if (!writeAll(fd_, encodeJournalRecord(record))) {
        fail(errno);
        return false;
    }
    unflushed_ = true;
    return true;
}

bool JournalWriter::flush() {
    if (flusherFailed()) return false;
    if (state_ != State::Open) return state_ != State::Off;
    if (!unflushed_ && !flusher_) return true; // a flush under way may not have ended yet
    if (::fdatasync(fd_) != 0) {
        fail(errno);
        return false;
    }
    if (std::exchange(newFile_, false)) syncFolderOf(path_);
    unflushed_ = false;
    return true;
}

void JournalWriter::close() {
    flusher_.reset();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    unflushed_ = false;
    newFile_ = false;
    state_ = State::Closed;
}

void JournalWriter::remove() {
    const std::string path = path_;
    close();
    if (!path.empty()) ::unlink(path.c_str());
}

bool JournalWriter::failedNow() {
    if (state_ != State::Off || failureShown_) return false;
    failureShown_ = true;
    return true;
}

void JournalWriter::fail(int error) {
    flusher_.reset();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    unflushed_ = false;
    error_ = error != 0 ? error : EIO;
    state_ = State::Off;
    failureShown_ = false;
}

void replayAnswer(SurveyDocument& doc, int respondent, int question, std::string_view stored) {
    doc.CurrentRespondent = respondent;
    hitoribun(doc);
    doc.CurrentQuestion = question;
    dataDEL(doc);
    if (stored.empty()) {
        doc.Answers[respondent][question].clear(); // withdrawn, nothing to count
        return;
    }
    doc.EntryBuffer = stored;
    dataIN(doc);
}

int replayJournal(SurveyDocument& doc, const std::vector<JournalRecord>& records,
                  CoreEvents& events) {
    int replayed = 0;
    for (const JournalRecord& record : records) {
        bool done = true;
        switch (record.kind) {
        case JournalKind::Answer:
            if (record.respondent < 1 || record.respondent > MaxRespondents ||
                record.question < 1 || record.question > MaxQuestions) {
                done = false;
                break;
            }
            replayAnswer(doc, record.respondent, record.question, record.text);
            break;
        case JournalKind::RespondentCount:
            doc.RespondentCount = record.count;
            break;
        case JournalKind::Apply:
            if ((done = bool(record.questionnaire)))
                applyQuestionnaire(doc, *record.questionnaire, events);
            break;
        case JournalKind::Link:
            // Linked already: the journal of a load that linked it again must not count it twice.
            if (isLinkedTallyFile(doc, record.text)) break;
            doc.CurrentTallyFilePath = record.text;
            csvRead(doc, events);
            break;
        case JournalKind::Unlink:
            unlinkTallyFile(doc, record.text, events);
            break;
        case JournalKind::LinkData: {
            // Linked already (a load linked it again): nothing more; gone or changed: said.
            DataLinkCandidate candidate = readDataLink(doc, record.text);
            if (candidate.Refusal == DataLinkRefusal::None)
                linkDataFile(doc, std::move(candidate.Link), events);
            else if (candidate.Refusal != DataLinkRefusal::AlreadyLinked)
                events.notice(candidate.Message);
            break;
        }
        case JournalKind::UnlinkData:
            unlinkDataFile(doc, record.text, events);
            break;
        case JournalKind::ClearAnswers:
            DClear(doc);
            break;
        case JournalKind::ClearAll:
            AClear(doc);
            break;
        case JournalKind::Header:
            done = false;
            break;
        }
        if (done) ++replayed;
    }
    return replayed;
}

std::string journalPathFor(const std::string& dataFilePath) {
    return dataFilePath + ".journal";
}

namespace {

QString stateFolder() {
    QString folder;
    const QByteArray state = qgetenv("XDG_STATE_HOME");
    // Only an absolute XDG_STATE_HOME counts; a relative one is to be ignored.
    if (!state.isEmpty() && state.startsWith('/'))
        folder = QFile::decodeName(state) + QStringLiteral("/vev");
    else
        folder = QDir::homePath() + QStringLiteral("/.local/state/vev");
    QDir().mkpath(folder);
    return folder;
}

} // namespace

DataFileStamp stampOf(const std::string& path) {
    DataFileStamp stamp;
    QFile file(paths::toQString(path));
    if (!file.open(QIODevice::ReadOnly)) return stamp;
    const QByteArray bytes = file.readAll();
    stamp.known = true;
    stamp.size = bytes.size();
    stamp.modified = QFileInfo(file).lastModified().toMSecsSinceEpoch();
    stamp.checksum =
        crc32(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return stamp;
}

std::vector<std::string> untitledJournals() {
    std::vector<std::string> found;
    const QDir folder(stateFolder());
    for (const QString& name :
         folder.entryList({QStringLiteral("untitled-*.journal")}, QDir::Files, QDir::Time | QDir::Reversed))
        found.push_back(paths::fromQString(folder.filePath(name)));
    return found;
}

std::string untitledJournalPath(int window) {
    const QString folder = stateFolder();
    const QString name = QStringLiteral("/untitled-%1-%2.journal")
                             .arg(QString::number(::getpid()), QString::number(window));
    return paths::fromQString(folder + name);
}

std::string asidePath(const std::string& path, const QDateTime& when) {
    const std::string stem =
        path + "." + when.toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
    std::string candidate = stem;
    for (int n = 2; QFile::exists(paths::toQString(candidate)); ++n)
        candidate = stem + "-" + std::to_string(n);
    return candidate;
}

std::string setAside(const std::string& path) {
    const std::string target = asidePath(path, QDateTime::currentDateTime());
    errno = 0;
    if (::rename(path.c_str(), target.c_str()) != 0) return {};
    return target;
}

} // namespace vev
