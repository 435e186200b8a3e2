#include "survey/open_survey.h"

#include "editor/clear_document.h"
#include "editor/questionnaire_apply.h"
#include "model/data_file.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "results/results_file.h"
#include "survey/answer_undo.h"
#include "survey/journal_recovery.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

#include <algorithm>

namespace vev {

OpenSurvey::OpenSurvey(SurveyDocument& doc, Platform& platform, SurveyView& view)
    : doc_(doc), platform_(platform), view_(view) {
    static int windows = 0;
    windowNumber_ = ++windows;
    journalTimer_.setSingleShot(true);
    journalTimer_.setInterval(2000);
    QObject::connect(&journalTimer_, &QTimer::timeout, &journalTimer_, [this] { flushJournal(); });
}

OpenSurvey::~OpenSurvey() = default;

// ---------------------------------------------------------------------------------------------
// File commands and the save prompt

void OpenSurvey::New1Click(const std::function<void()>& clearAll) {
    SurveyDocument& doc = doc_;
    if (doc.Modified) {
        if (!hozonsyori()) return;
    } else if (doc.questionnaireLoaded()) {
        clearAll();
        if (doc.questionnaireLoaded()) return; // the operator declined
    }
    vev::NewDocument(doc);
    doc.ReadOnly = false;
    const std::string journalPath = untitledJournalPath(windowNumber_);
    lock_.take(journalPath); // marks the journal as a live window's: never offered for recovery
    journal_.start(journalPath, Questionnaire::of(doc));
    journaledCount_ = doc.RespondentCount;
    undo_.clear();
    view_.showNewSurvey();
}

void OpenSurvey::openAtStart(const QStringList& arguments) {
    SurveyDocument& doc = doc_;
    doc.CurrentQuestion = 1;
    doc.CurrentRespondent = 1;
    doc.RespondentCount = 0;
    doc.LinkedTallyFileCount = 0;
    doc.Modified = false;
    doc.DataFilePath.clear();
    if (!arguments.isEmpty()) doc.OpenRequestPath = paths::fromQString(arguments.first());
    if (!QFileInfo(paths::toQString(doc.OpenRequestPath)).isFile()) doc.OpenRequestPath = "vev.dat";
    if (QFileInfo(paths::toQString(doc.OpenRequestPath)).isFile()) Loaddatafile();
    if (!recovered_) recoverUntitled(true);
}

void OpenSurvey::Recover1Click() {
    recoverUntitled(false);
}

bool OpenSurvey::recoverUntitled(bool quietWhenNone) {
    bool offered = false;
    for (const std::string& path : untitledJournals()) {
        FileLock lock;
        if (!lock.take(path)) continue; // a live window's, in this program or another
        const JournalContents journal = readJournal(path);
        if (journal.records.empty()) {
            // Nothing whole after the header: an empty one goes, anything else is kept aside.
            if (journal.cut() || journal.readError != 0)
                setAside(path);
            else
                ::unlink(path.c_str());
            continue;
        }
        offered = true;
        const Platform::Answer answer = platform_.messageBox(
            view_.dialogParent(), QString::fromUtf8("復元確認"),
            QString::fromUtf8("保存されていない新規作成のアンケートの入力が見つかりました。"
                              "復元しますか？"),
            Platform::Icon::Question, Platform::Buttons::YesNo);
        if (answer != Platform::Answer::Yes) {
            setAside(path);
            continue;
        }
        if (doc_.Modified && !hozonsyori()) return false;
        // Rebuilt as New leaves a survey, then the journal on top: untitled and modified.
        closeJournal();
        vev::NewDocument(doc_);
        doc_.ReadOnly = false;
        proposedDataFile_.clear();
        if (journal.base.QuestionCount > 0) applyQuestionnaire(doc_, journal.base, view_);
        replayJournal(doc_, journal.records, view_);
        doc_.Modified = true;
        lock_ = std::move(lock);
        std::string copy; // the cut tail goes with resume: a copy keeps it
        if (journal.cut()) {
            copy = asidePath(path, QDateTime::currentDateTime());
            if (!QFile::copy(paths::toQString(path), paths::toQString(copy))) copy = path;
        }
        journal_.resume(path, journal.base, journal.wholeEnd);
        journaledCount_ = doc_.RespondentCount;
        undo_.clear();
        view_.showReplayedSurvey();
        if (!copy.empty())
            view_.notice(journal.unread > 1
                             ? journalDamagedMessage(static_cast<int>(journal.records.size()),
                                                     journal.unread, copy)
                             : journalCutMessage(copy));
        return true;
    }
    if (!offered && !quietWhenNone) view_.notice(QString::fromUtf8("復元できる入力はありません。"));
    return false;
}

void OpenSurvey::Open1Click() {
    if (doc_.Modified && !hozonsyori()) return;
    Platform::FileDialog dialog = Platform::dataFileDialog("アンケートファイルを開く");
    const QStringList files = platform_.chooseOpenFiles(view_.dialogParent(), dialog);
    if (files.isEmpty()) return;
    doc_.OpenRequestPath = paths::fromQString(files.first());
    Loaddatafile();
    view_.focusCurrentQuestion();
}

void OpenSurvey::openDropped(const QStringList& files) {
    // A drop replaces the survey as Open does, so it asks the same question first.
    if (doc_.Modified && !hozonsyori()) return;
    if (files.size() > 1)
        view_.notice(QString::fromUtf8("ドロップで読み込むファイルは１つだけです。"));
    doc_.OpenRequestPath = paths::fromQString(QFileInfo(files.first()).absoluteFilePath());
    Loaddatafile();
    view_.focusCurrentQuestion();
}

Platform::Answer OpenSurvey::askToSave(const char* utf8Question, Platform::Icon icon) {
    return platform_.messageBox(view_.dialogParent(), QString::fromUtf8("保存確認"),
                                QString::fromUtf8("データが変更されています。") +
                                    QString::fromUtf8(utf8Question),
                                icon, Platform::Buttons::YesNoCancel);
}

bool OpenSurvey::FormCloseQuery() {
    if (!mayClose()) return false;
    lock_.release();
    return true;
}

bool OpenSurvey::mayClose() {
    if (!doc_.Modified) {
        discardJournal();
        return true;
    }
    if (!hasDataFile()) return hozonsyori();
    switch (askToSave("上書きしますか？", Platform::Icon::Warning)) {
    case Platform::Answer::Yes:
        hozon();
        return true;
    case Platform::Answer::No:
        discardJournal();
        return true;
    default:
        return false;
    }
}

bool OpenSurvey::hozonsyori() {
    switch (askToSave("保存しますか？", Platform::Icon::Question)) {
    case Platform::Answer::Yes:
        SaveAs1Click();
        return doc_.LastOperationSucceeded;
    case Platform::Answer::No:
        discardJournal();
        return true;
    default:
        return false;
    }
}

bool OpenSurvey::hasDataFile() const {
    return savesInPlace(doc_, proposedDataFile_);
}

// Only a file chosen in the save dialog or loaded is saved in place; the name Save As proposed
// for a survey never saved is relative to whatever folder a dialog last moved to.
void OpenSurvey::Save1Click() {
    if (!hasDataFile() || doc_.ReadOnly) return SaveAs1Click(); // never over a file another holds
    hozon();
}

void OpenSurvey::SaveAs1Click() {
    SurveyDocument& doc = doc_;
    doc.LastOperationSucceeded = false;
    if (doc.DataFilePath.empty()) {
        doc.DataFilePath = doc.ResultsFilePath.empty()
                               ? sjis::toNativePath(doc.SurveyTitle.view()) + ".dat"
                               : paths::withExtension(doc.ResultsFilePath, ".dat");
        proposedDataFile_ = doc.DataFilePath;
    }
    Platform::FileDialog dialog = Platform::dataFileDialog("アンケートに名前をつけて保存");
    dialog.fileName = paths::toQString(doc.DataFilePath);
    const QString file = platform_.chooseSaveFile(view_.dialogParent(), dialog);
    if (file.isEmpty()) return;
    const std::string chosen = paths::fromQString(file);
    if (!(lock_.held() && lockPathFor(lock_.file()) == lockPathFor(chosen))) {
        FileLock lock;
        if (!lock.take(chosen)) {
            platform_.positionedMessage(view_.dialogParent(), lockedMessage(chosen, lock.holder()));
            return;
        }
        lock_ = std::move(lock);
    }
    doc.ReadOnly = false;
    doc.DataFilePath = chosen;
    hozon();
    proposedDataFile_.clear();
    doc.LastOperationSucceeded = true;
    view_.setCaption(QStringLiteral("VEV - ") +
                     paths::toQString(paths::folderPart(doc.DataFilePath)));
    view_.setFileLine(QString::fromUtf8("ファイル：") +
                      paths::toQString(paths::fileNamePart(doc.DataFilePath)));
}

void OpenSurvey::Loaddatafile() {
    const bool hadQuestionnaire = doc_.questionnaireLoaded();
    const int previousRows = std::min(doc_.QuestionCount, MaxQuestions);
    // The window reopening its own file keeps its lock.
    const bool ownFile =
        lock_.held() && lockPathFor(lock_.file()) == lockPathFor(doc_.OpenRequestPath);
    FileLock lock;
    bool readOnly = false;
    if (!ownFile && !lock.take(doc_.OpenRequestPath)) {
        if (!askReadOnly(lock)) return;
        readOnly = true;
    }
    if (vev::Loaddatafile(doc_, view_) != LoadOutcome::Loaded) return;
    closeJournal();                        // the previous survey's journal stays where it is
    if (!ownFile) lock_ = std::move(lock); // the previous survey's lock goes
    doc_.ReadOnly = readOnly;
    proposedDataFile_.clear();
    view_.showLoadedSurvey(hadQuestionnaire, previousRows);
    if (readOnly) {
        // The journal belongs to the window holding the file.
        undo_.clear();
        journal_.detach();
        return;
    }
    recoverJournalAfterLoad();
}

QString lockedMessage(const std::string& file, const QString& holder) {
    return QString::fromUtf8("このファイルは別のウィンドウで開かれています。") + QLatin1Char('\n') +
           holder + QLatin1Char('\n') + paths::toQString(file);
}

bool OpenSurvey::askReadOnly(const FileLock& refused) {
    const Platform::Answer answer = platform_.messageBox(
        view_.dialogParent(), QStringLiteral("VEV"),
        lockedMessage(doc_.OpenRequestPath, refused.holder()) + QLatin1Char('\n') +
            QString::fromUtf8("読み取り専用で開きますか？"),
        Platform::Icon::Warning, Platform::Buttons::ReadOnlyCancel);
    return answer == Platform::Answer::ReadOnly;
}

void OpenSurvey::hozon() {
    vev::hozon(doc_, platform_.shortDate());
    journalSaved();
}

// ---------------------------------------------------------------------------------------------
// Undo

// One step per recorded answer; a pending multi-select entry must be confirmed first.
void OpenSurvey::Undo1Click() {
    if (doc_.EntryPending || !undo_.canUndo()) return view_.informationBeep();
    undo_.undo();
}

void OpenSurvey::Redo1Click() {
    if (doc_.EntryPending || !undo_.canRedo()) return view_.informationBeep();
    undo_.redo();
}

void OpenSurvey::answerRecorded(const RecordedAnswer& change) {
    const int r = change.respondent;
    const int q = change.question;
    // A completeness check before the recording may have lowered the count.
    if (change.countBefore != journaledCount_) {
        journal(JournalRecord::respondentCount(change.countBefore));
        journaledCount_ = change.countBefore;
    }
    journal(JournalRecord::answer(doc_, r, q));
    journaledCount_ = doc_.RespondentCount;
    pushRecordedAnswer(
        undo_, doc_, r, q, change.before.view(), change.countBefore,
        [this](int respondent, int question) { answerUndone(respondent, question); });
}

void OpenSurvey::answerUndone(int respondent, int question) {
    const int count = doc_.RespondentCount;
    view_.showRespondent(respondent, question);
    view_.tallyChanged(question);
    journal(JournalRecord::answer(doc_, respondent, question));
    journal(JournalRecord::respondentCount(count));
    journaledCount_ = count;
}

// ---------------------------------------------------------------------------------------------
// The recovery journal

// The other changes a data file carries end the undo history: its steps would undo answers
// under a questionnaire, a tally or links that are no longer there.
void OpenSurvey::applied() {
    journal(JournalRecord::apply(doc_));
    journaledCount_ = doc_.RespondentCount;
    undo_.clear();
}

void OpenSurvey::linked(const std::string& path) {
    journal(JournalRecord::link(path));
    undo_.clear();
}

void OpenSurvey::unlinked(const std::string& path) {
    journal(JournalRecord::unlink(path));
    undo_.clear();
}

void OpenSurvey::dataLinked(const std::string& path) {
    journal(JournalRecord::linkData(path));
    undo_.clear();
}

void OpenSurvey::dataUnlinked(const std::string& path) {
    journal(JournalRecord::unlinkData(path));
    undo_.clear();
}

void OpenSurvey::cleared(bool all) {
    journal(all ? JournalRecord::clearAll() : JournalRecord::clearAnswers());
    journaledCount_ = doc_.RespondentCount;
    undo_.clear();
    if (all) surveyCleared();
}

void OpenSurvey::journal(const JournalRecord& record) {
    journal_.append(record);
    reportJournalFailure(journal_, platform_, view_.dialogParent());
    if (!journalTimer_.isActive()) journalTimer_.start();
}

// Navigation and undo change the count without recording an answer; it goes in first.
void OpenSurvey::flushJournal() {
    if (doc_.RespondentCount != journaledCount_) {
        journal(JournalRecord::respondentCount(doc_.RespondentCount));
        journaledCount_ = doc_.RespondentCount;
    }
    journalTimer_.stop();
    journal_.flushSoon();
    reportJournalFailure(journal_, platform_, view_.dialogParent());
}

void OpenSurvey::closeJournal() {
    journalTimer_.stop();
    journal_.close();
}

void OpenSurvey::discardJournal() {
    journalTimer_.stop();
    journal_.remove();
}

// The whole survey left the window and nothing more can be saved to its data file: its journal
// is kept aside (it may hold answers never saved) and not offered again at the next load.
void OpenSurvey::surveyCleared() {
    const std::string path = journal_.path();
    closeJournal();
    if (!path.empty() && QFileInfo::exists(paths::toQString(path))) setAside(path);
}

void OpenSurvey::journalSaved() {
    discardJournal();
    journal_.start(journalPathFor(doc_.DataFilePath), Questionnaire::of(doc_),
                   stampOf(doc_.DataFilePath));
    journaledCount_ = doc_.RespondentCount;
}

// Right after a load: a journal left by a session that ended without saving is offered back.
void OpenSurvey::recoverJournalAfterLoad() {
    undo_.clear();
    const std::string path = journalPathFor(doc_.DataFilePath);
    const RecoveryResult result =
        recoverJournal(doc_, platform_, view_.dialogParent(), view_, path);
    recovered_ = result.outcome == RecoveryOutcome::Replayed;
    if (recovered_) {
        journal_.resume(path, result.contents.base, result.contents.wholeEnd);
        view_.showReplayedSurvey(); // the questionnaire, the counts and the links may differ
    } else {
        journal_.start(path, Questionnaire::of(doc_), stampOf(doc_.DataFilePath));
    }
    journaledCount_ = doc_.RespondentCount;
}

} // namespace vev
