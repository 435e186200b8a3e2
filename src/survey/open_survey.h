#pragma once

#include "keying/answer_entry.h"
#include "model/survey_document.h"
#include "model/survey_lock.h"
#include "platform/platform.h"
#include "platform/survey_view.h"
#include "survey/journal.h"

#include <QStringList>
#include <QTimer>
#include <QUndoStack>

#include <functional>
#include <string>

namespace vev {

// The life of the survey open in a window: New, Open, drop, Save, Save As and close with the one
// save prompt; the recovery journal beside the data file (the writer, its 2-second flush, the
// sync points, start/remove/set-aside around every file command, the recovery prompt and the
// replay after a load); the undo stack of recorded answers. The window forwards its File menu,
// Undo/Redo, the closing and the recording gate here and shows what changed through SurveyView.
// "このファイルは別のウィンドウで開かれています。", then who holds it and the file.
QString lockedMessage(const std::string& file, const QString& holder);

class OpenSurvey {
public:
    OpenSurvey(SurveyDocument& doc, Platform& platform, SurveyView& view);
    OpenSurvey(const OpenSurvey&) = delete;
    OpenSurvey& operator=(const OpenSurvey&) = delete;
    ~OpenSurvey();

    // File > New: after the save question when the survey holds changes, else after clearAll
    // (the Edit menu's clear-all command with its confirmation), the editor opens on an empty
    // questionnaire in a fresh document: nothing of the old survey (answers, linked files, file
    // path) stays behind to be saved over its file.
    void New1Click(const std::function<void()>& clearAll);
    // At start-up: the file named on the command line, else vev.dat in the current folder,
    // when it is there.
    void openAtStart(const QStringList& arguments);
    void Open1Click();
    // File > 復元できる入力: the journals of untitled surveys of windows that crashed are offered
    // one by one; Yes rebuilds the survey from one, No sets it aside.
    void Recover1Click();
    // Files dropped on the window: the first replaces the survey as Open does.
    void openDropped(const QStringList& files);
    void Save1Click();
    void SaveAs1Click();
    bool FormCloseQuery(); // true: the window may close; the survey's lock is released
    // hozonsyori (save handling): offers to save before the document is discarded; true when
    // the caller may go on.
    bool hozonsyori();
    // DataFilePath names a file the survey was loaded from or saved to (not Save As's proposal).
    bool hasDataFile() const;
    void Loaddatafile(); // core load of OpenRequestPath, the window's part, then recovery
    void hozon();        // core save with today's date; a fresh journal beside the data file

    // Undo and redo of recorded answers; the Edit menu follows the stack.
    void Undo1Click();
    void Redo1Click();
    QUndoStack& undoStack() { return undo_; }
    // "回答データ読み込み(&I)...": the answer import (export/answer_import_dialog.h), journaled
    // and undone as one step (answer_import_step.cpp).
    void Import1Click();
    // Every answer of respondents first..last and the count go to the journal.
    void respondentsChanged(int first, int last);

    // The sync points: every change the data file would carry is journaled at once.
    void answerRecorded(const RecordedAnswer& change); // the recording gate's observer
    // A respondent was left, or 2 seconds passed after a change: the journal goes to the disk.
    void flushJournal();
    void applied();            // the editor applied a questionnaire
    void linked(const std::string& path);
    void unlinked(const std::string& path);
    void dataLinked(const std::string& path); // a linked data file (model/linked_data.h)
    void dataUnlinked(const std::string& path);
    void cleared(bool all); // DClear, or AClear with all

    const JournalWriter& journalWriter() const { return journal_; }

private:
    bool mayClose();
    // The survey at OpenRequestPath is held by another window or program: asks whether to open
    // it read-only. False: cancelled.
    bool askReadOnly(const FileLock& refused);
    // The untitled journals of crashed windows, offered one by one; true when one was rebuilt.
    // quietWhenNone: at start-up nothing is said when there are none.
    bool recoverUntitled(bool quietWhenNone);
    // The one save prompt: "データが変更されています。" + question, caption "保存確認".
    Platform::Answer askToSave(const char* utf8Question, Platform::Icon icon);
    void recoverJournalAfterLoad();
    void journal(const JournalRecord& record); // append, report a failure once, flush soon
    void answerUndone(int respondent, int question);
    // Each end of a journal stops its timer too.
    void closeJournal();   // another survey comes: this one's journal stays where it is
    void discardJournal(); // no change left unsaved: the journal goes
    void journalSaved();   // the data file holds everything: a fresh journal beside it
    void surveyCleared();  // the questionnaire was cleared: its journal goes aside

    SurveyDocument& doc_;
    Platform& platform_;
    SurveyView& view_;
    // The name Save As proposed for a survey never saved; Save does not write to it.
    std::string proposedDataFile_;
    JournalWriter journal_;
    FileLock lock_;          // the data file's lock, or the untitled journal's
    int journaledCount_ = 0; // RespondentCount as a replay of the journal would leave it
    bool recovered_ = false; // the last load replayed its journal
    int windowNumber_ = 0;   // names the journal of a survey without a data file
    QTimer journalTimer_;    // flushes at most 2 seconds after a change
    QUndoStack undo_;
};

} // namespace vev
