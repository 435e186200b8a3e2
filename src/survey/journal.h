#pragma once

#include "model/core_events.h"
#include "model/questionnaire.h"
#include "model/survey_document.h"

#include <QDateTime>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The recovery journal: every change of the document that the data file would carry is
// appended to a small file beside the data file as soon as it is made, so that a crash loses
// nothing typed since the last save. A successful save removes the journal; opening a survey
// whose journal exists offers to replay it.
//
// File format (binary, little-endian, append-only). The file is a sequence of records:
//
//   offset 0     2 bytes  'V' 'J'            marker of a record
//   offset 2     4 bytes  n                  length of the body (kind byte included), 1..1 MiB
//   offset 6     n bytes  kind, then fields  the record body
//   offset 6+n   4 bytes  CRC-32 (IEEE)      of the length and the body (bytes 2 .. 6+n-1)
//
// A record is whole when its marker, length, body and checksum are all there and agree; a
// crash during an append leaves a last record that is not whole, and reading stops before it.
// Fields inside a body: u8, u16 (LE), short text (u8 length + bytes), long text (u32 length +
// bytes). Texts are the document's bytes (Shift-JIS texts, native paths).
//
//   Header (always the first record):  u8 format version, then (version 2 only) the data file
//                                      as it was when the journal began: u64 size, i64
//                                      modification time (ms since 1970 UTC), u32 CRC-32 of its
//                                      bytes; then the questionnaire the data file held. Version 1
//                                      (a survey without a data file, or an older journal) is
//                                      bound to no file.
//   Answer:           u16 respondent, u8 question, short text: the stored answer after recording
//                     (empty: an undo returned the cell to never recorded)
//   Apply:            the whole new questionnaire
//   Link, Unlink:     long text: the tally file's full path
//   ClearAnswers, ClearAll: no fields
//   RespondentCount:  u16: RespondentCount after the completeness check lowered it
//   LinkData, UnlinkData: long text: the linked data file's full path
//   A questionnaire:  short text title, u8 QuestionCount, then for q = 1..40: short text
//                     QuestionText[q], u8 ChoiceCount[q], u8 MultiSelect[q]
namespace vev {

enum class JournalKind : std::uint8_t {
    Header = 1,
    Answer = 2,
    Apply = 3,
    Link = 4,
    Unlink = 5,
    ClearAnswers = 6,
    ClearAll = 7,
    RespondentCount = 8,
    LinkData = 9,
    UnlinkData = 10,
};

// What a data file was when its journal began; a journal is replayed only onto the same bytes.
struct DataFileStamp {
    bool known = false; // false: the journal is bound to no file
    std::int64_t size = 0;
    std::int64_t modified = 0; // ms since 1970 UTC
    std::uint32_t checksum = 0;
    // The same bytes: a file copied back over a changed one is the file the journal began on.
    bool sameBytes(const DataFileStamp& other) const {
        return known && other.known && size == other.size && checksum == other.checksum;
    }
};
// The file at a native path as it is now (known false when it cannot be read).
DataFileStamp stampOf(const std::string& path);

struct JournalRecord {
    JournalKind kind = JournalKind::Answer;
    int respondent = 0; // Answer
    int question = 0;   // Answer
    int count = 0;      // RespondentCount
    std::string text;   // Answer: the stored answer; the links: the path
    std::shared_ptr<const Questionnaire> questionnaire; // Header, Apply
    DataFileStamp stamp;                                // Header

    // The record of the answer now stored in the cell (r, q).
    static JournalRecord answer(const SurveyDocument& doc, int r, int q);
    static JournalRecord apply(const SurveyDocument& doc); // the document's questionnaire
    static JournalRecord link(const std::string& path);
    static JournalRecord unlink(const std::string& path);
    static JournalRecord linkData(const std::string& path);
    static JournalRecord unlinkData(const std::string& path);
    static JournalRecord clearAnswers();
    static JournalRecord clearAll();
    static JournalRecord respondentCount(int count);
};

// One record framed as it goes into the file.
std::string encodeJournalRecord(const JournalRecord& record);

// What a journal file holds.
struct JournalContents {
    bool exists = false;                // a file was there
    bool hasHeader = false;             // the first record is a whole header
    Questionnaire base;          // the header's questionnaire
    DataFileStamp stamp;                // the header's data file
    std::vector<JournalRecord> records; // the whole records after the header
    std::int64_t wholeEnd = 0;          // offset just after the last whole record (header included)
    std::int64_t size = 0;              // bytes in the file
    int readError = 0;                  // errno when the file exists but cannot be read
    bool unfinishedStart = false;       // empty, or only the beginning of a first record
    // Records after the last whole one that could not be read: the first broken one and every
    // whole record found after it.
    int unread = 0;

    // Bytes after the last whole record: a record cut by a crash, or something unreadable.
    bool cut() const { return size > wholeEnd; }
    bool belongsTo(const SurveyDocument& doc) const { return hasHeader && base.sameAs(doc); }
};

// Reads the journal at a native path: every whole record up to the first that is not.
JournalContents readJournal(const std::string& path);
// The same over bytes in memory.
JournalContents parseJournal(std::string_view bytes);

// Appends records to one journal file. Every append goes to the file at once with one
// write(2); flush() waits until the appended records are on the disk (fdatasync). When the
// journal cannot be created or written (a read-only folder, a full disk) the writer turns Off:
// failedNow() is true exactly once so the window can say so, and every later call does nothing,
// so entry goes on without recovery.
class JournalWriter {
public:
    enum class State {
        Closed, // no journal path
        Armed,  // path and header known; the file is created by the first append
        Open,   // the file is open for appending
        Off,    // a create or write failed; nothing more is written
    };

    JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;
    ~JournalWriter();

    // Begins a new journal at path for a survey whose data file holds the questionnaire `base`.
    // The file appears with the first change, so a survey left unchanged leaves no journal. A
    // file already at path is set aside first (never overwritten).
    // stamp: the data file the journal belongs to (none for a survey without one).
    void start(const std::string& path, const Questionnaire& base, const DataFileStamp& stamp = {});
    // Goes on with the journal at path after it has been replayed: what follows its last whole
    // record (wholeEnd) is cut off and new records are appended after it.
    void resume(const std::string& path, const Questionnaire& base, std::int64_t wholeEnd);

    bool append(const JournalRecord& record); // true when the record reached the file
    bool flush();                             // fdatasync; true when nothing failed
    // Starts the fdatasync on a helper thread and returns at once, so the operator never waits
    // for the disk; the records are in the system's cache already and survive the program's
    // crash, the flush makes them survive a power cut a few milliseconds later. A failure of
    // that flush turns the writer Off at the next call. False when the writer is Off.
    bool flushSoon();
    bool needsFlush() const { return unflushed_; }
    void close(); // closes the file; the journal stays on disk; State Closed
    void detach() { close(); path_.clear(); } // close, and no journal any more: remove() does nothing

    // Deletes the journal file and closes: after a save, or when the operator discards the
    // changes. The writer is Closed afterwards; start() arms it again.
    void remove();

    State state() const { return state_; }
    const std::string& path() const { return path_; }
    // True once, right after the writer turned Off.
    bool failedNow();
    int error() const { return error_; } // errno of the failure

private:
    bool openFile();
    void fail(int error);
    // Closes any journal open and makes `path` the next one, not yet written to.
    void arm(const std::string& path, const Questionnaire& base);

    State state_ = State::Closed;
    std::string path_;
    Questionnaire base_;
    DataFileStamp stamp_;
    int fd_ = -1;
    bool unflushed_ = false;
    bool newFile_ = false; // the folder entry of a just created file is not yet durable
    bool failureShown_ = true;
    int error_ = 0;
    class Flusher;
    std::unique_ptr<Flusher> flusher_;
    bool flusherFailed();
};

// Stores an answer the way the operator's entry did: the respondent is shown first (its empty
// answers become "0", as showing a respondent does), then the old answer of the cell is
// withdrawn with dataDEL and the stored text recorded with dataIN (an empty text leaves the
// cell never recorded). Leaves the cell current.
void replayAnswer(SurveyDocument& doc, int respondent, int question, std::string_view stored);

// Replays records onto the document through the functions the live commands run: an answer
// as above, Apply by applyQuestionnaire, a link by csvRead (a file linked already is skipped),
// an unlink by unlinkTallyFile, a data file's link and unlink by readDataLink/linkDataFile and
// unlinkDataFile (a file that can no longer be linked is reported and left out), the clears by DClear and AClear; events hears what they report.
// Records whose cell is out of range are skipped. Returns the number replayed. Throws VevError
// when a linked file cannot be read.
int replayJournal(SurveyDocument& doc, const std::vector<JournalRecord>& records,
                  CoreEvents& events);

// "<data file>.journal".
std::string journalPathFor(const std::string& dataFilePath);
// The journal of a window whose survey has no data file yet:
// $XDG_STATE_HOME/vev/ (else ~/.local/state/vev/) "untitled-<process id>-<window>.journal".
// The folder is made when missing.
std::string untitledJournalPath(int window);
// The untitled journals in that folder (of live windows too), oldest first.
std::vector<std::string> untitledJournals();
// "<path>.<yyyyMMdd-HHmmss>" at the given time, with "-2", "-3" ... added while that name is
// taken.
std::string asidePath(const std::string& path, const QDateTime& when);
// Renames the file to asidePath(path, now). Returns the new path, or "" when it failed.
std::string setAside(const std::string& path);

} // namespace vev
