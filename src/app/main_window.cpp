#include "app/main_window.h"

#include "double_entry/double_entry_commands.h"
#include "editor/editor_dialog.h"
#include "keying/grid_header.h"
#include "keying/question_grid.h"
#include "keying/respondent_bar.h"
#include "linked/linked_list_dialog.h"
#include "model/paths.h"
#include "model/recording.h"

#include <QAbstractSlider>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QUndoStack>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>

namespace vev {

TForm1::TForm1(SurveyDocument& document, Platform& platformServices, QStringList arguments,
               QWidget* parent)
    : QMainWindow(parent), doc(document), platform(platformServices),
      arguments_(std::move(arguments)), entry_(document),
      survey_(document, platformServices, *this), results_(document, platformServices, *this),
      export_(document, platformServices, *this), analysis_(document, platformServices, *this),
      linked_(document, platformServices, *this), clear_(document, platformServices, *this),
      help_(document, platformServices, *this), texts_(document, platformServices, *this),
      double_(document, platformServices, *this, entry_) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("VEV"));
    setFont(look::proportionalFont(12, false));
    // The one observer of the recording gate: journal, undo and the chart window.
    entry_.setObserver([this](const RecordedAnswer& change) {
        survey_.answerRecorded(change);
        analysis_.resultsChanged(); // every recorded answer changes a count a chart follows
    });
    clear_.setCleared([this](bool all) { survey_.cleared(all); });
    linked_.setLinked([this](const std::string& path) { survey_.linked(path); });
    linked_.data().setLinked([this](const std::string& path) { survey_.dataLinked(path); });
    linked_.data().setUnlinked([this](const std::string& path) { survey_.dataUnlinked(path); });
    createWidgets();
    createMenus();
    runGuarded([this] { FormCreate(); });
}

void TForm1::attachDialogs(TForm2* editor, TForm4* linkedList) {
    Form2 = editor;
    Form4 = linkedList;
    linked_.setList(linkedList);
    editor->setApplied([this] { survey_.applied(); });
    texts_.setApplied([this] {
        survey_.applied();
        Form2->takeDocumentTexts();
        hyoji(); // the count lines' tool tips and the status bar name the new texts
    });
    linkedList->setUnlinked([this](const std::string& path) { survey_.unlinked(path); });
}

void TForm1::runGuarded(const std::function<void()>& handler) {
    platform.runGuarded(this, handler);
}

void TForm1::notice(const QString& text) {
    platform.positionedMessage(this, text);
}
void TForm1::informationBeep() {
    platform.beep();
}

void TForm1::tallyChanged(int row) {
    grid_->redrawCounts(row);
    analysis_.resultsChanged();
}

void TForm1::refreshQuestionnaire() {
    hyoji();
    analysis_.resultsChanged();
}

void TForm1::createWidgets() {
    scrollArea = new QScrollArea(this);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(true);
    // A click on the grid's background must not take the keys away from the answer boxes.
    scrollArea->setFocusPolicy(Qt::NoFocus);
    grid_ = new QuestionGrid(doc, platform, entry_);
    scrollArea->setWidget(grid_);
    setCentralWidget(scrollArea);
    grid_->setHooks({
        .runGuarded = [this](const std::function<void()>& handler) { runGuarded(handler); },
        .respondentShown =
            [this] {
                respondents_->followRespondent();
                survey_.flushJournal();
                double_.respondentShown();
            },
        .scrollToTop = [this] { scrollArea->verticalScrollBar()->setValue(0); },
        // A box leaving the view comes in at the far edge, with the rows beyond it in view.
        .ensureVisible =
            [this](QWidget* box) {
                const int margin = scrollArea->viewport()->height() - box->height();
                scrollArea->ensureWidgetVisible(box, 0, std::max(margin, 0));
            },
        .keyPreview = [this] { return respondents_->keyPreview(); },
        .closeJumpBox = [this] { respondents_->closeJumpBox(); },
        .mismatchLeft = [this] { double_.mismatchLeft(); },
        .hidesAnswer = [this](int r, int q) { return double_.hidesAnswer(r, q); },
        .questionFocused = [this](int q) { double_.showChoices(q); },
    });

    // The header controls lie on the grid's client area, above the rows.
    header_.create(grid_);
    respondents_ = new RespondentBar(
        doc, entry_, *grid_, [this](const std::function<void()>& handler) { runGuarded(handler); });

    grid_->createRows();

    grid_->installEventFilter(this);
    // The respondent controls lie over the left end of Label1.
    respondents_->raise();

    double_.attach(this, grid_);
    double_.setHooks({
        .mayReplaceSurvey = [this] { return !doc.Modified || hozonsyori(); },
        .openSurvey =
            [this](const QString& path) {
                doc.OpenRequestPath = paths::fromQString(path);
                Loaddatafile();
                SetFcs();
            },
        .closeJumpBox = [this] { respondents_->closeJumpBox(); },
    });
}

void TForm1::createMenus() {
    // An item runs a handler of the window or of a command object, always guarded.
    auto item = [this](QMenu* menu, const char* name, const char* caption, auto* object,
                       auto handler) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                [this, object, handler] { runGuarded([=] { (object->*handler)(); }); });
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        if (name) action->setObjectName(QString::fromLatin1(name));
    };
    auto topMenu = [this](const char* name, const char* caption, void (TForm1::*opens)()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromLatin1(name));
        if (opens)
            connect(menu, &QMenu::aboutToShow, this,
                    [this, opens] { runGuarded([this, opens] { (this->*opens)(); }); });
        return menu;
    };
    // An option toggles its own check mark and the document's flag; it is no change to save.
    auto option = [this](QMenu* menu, const char* name, const char* caption, bool& flag,
                         bool followedByResults) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        action->setChecked(flag);
        connect(action, &QAction::toggled, this, [this, &flag, followedByResults](bool on) {
            flag = on;
            if (followedByResults) analysis_.resultsChanged();
        });
        return action;
    };

    QMenu* File1 = topMenu("File1", "ファイル(&F)", &TForm1::File1Click);
    item(File1, "New1", "新規作成(&N)", this, &TForm1::New1Click);
    item(File1, "Open1", "開く(&O)...", &survey_, &OpenSurvey::Open1Click);
    item(File1, "Recover1", "復元できる入力(&R)...", &survey_, &OpenSurvey::Recover1Click);
    separator(File1, nullptr);
    Save1 = item(File1, "Save1", "上書き保存(&S)", &survey_, &OpenSurvey::Save1Click);
    SaveAs1 = item(File1, "SaveAs1", "名前をつけて保存(&A)...", &survey_, &OpenSurvey::SaveAs1Click);
    SecondEntry1 = item(File1, "SecondEntry1", "照合用に新規作成(&V)...", &double_,
                        &DoubleEntryCommands::SecondEntry1Click);
    separator(File1, nullptr);
    Print1 = item(File1, "Print1", "集計結果印刷(&P)...", &results_, &ResultsCommands::Print1Click);
    CsvW1 = item(File1, "CsvW1", "集計結果保存(&C)...", &results_, &ResultsCommands::CsvW1Click);
    item(File1, "Ex1", "集計結果を開く(&E)...", &results_, &ResultsCommands::Ex1Click);
    Export1 = item(File1, "Export1", "回答データ書き出し(&X)...", &export_,
                   &ExportCommands::Export1Click);
    item(File1, "Import1", "回答データ読み込み(&I)...", &survey_, &OpenSurvey::Import1Click);
    separator(File1, nullptr);
    item(File1, "Exit1", "終了(&X)", static_cast<QWidget*>(this), &QWidget::close);

    QMenu* Edit1 = topMenu("Edit1", "編集(&E)", &TForm1::Edit1Click);
    Undo1 = item(Edit1, "Undo1", "元に戻す(&U)", &survey_, &OpenSurvey::Undo1Click);
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Undo1->setEnabled(false);
    connect(&survey_.undoStack(), &QUndoStack::canUndoChanged, Undo1, &QAction::setEnabled);
    Redo1 = item(Edit1, "Redo1", "やり直し(&Y)", &survey_, &OpenSurvey::Redo1Click);
    Redo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    Redo1->setEnabled(false);
    connect(&survey_.undoStack(), &QUndoStack::canRedoChanged, Redo1, &QAction::setEnabled);
    separator(Edit1, nullptr);
    AEdit1 = item(Edit1, "AEdit1", "アンケート項目編集(&E)", this, &TForm1::AEdit1Click);
    Texts1 = item(Edit1, "Texts1", "選択肢の内容(&L)...", &texts_,
                  &ChoiceTextsCommand::ChoiceTexts1Click);
    separator(Edit1, "N3");
    AClear1 = item(Edit1, "AClear1", "アンケート全削除(&A)", this, &TForm1::AClear1Click);
    DClear1 = item(Edit1, "DClear1", "データのみ全削除(&D)", this, &TForm1::DClear1Click);
    separator(Edit1, "N6");
    CsvI1 = item(Edit1, "CsvI1", "追加集計ファイル作成(&I)...", &linked_,
                 &LinkedCommands::CsvI1Click);
    csvR1 = item(Edit1, "csvR1", "集計ファイル追加(&R)...", &linked_, &LinkedCommands::CsvR1Click);
    item(Edit1, "DataAdd1", "データファイルの追加(&D)...", &linked_.data(),
         &DataLinkCommands::AddDataFilesClick);
    CsvL1 = item(Edit1, "CsvL1", "追加集計ファイル一覧(&L)", &linked_, &LinkedCommands::CsvL1Click);
    separator(Edit1, nullptr);
    Compare1 = item(Edit1, "Compare1", "入力照合(&C)...", &double_, &DoubleEntryCommands::Compare1Click);

    QMenu* Option1 = topMenu("Option1", "設定(&O)", nullptr);
    WWrite = option(Option1, "WWrite", "集計結果も同時保存(&W)", doc.WWrite, false);
    Frac1 = option(Option1, "Frac1", "百分率を小数にする(&F)", doc.Frac1, true);
    RBase1 = option(Option1, "RBase1", "複数選択は回答者数で割合(&R)", doc.RBase1, true);

    // Verification belongs to this session of keying, not to the survey.
    Verify1 = Option1->addAction(QString::fromUtf8("照合入力(&K)"));
    Verify1->setObjectName(QStringLiteral("Verify1"));
    Verify1->setCheckable(true);
    connect(Verify1, &QAction::toggled, this,
            [this](bool on) { runGuarded([this, on] { Verify1Click(on); }); });

    QMenu* Results1 = topMenu("Results1", "集計(&T)", &TForm1::Results1Click);
    Chart1 = item(Results1, "Chart1", "集計グラフ(&G)...", &analysis_,
                  &AnalysisCommands::Chart1Click);
    CrossTab1 = item(Results1, "CrossTab1", "クロス集計(&T)...", &analysis_,
                     &AnalysisCommands::CrossTab1Click);
    Report1 = item(Results1, "Report1", "集計レポート(PDF)(&D)...", &analysis_,
                   &AnalysisCommands::Report1Click);

    QMenu* Help1 = topMenu("Help1", "ヘルプ(&H)", nullptr);
    item(Help1, "About1", "バージョン情報(&A)", &help_, &HelpCommands::About1Click);
    item(Help1, "Manual", "解説(&M)", &help_, &HelpCommands::ManualClick);
    item(Help1, "ZAMweb", "VEV最新版(&V)", &help_, &HelpCommands::ZAMwebClick);
    separator(Help1, "N4");
    DAVAD = item(Help1, "DAVAD", "タイマーを表示(&T)", &help_, &HelpCommands::DAVADClick);
    DAVAD->setEnabled(false);
}

// ---- SurveyView ----

void TForm1::showCurrentRespondent() {
    hitoribun();
    respondents_->setSpinner(doc.CurrentRespondent);
}

void TForm1::showRespondent(int r, int q) {
    doc.CurrentRespondent = std::clamp(r, 1, MaxRespondents);
    showCurrentRespondent();
    doc.CurrentQuestion = std::clamp(q, 1, MaxQuestions);
    grid_->apply({.focus = EntryOutcome::Focus::SelectAll});
}

bool TForm1::currentRowShown() const { return grid_->rowShown(doc.CurrentQuestion); }
void TForm1::showEmptyLook() { showEmptyLook(MaxQuestions); }

void TForm1::showEmptyLook(int rows) {
    analysis_.resultsChanged();
    respondents_->hide();
    grid_->hideRows(1, rows);
    double_.showChoices(0);
    setWindowTitle(QStringLiteral("VEV"));
    header_.showEmpty();
    grid_->fitToRows();
}

void TForm1::setCaption(const QString& text) { setWindowTitle(text); }
void TForm1::setSurveyLine(const QString& text) { header_.setSurveyLine(text); }
void TForm1::setFileLine(const QString& text) { header_.setFileLine(text); }

void TForm1::linkedFilesChanged() {
    if (Form4) Form4->refillIfShowing();
    analysis_.resultsChanged();
}

// ---- Start-up, frame and File menu ----

void TForm1::FormCreate() {
    doc.VersionString = VevVersion;

    // The window font is designed 12 px high; a system that enlarges fonts scales the window.
    const int realised = header_.realisedFontPixels();
    doc.ScalePercent = realised > 0 ? realised * 100 / 12 : 100;
    resize(doc.BAI(800), doc.BAI(600));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    header_.setFileLine({});
    doc.AppDirectory = paths::fromQString(platform.programDirectory());
    doc.PrintDirectory = doc.AppDirectory;
    DAVAD->setEnabled(!findBesideProgram(doc, timerToolName()).isEmpty());
    survey_.openAtStart(arguments_);
    setAcceptDrops(true);
}

void TForm1::FormDropFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    raise();
    activateWindow();
    survey_.openDropped(files);
}

void TForm1::File1Click() {
    const bool loaded = doc.questionnaireLoaded();
    Save1->setEnabled(loaded && !doc.DataFilePath.empty());
    SaveAs1->setEnabled(loaded);
    SecondEntry1->setEnabled(loaded);
    CsvW1->setEnabled(doc.RespondentCount > 0);
    Print1->setEnabled(doc.RespondentCount > 0);
    Export1->setEnabled(loaded && doc.RespondentCount > 0);
    findChild<QAction*>(QStringLiteral("Import1"))->setEnabled(loaded);
}

void TForm1::showLoadedSurvey(bool hadQuestionnaire, int previousRows) {
    // The loader replaced the whole document after clearing the old one: the window loses the
    // old survey's look first, so a file whose first question has no choices (which hyoji does
    // not draw) leaves the empty window, not the previous survey's title and rows.
    if (hadQuestionnaire) showEmptyLook(previousRows);
    // Rows of a longer previous questionnaire and the open respondent number box go too.
    respondents_->closeJumpBox();
    grid_->hideRows(doc.QuestionCount + 1, MaxQuestions);
    WWrite->setChecked(doc.WWrite);
    Frac1->setChecked(doc.Frac1);
    RBase1->setChecked(doc.RBase1);
    respondents_->setSpinner(doc.CurrentRespondent);
    hyoji();
    hitoribun();
    fitHeightToQuestions();
    linkedFilesChanged();
    double_.surveyReplaced();
}

void TForm1::showReplayedSurvey() {
    grid_->hideRows(doc.QuestionCount + 1, MaxQuestions);
    if (doc.questionnaireLoaded()) {
        hyoji();
        for (int q = 1; q <= doc.QuestionCount; ++q) tallyChanged(q);
        showCurrentRespondent();
        fitHeightToQuestions();
    } else {
        showEmptyLook();
    }
    linkedFilesChanged();
    double_.surveyReplaced(); // the respondents the journal brought back are verified too
}

void TForm1::showNewSurvey() {
    double_.surveyReplaced();
    showEmptyLook();
    respondents_->setSpinner(1);
    linkedFilesChanged();
    header_.setSurveyLine(QString::fromUtf8("ｱﾝｹｰﾄ：新規作成"));
    Form2->openForNew();
}

void TForm1::fitHeightToQuestions() {
    // The client area is the window between its menu bar and the status bar (while verifying).
    const int menuHeight = menuBar()->sizeHint().height() +
                           (statusBar()->isHidden() ? 0 : statusBar()->sizeHint().height());
    const int clientHeight = height() - menuHeight;
    if (doc.QuestionCount <= 24)
        resize(width(), menuHeight + doc.BAI(20) * doc.QuestionCount + doc.BAI(56));
    else if (clientHeight < doc.BAI(555))
        resize(width(), menuHeight + doc.BAI(555));
}

// ---- The grid ----

void TForm1::hyoji() {
    if (!doc.questionnaireLoaded()) return;
    header_.showSurvey(doc);
    setWindowTitle(QStringLiteral("VEV - ") + paths::toQString(paths::folderPart(doc.DataFilePath)) +
                   (doc.ReadOnly ? QString::fromUtf8(" 読み取り専用") : QString()));
    respondents_->show();
    grid_->hyoji();
    double_.showChoices(doc.CurrentQuestion);
}

void TForm1::hitoribun() {
    vev::hitoribun(doc);
    respondents_->showNumber();
    grid_->showAnswers();
}

void TForm1::SetFcs() {
    grid_->SetFcs();
}

// ---- The Edit and results menus ----

void TForm1::Edit1Click() {
    Undo1->setEnabled(survey_.undoStack().canUndo());
    Redo1->setEnabled(survey_.undoStack().canRedo());
    const bool loaded = doc.questionnaireLoaded();
    for (QAction* item : {AEdit1, Texts1, AClear1, CsvI1, csvR1, CsvL1, Compare1})
        item->setEnabled(loaded);
    findChild<QAction*>(QStringLiteral("DataAdd1"))->setEnabled(loaded);
    DClear1->setEnabled(doc.RespondentCount > 0);
}

void TForm1::Results1Click() {
    const bool loaded = doc.questionnaireLoaded();
    Chart1->setEnabled(loaded);
    CrossTab1->setEnabled(loaded && doc.RespondentCount > 0);
    Report1->setEnabled(loaded);
}

void TForm1::AEdit1Click() { Form2->openForDocument(); }

// A clear leaves nothing to verify or compare; a cancelled one leaves both as they were.
void TForm1::AClear1Click() {
    clear_.AClear1Click();
    if (!doc.questionnaireLoaded()) double_.surveyReplaced();
}

void TForm1::DClear1Click() {
    clear_.DClear1Click();
    if (doc.RespondentCount == 0) double_.surveyReplaced();
}
// ---- Window events ----

bool TForm1::keyPreview() const { return respondents_->keyPreview(); }

// The wheel over the grid's background scrolls the window; the rows' events go to the grid, the
// respondent controls' to the respondent bar.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != grid_ || event->type() != QEvent::Wheel)
        return QMainWindow::eventFilter(watched, event);
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    runGuarded([&] {
        scrollArea->verticalScrollBar()->triggerAction(delta > 0
                                                           ? QAbstractSlider::SliderSingleStepSub
                                                           : QAbstractSlider::SliderSingleStepAdd);
    });
    return true;
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    runGuarded([&] { mayClose = survey_.FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    // The program ends: an open editor's unapplied changes go without its close question,
    // which the application would otherwise ask on its way out.
    if (Form2) Form2->hide();
    analysis_.hideChart();
    event->accept();
}

void TForm1::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        runGuarded([this] { FormActivate(); });
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptDrops() && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    if (files.isEmpty()) return;
    event->acceptProposedAction();
    runGuarded([this, files] { FormDropFiles(files); });
}

} // namespace vev

#include "moc_main_window.cpp"
