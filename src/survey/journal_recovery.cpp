#include "survey/journal_recovery.h"

#include "model/paths.h"
#include "platform/platform.h"

#include <QDateTime>
#include <QFile>

#include <unistd.h>

namespace vev {

namespace {

QString nameOf(const std::string& path) {
    return paths::toQString(paths::fileNamePart(path));
}

QString withFile(const char* message, const QString& file) {
    return QString::fromUtf8(message) + QLatin1Char('\r') + file;
}

// Renames the journal aside; when that fails it stays where it is, which is still kept.
std::string keepAside(const std::string& path) {
    const std::string aside = setAside(path);
    return aside.empty() ? path : aside;
}

} // namespace

QString journalCutMessage(const std::string& keptAs) {
    return withFile("入力の記録の末尾が途中で切れていたため、最後の記録は復元できませんでした。"
                    "元の記録は次のファイルに残しました。",
                    nameOf(keptAs));
}

QString journalForeignMessage(const std::string& keptAs) {
    return withFile("見つかった入力の記録は別のアンケートのものなので、復元しませんでした。"
                    "記録は次のファイルに残しました。",
                    nameOf(keptAs));
}

QString journalUnreadableMessage(const std::string& keptAs) {
    return withFile("見つかった入力の記録を読み取れないため、復元しませんでした。"
                    "記録は次のファイルに残しました。",
                    nameOf(keptAs));
}

QString journalOffMessage(const std::string& journalPath) {
    return withFile("入力の記録を書き込めないため、このアンケートでは入力の復元ができません。"
                    "入力はこのまま続けられます。",
                    paths::toQString(journalPath));
}

QString journalChangedMessage(const std::string& dataFile, const std::string& keptAs) {
    return nameOf(dataFile) +
           QString::fromUtf8("のデータファイルが記録の開始後に変わっているため、復元しません。"
                             "記録は次のファイルに残しました。") +
           QLatin1Char('\r') + nameOf(keptAs);
}

QString journalDamagedMessage(int restored, int unread, const std::string& keptAs) {
    return QString::fromUtf8("入力の記録の一部が壊れていたため、%1件を復元し、%2件は読み取れません"
                             "でした。元の記録は次のファイルに残しました。")
               .arg(restored)
               .arg(unread) +
           QLatin1Char('\r') + nameOf(keptAs);
}

RecoveryResult recoverJournal(SurveyDocument& doc, Platform& platform, QWidget* parent,
                              CoreEvents& events, const std::string& journalPath) {
    RecoveryResult result;
    result.contents = readJournal(journalPath);
    const JournalContents& journal = result.contents;
    if (!journal.exists) return result;

    if (journal.readError != 0 || (journal.records.empty() && journal.cut() &&
                                   (journal.hasHeader || !journal.unfinishedStart))) {
        // Garbage, or a header followed by a record the crash cut: nothing whole to offer.
        result.outcome = RecoveryOutcome::Unreadable;
        result.keptAs = keepAside(journalPath);
        platform.positionedMessage(parent, journal.hasHeader
                                               ? journalCutMessage(result.keptAs)
                                               : journalUnreadableMessage(result.keptAs));
        return result;
    }
    if (journal.records.empty()) {
        // Empty, a header alone, or a header cut while the file was made: it holds no change.
        ::unlink(journalPath.c_str());
        return result;
    }
    // Replayed onto other bytes, its answers would land on other respondents' rows.
    if (journal.stamp.known && !journal.stamp.sameBytes(stampOf(doc.DataFilePath))) {
        result.outcome = RecoveryOutcome::Changed;
        result.keptAs = keepAside(journalPath);
        platform.positionedMessage(parent, journalChangedMessage(doc.DataFilePath, result.keptAs));
        return result;
    }
    if (!journal.belongsTo(doc)) {
        result.outcome = RecoveryOutcome::Foreign;
        result.keptAs = keepAside(journalPath);
        platform.positionedMessage(parent, journalForeignMessage(result.keptAs));
        return result;
    }

    const Platform::Answer answer = platform.messageBox(
        parent, QString::fromUtf8("復元確認"),
        QString::fromUtf8("前回保存されていない入力が見つかりました。復元しますか？"),
        Platform::Icon::Question, Platform::Buttons::YesNo);
    if (answer != Platform::Answer::Yes) {
        result.outcome = RecoveryOutcome::KeptAside;
        result.keptAs = keepAside(journalPath);
        return result;
    }

    result.outcome = RecoveryOutcome::Replayed;
    result.replayed = replayJournal(doc, journal.records, events);
    doc.Modified = true;
    if (journal.cut()) {
        // The journal goes on after its last whole record, so the cut tail is kept in a copy.
        const std::string copy = asidePath(journalPath, QDateTime::currentDateTime());
        if (QFile::copy(paths::toQString(journalPath), paths::toQString(copy)))
            result.keptAs = copy;
        const std::string kept = result.keptAs.empty() ? journalPath : result.keptAs;
        // A crash cuts only the last record; more not read means the journal was damaged.
        platform.positionedMessage(parent, journal.unread > 1 ? journalDamagedMessage(
                                                                    result.replayed, journal.unread, kept)
                                                              : journalCutMessage(kept));
    }
    return result;
}

void reportJournalFailure(JournalWriter& writer, Platform& platform, QWidget* parent) {
    if (writer.failedNow()) platform.positionedMessage(parent, journalOffMessage(writer.path()));
}

} // namespace vev
