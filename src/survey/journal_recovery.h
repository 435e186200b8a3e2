#pragma once

#include "survey/journal.h"
#include "model/survey_document.h"

#include <QString>

#include <cstdint>
#include <string>

class QWidget;

// How the open survey keeps the journal (survey/open_survey.h, one JournalWriter per window):
// - after a load: recoverJournal(); then writer.resume(path, contents.base, contents.wholeEnd)
//   when it replayed, otherwise writer.start(path, Questionnaire::of(doc)).
// - after each change, right after the document changed: writer.append(JournalRecord::...),
//   then reportJournalFailure(). Answers: JournalRecord::answer(doc, r, q) after dataIN.
// - when the completeness check lowered RespondentCount: JournalRecord::respondentCount.
// - finishing a respondent (Enter on to the next, the spinner, Left/Right): writer.flushSoon();
//   any other change arms a 2-second single-shot timer that calls flushSoon().
// - a successful Save or Save As, or the operator discarding the changes: writer.remove(),
//   then writer.start() for the survey as it now stands (path of its data file).
namespace vev {

class Platform;

enum class RecoveryOutcome {
    NoJournal,  // none there, or one that held nothing (removed quietly)
    Replayed,   // the operator answered Yes: replayed, Modified set; go on with resume()
    KeptAside,  // the operator answered No: the journal was renamed aside
    Foreign,    // of another questionnaire: not replayed, renamed aside, reported
    Unreadable, // not a journal, or nothing whole in it: renamed aside, reported
    Changed,    // the data file is not the one the journal began on: renamed aside, reported
};

struct RecoveryResult {
    RecoveryOutcome outcome = RecoveryOutcome::NoJournal;
    int replayed = 0;         // records replayed
    std::string keptAs;       // where the journal (or, after a cut, a copy of it) was kept
    JournalContents contents; // what was read; base and wholeEnd feed JournalWriter::resume
};

// What the window does right after loading a survey (start-up, Open, drop) and before the
// operator types: when a journal exists at journalPath, asks "復元確認" whether to replay it.
// Yes replays the whole records onto the loaded document (replayJournal; events hears what the
// replay reports), and marks it modified; No renames the journal aside as "<journal>.<date-time>". A
// journal cut by a crash replays up to its last whole record, keeps a copy of itself aside and
// says so. A journal of another questionnaire is never replayed onto this one: it is renamed
// aside and reported. Nothing is ever deleted that holds a change.
RecoveryResult recoverJournal(SurveyDocument& doc, Platform& platform, QWidget* parent,
                              CoreEvents& events, const std::string& journalPath);

// Shows, once, that the journal could not be written and recovery is off for this survey.
// Call after append() or flush(); does nothing unless the writer has just turned off.
void reportJournalFailure(JournalWriter& writer, Platform& platform, QWidget* parent);

// The notices (a carriage return separates the message from the file name).
QString journalCutMessage(const std::string& keptAs);
QString journalForeignMessage(const std::string& keptAs);
QString journalUnreadableMessage(const std::string& keptAs);
QString journalOffMessage(const std::string& journalPath);
QString journalChangedMessage(const std::string& dataFile, const std::string& keptAs);
QString journalDamagedMessage(int restored, int unread, const std::string& keptAs);

} // namespace vev
