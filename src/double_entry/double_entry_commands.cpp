#include "double_entry/double_entry_commands.h"

#include "double_entry/double_entry.h"
#include "keying/answer_entry.h"
#include "keying/question_grid.h"
#include "model/paths.h"
#include "model/survey_texts.h"

#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTreeView>

namespace vev {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

} // namespace

QString newSecondEntryFile(SurveyDocument& doc, Platform& platform, QWidget* parent,
                           const std::function<void(const QString& path)>& openFile) {
    if (!doc.questionnaireLoaded()) return {};
    Platform::FileDialog dialog = Platform::dataFileDialog("照合用のアンケートファイルを保存");
    dialog.fileName = paths::toQString(secondEntryFileName(doc));
    const QString chosen = platform.chooseSaveFile(parent, dialog);
    if (chosen.isEmpty()) return {};
    if (sameFile(chosen, paths::toQString(doc.DataFilePath))) {
        platform.messageBox(parent, u8("照合用に新規作成"),
                            u8("開いているアンケートのファイルには保存できません。"
                               "別の名前を選んでください。"),
                            Platform::Icon::Warning, Platform::Buttons::Ok);
        return {};
    }
    writeSecondEntryFile(doc, paths::fromQString(chosen), platform.shortDate());
    if (openFile) openFile(chosen);
    return chosen;
}

CompareDialog* compareWithOtherFile(SurveyDocument& doc, Platform& platform, QWidget* parent,
                                    CompareDialog::Jump jump) {
    if (!doc.questionnaireLoaded()) return nullptr;
    Platform::FileDialog dialog = Platform::dataFileDialog("照合するアンケートファイルを開く");
    const QStringList files = platform.chooseOpenFiles(parent, dialog);
    if (files.isEmpty()) return nullptr;
    const QString path = files.first();

    SurveyForComparison other = readSurveyForComparison(paths::fromQString(path));
    QString refusal = other.Refusal;
    if (other.Doc)
        refusal = questionnaireDifference(doc, *other.Doc, openSurveyName(doc),
                                          QFileInfo(path).fileName());
    if (!refusal.isEmpty()) {
        platform.messageBox(parent, u8("入力照合"), refusal, Platform::Icon::Warning,
                            Platform::Buttons::Ok);
        return nullptr;
    }
    auto* shown =
        new CompareDialog(doc, platform, path, std::move(jump), parent, std::move(other.Doc));
    shown->setAttribute(Qt::WA_DeleteOnClose);
    // Escape ends the dialog without closing it: it goes then too.
    QObject::connect(shown, &QDialog::finished, shown, &QObject::deleteLater);
    shown->show();
    // The next key goes to the list, not to the answer box behind it.
    shown->raise();
    shown->activateWindow();
    shown->differenceList->setFocus();
    return shown;
}

DoubleEntryCommands::DoubleEntryCommands(SurveyDocument& doc, Platform& platform, SurveyView& view,
                                         AnswerEntry& entry)
    : doc_(doc), platform_(platform), view_(view), entry_(entry) {}

DoubleEntryCommands::~DoubleEntryCommands() {
    // The grid outlives this object inside the window: a red box losing the keyboard while
    // the window is taken down must not call back here.
    if (grid_) grid_->clearMismatch();
    entry_.setKeyedCheck({});
}

void DoubleEntryCommands::attach(QMainWindow* window, QuestionGrid* grid) {
    window_ = window;
    grid_ = grid;
    statusBar_ = new QStatusBar(window);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    status_ = new QLabel(statusBar_);
    status_->setObjectName(QStringLiteral("VerifyStatus"));
    mismatch_ = new QLabel(statusBar_);
    mismatch_->setObjectName(QStringLiteral("VerifyMismatch"));
    look::setColours(mismatch_, QColor(255, 0, 0));
    statusBar_->addWidget(status_);
    statusBar_->addWidget(mismatch_, 1);
    choices_ = new QLabel(statusBar_);
    choices_->setObjectName(QStringLiteral("ChoiceTexts"));
    // A line wider than the window is cut at its edge: the window never grows for it.
    choices_->setMinimumWidth(1);
    choices_->setContentsMargins(0, 0, 6, 0);
    // Empty or with Japanese texts, the bar keeps one height: it took that height from the
    // window when it appeared.
    choices_->setMinimumHeight(choices_->fontMetrics()
                                   .boundingRect(QRect(0, 0, 1000, 1000), 0, QStringLiteral("1 選"))
                                   .height());
    statusBar_->addPermanentWidget(choices_);
    window->setStatusBar(statusBar_);
    statusBar_->hide();
}

void DoubleEntryCommands::SecondEntry1Click() {
    if (!doc_.questionnaireLoaded()) return;
    if (hooks_.mayReplaceSurvey && !hooks_.mayReplaceSurvey()) return;
    newSecondEntryFile(doc_, platform_, view_.dialogParent(), hooks_.openSurvey);
}

void DoubleEntryCommands::Compare1Click() {
    CompareDialog* shown =
        compareWithOtherFile(doc_, platform_, view_.dialogParent(), [this](int r, int q) {
            view_.runGuarded([this, r, q] { showComparedAnswer(r, q); });
        });
    if (!shown) return;
    if (compare_) compare_->close();
    compare_ = shown;
}

void DoubleEntryCommands::showComparedAnswer(int r, int q) {
    QWidget* window = view_.dialogParent()->window();
    window->activateWindow();
    window->raise();
    if (doc_.EntryPending) {
        grid_->apply({.focus = EntryOutcome::Focus::Plain});
        return;
    }
    if (hooks_.closeJumpBox) hooks_.closeJumpBox();
    view_.showRespondent(r, q);
    respondentShown();
}

void DoubleEntryCommands::Verify1Click(bool on) {
    grid_->clearMismatch();
    verifying_ = on;
    AnswerEntry::KeyedCheck check;
    std::function<bool()> checksCell;
    if (on) {
        check = [this](const std::function<void()>& record) { return verifyKeyedAnswer(record); };
        checksCell = [this] { return verifier_.checks(doc_); };
    }
    entry_.setKeyedCheck(std::move(check), std::move(checksCell));
    verifier_.start(doc_);
    mismatchText_.clear();
    fitStatusBar();
    showAnswers();
    showVerifyStatus();
}

void DoubleEntryCommands::showChoices(int q) {
    const QString line = doc_.questionnaireLoaded() ? choicesLine(doc_, q) : QString();
    if (choices_->text() != line) choices_->setText(line);
    fitStatusBar();
}

void DoubleEntryCommands::fitStatusBar() {
    const bool on = verifying_ || (doc_.questionnaireLoaded() && !doc_.Texts.empty());
    // The bar takes its height from the window, not from the rows: the last question stays
    // in view.
    if (on != !statusBar_->isHidden()) {
        statusBar_->setVisible(on);
        if (on) grownBy_ = statusBar_->sizeHint().height();
        window_->resize(window_->width(), window_->height() + (on ? grownBy_ : -grownBy_));
    }
}

void DoubleEntryCommands::surveyReplaced() {
    if (compare_) compare_->close();
    if (!verifying_) return;
    grid_->clearMismatch();
    verifier_.start(doc_);
    showAnswers();
    showVerifyStatus();
}

void DoubleEntryCommands::mismatchLeft() {
    verifier_.abandon();
    showVerifyStatus();
}

void DoubleEntryCommands::respondentShown() {
    if (!verifying_) return;
    verifier_.shown(doc_.CurrentRespondent);
    showVerifyStatus();
}

bool DoubleEntryCommands::hidesAnswer(int r, int q) const {
    return verifying_ && verifier_.hides(doc_, r, q);
}

bool DoubleEntryCommands::verifyKeyedAnswer(const std::function<void()>& record) {
    const VerifyingEntry::Step step = verifier_.key(doc_, record);
    if (step.action == VerifyingEntry::Action::Mismatch) {
        mismatchText_ = VerifyingEntry::mismatchText(step);
        // A blank keyed as an empty box stays empty in red: Enter on it again confirms it.
        const QString keyed =
            doc_.EntryBuffer.empty() ? QString() : QString::fromLatin1(step.keyed.view());
        grid_->markMismatch(keyed, mismatchText_);
    } else {
        grid_->clearMismatch();
    }
    showVerifyStatus();
    return step.action != VerifyingEntry::Action::Mismatch;
}

void DoubleEntryCommands::showVerifyStatus() {
    status_->setText(verifying_ ? verifier_.statusText(doc_) : QString());
    mismatch_->setText(verifying_ && verifier_.pending() ? mismatchText_ : QString());
}

void DoubleEntryCommands::showAnswers() {
    if (!doc_.EntryPending && doc_.questionnaireLoaded()) grid_->showAnswers();
}

} // namespace vev
