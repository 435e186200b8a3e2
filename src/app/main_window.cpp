#include "app/main_window.h"

#include "editor/clear_document.h"
#include "editor/editor_dialog.h"
#include "editor/questionnaire_apply.h"
#include "survey/answer_undo.h"
#include "double_entry/double_entry_commands.h"
#include "survey/journal_recovery.h"
#include "keying/question_grid.h"
#include "keying/respondent_bar.h"
#include "linked/linked_list_dialog.h"
#include "model/data_file.h"
#include "model/paths.h"
#include "model/recording.h"
#include "model/sjis.h"
#include "model/tally_file_reader.h"
#include "model/vev_error.h"
#include "analysis/cross_table_dialog.h"
#include "export/export_command.h"
#include "analysis/charts_module.h"
#include "results/results_file.h"

#include <QAbstractSlider>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>
#include <QWheelEvent>

#include <algorithm>

namespace vev {

namespace {

void setTextIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

} // namespace

TForm1::TForm1(SurveyDocument& document, Platform& platformServices, QStringList arguments,
               QWidget* parent)
    : QMainWindow(parent), doc(document), platform(platformServices),
      arguments_(std::move(arguments)), entry_(document),
      results_(document, platformServices, *this), linked_(document, platformServices, *this),
      clear_(document, platformServices, *this), help_(document, platformServices, *this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("VEV"));
    setFont(look::proportionalFont(12, false));
    static int windows = 0;
    windowNumber_ = ++windows;
    undo_ = new QUndoStack(this);
    journalTimer_ = new QTimer(this);
    journalTimer_->setSingleShot(true);
    journalTimer_->setInterval(2000);
    connect(journalTimer_, &QTimer::timeout, this, [this] { flushJournal(); });
    // The one observer of the recording gate: journal, undo and the chart window.
    entry_.setObserver([this](const RecordedAnswer& change) { answerRecorded(change); });
    clear_.setCleared([this](bool all) {
        journal(all ? JournalRecord::clearAll() : JournalRecord::clearAnswers());
        journaledCount_ = doc.RespondentCount;
        endUndoHistory();
        if (all) surveyCleared();
    });
    linked_.setLinked([this](const std::string& path) {
        journal(JournalRecord::link(path));
        endUndoHistory();
    });
    createWidgets();
    createMenus();
    runGuarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::attachDialogs(TForm2* editor, TForm4* linkedList) {
    Form2 = editor;
    Form4 = linkedList;
    linked_.setList(linkedList);
    editor->setApplied([this] {
        journal(JournalRecord::apply(doc));
        journaledCount_ = doc.RespondentCount;
        endUndoHistory();
    });
    linkedList->setUnlinked([this](const std::string& path) {
        journal(JournalRecord::unlink(path));
        endUndoHistory();
    });
}

void TForm1::runGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const VevError& error) {
        platform.errorReport(this, QString::fromUtf8(error.what()));
    }
}

void TForm1::notice(const QString& text) {
    platform.positionedMessage(this, text);
}
void TForm1::informationBeep() {
    platform.beep();
}

void TForm1::tallyChanged(int row) {
    grid_->redrawCounts(row);
    resultsChanged();
}

void TForm1::refreshQuestionnaire() {
    hyoji();
    resultsChanged();
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
                respondentFinished();
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
        .mismatchLeft =
            [this] {
                verifier_.abandon();
                showVerifyStatus();
            },
    });

    // The header controls lie on the grid's client area, above the rows.
    Label1 = look::placedLabel(grid_, QStringLiteral("Label1"), {10, 3, 461, 15},
                               QString::fromUtf8("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
    Label1->setFont(look::proportionalFont(15, true));
    look::setColours(Label1, QColor(0, 0, 255));
    Label2 = look::placedLabel(grid_, QStringLiteral("Label2"), {480, 3, 311, 15},
                               QString::fromUtf8("ﾌｧｲﾙ："));
    Label2->setFont(look::proportionalFont(15, true));
    look::setColours(Label2, QColor(0, 128, 0));
    TestLabel = look::placedLabel(grid_, QStringLiteral("TestLabel"), {480, 0, 8, 12},
                                  QStringLiteral("  "));

    respondents_ = new RespondentBar(
        doc, entry_, *grid_, [this](const std::function<void()>& handler) { runGuarded(handler); });

    // 17 blanks, the question column, 6 blanks, an ideographic space, 7 blanks, the answers.
    Label5 = look::placedLabel(grid_, QStringLiteral("Label5"), {10, 20, 255, 20},
                               QString(17, QLatin1Char(' ')) + QString::fromUtf8("質問内容") +
                                   QString(6, QLatin1Char(' ')) + QString::fromUtf8("　") +
                                   QString(7, QLatin1Char(' ')) + QString::fromUtf8("選択番号"));
    Label5->setFont(look::proportionalFont(13, false));
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    look::setColours(Label5, QColor(255, 255, 255), QColor(160, 160, 160));
    Label5->hide();
    Label4 = look::placedLabel(grid_, QStringLiteral("Label4"), {266, 20, 508, 20},
                               QString::fromUtf8("集 計 結 果"));
    Label4->setFont(look::proportionalFont(13, false));
    Label4->setAlignment(Qt::AlignCenter);
    look::setColours(Label4, QColor(192, 192, 192), QColor(128, 128, 128));
    Label4->hide();

    grid_->createRows();

    grid_->installEventFilter(this);
    // The respondent controls lie over the left end of Label1.
    respondents_->raise();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    VerifyStatus = new QLabel(StatusBar1);
    VerifyStatus->setObjectName(QStringLiteral("VerifyStatus"));
    VerifyMismatch = new QLabel(StatusBar1);
    VerifyMismatch->setObjectName(QStringLiteral("VerifyMismatch"));
    look::setColours(VerifyMismatch, QColor(255, 0, 0));
    StatusBar1->addWidget(VerifyStatus);
    StatusBar1->addWidget(VerifyMismatch, 1);
    setStatusBar(StatusBar1);
    StatusBar1->hide();
}

void TForm1::createMenus() {
    auto item = [this](QMenu* menu, const char* name, const char* caption,
                       void (TForm1::*handler)()) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this,
                [this, handler] { runGuarded([this, handler] { (this->*handler)(); }); });
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        if (name) action->setObjectName(QString::fromLatin1(name));
    };
    auto topMenu = [this](const char* name, const char* caption) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(caption));
        menu->setObjectName(QString::fromLatin1(name));
        return menu;
    };

    File1 = topMenu("File1", "ファイル(&F)");
    New1 = item(File1, "New1", "新規作成(&N)", &TForm1::New1Click);
    Open1 = item(File1, "Open1", "開く(&O)...", &TForm1::Open1Click);
    separator(File1, nullptr);
    Save1 = item(File1, "Save1", "上書き保存(&S)", &TForm1::Save1Click);
    SaveAs1 = item(File1, "SaveAs1", "名前をつけて保存(&A)...", &TForm1::SaveAs1Click);
    SecondEntry1 =
        item(File1, "SecondEntry1", "照合用に新規作成(&V)...", &TForm1::SecondEntry1Click);
    separator(File1, nullptr);
    Print1 = item(File1, "Print1", "集計結果印刷(&P)...", &TForm1::Print1Click);
    CsvW1 = item(File1, "CsvW1", "集計結果保存(&C)...", &TForm1::CsvW1Click);
    Ex1 = item(File1, "Ex1", "集計結果を開く(&E)...", &TForm1::Ex1Click);
    Export1 = item(File1, "Export1", "回答データ書き出し(&X)...", &TForm1::Export1Click);
    separator(File1, nullptr);
    Exit1 = item(File1, "Exit1", "終了(&X)", &TForm1::Exit1Click);

    Edit1 = topMenu("Edit1", "編集(&E)");
    Undo1 = item(Edit1, "Undo1", "元に戻す(&U)", &TForm1::Undo1Click);
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Undo1->setEnabled(false);
    connect(undo_, &QUndoStack::canUndoChanged, Undo1, &QAction::setEnabled);
    Redo1 = item(Edit1, "Redo1", "やり直し(&Y)", &TForm1::Redo1Click);
    Redo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    Redo1->setEnabled(false);
    connect(undo_, &QUndoStack::canRedoChanged, Redo1, &QAction::setEnabled);
    separator(Edit1, nullptr);
    AEdit1 = item(Edit1, "AEdit1", "アンケート項目編集(&E)", &TForm1::AEdit1Click);
    separator(Edit1, "N3");
    AClear1 = item(Edit1, "AClear1", "アンケート全削除(&A)", &TForm1::AClear1Click);
    DClear1 = item(Edit1, "DClear1", "データのみ全削除(&D)", &TForm1::DClear1Click);
    separator(Edit1, "N6");
    CsvI1 = item(Edit1, "CsvI1", "追加集計ファイル作成(&I)...", &TForm1::CsvI1Click);
    csvR1 = item(Edit1, "csvR1", "集計ファイル追加(&R)...", &TForm1::CsvR1Click);
    CsvL1 = item(Edit1, "CsvL1", "追加集計ファイル一覧(&L)", &TForm1::CsvL1Click);
    separator(Edit1, nullptr);
    Compare1 = item(Edit1, "Compare1", "入力照合(&C)...", &TForm1::Compare1Click);

    // The options toggle their own check marks; they are not changes to the survey.
    Option1 = topMenu("Option1", "設定(&O)");
    WWrite = Option1->addAction(QString::fromUtf8("集計結果も同時保存(&W)"));
    WWrite->setObjectName(QStringLiteral("WWrite"));
    WWrite->setCheckable(true);
    WWrite->setChecked(doc.WWrite);
    connect(WWrite, &QAction::toggled, this, [this](bool on) { doc.WWrite = on; });
    Frac1 = Option1->addAction(QString::fromUtf8("百分率を小数にする(&F)"));
    Frac1->setObjectName(QStringLiteral("Frac1"));
    Frac1->setCheckable(true);
    Frac1->setChecked(doc.Frac1);
    connect(Frac1, &QAction::toggled, this, [this](bool on) {
        doc.Frac1 = on;
        resultsChanged();
    });
    RBase1 = Option1->addAction(QString::fromUtf8("複数選択は回答者数で割合(&R)"));
    RBase1->setObjectName(QStringLiteral("RBase1"));
    RBase1->setCheckable(true);
    RBase1->setChecked(doc.RBase1);
    connect(RBase1, &QAction::toggled, this, [this](bool on) {
        doc.RBase1 = on;
        resultsChanged();
    });

    // Verification belongs to this session of keying, not to the survey.
    Verify1 = Option1->addAction(QString::fromUtf8("照合入力(&K)"));
    Verify1->setObjectName(QStringLiteral("Verify1"));
    Verify1->setCheckable(true);
    connect(Verify1, &QAction::toggled, this,
            [this](bool on) { runGuarded([this, on] { Verify1Click(on); }); });

    Results1 = topMenu("Results1", "集計(&T)");
    Chart1 = item(Results1, "Chart1", "集計グラフ(&G)...", &TForm1::Chart1Click);
    CrossTab1 = item(Results1, "CrossTab1", "クロス集計(&T)...", &TForm1::CrossTab1Click);
    Report1 = item(Results1, "Report1", "集計レポート(PDF)(&D)...", &TForm1::Report1Click);
    connect(Results1, &QMenu::aboutToShow, this,
            [this] { runGuarded([this] { Results1Click(); }); });

    Help1 = topMenu("Help1", "ヘルプ(&H)");
    About1 = item(Help1, "About1", "バージョン情報(&A)", &TForm1::About1Click);
    Manual = item(Help1, "Manual", "解説(&M)", &TForm1::ManualClick);
    ZAMweb = item(Help1, "ZAMweb", "VEV最新版", &TForm1::ZAMwebClick);
    separator(Help1, "N4");
    DAVAD = item(Help1, "DAVAD", "タイマーを表示(&T)", &TForm1::DAVADClick);
    DAVAD->setEnabled(false);

    connect(File1, &QMenu::aboutToShow, this, [this] { runGuarded([this] { File1Click(); }); });
    connect(Edit1, &QMenu::aboutToShow, this, [this] { runGuarded([this] { Edit1Click(); }); });
}

// ---------------------------------------------------------------------------------------------
// SurveyView

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

bool TForm1::currentRowShown() const {
    return grid_->rowShown(doc.CurrentQuestion);
}

void TForm1::showEmptyLook() {
    showEmptyLook(MaxQuestions);
}

void TForm1::showEmptyLook(int rows) {
    resultsChanged();
    respondents_->hide();
    Label4->hide();
    Label5->hide();
    grid_->hideRows(1, rows);
    setWindowTitle(QStringLiteral("VEV"));
    Label2->clear();
    Label1->setText(QString::fromUtf8("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
    grid_->fitToRows();
}

void TForm1::setCaption(const QString& text) {
    setWindowTitle(text);
}
void TForm1::setSurveyLine(const QString& text) {
    Label1->setText(text);
}
void TForm1::setFileLine(const QString& text) {
    Label2->setText(text);
}

void TForm1::linkedFilesChanged() {
    if (Form4) Form4->refillIfShowing();
    resultsChanged();
}

// ---------------------------------------------------------------------------------------------
// Start-up, frame and File menu

void TForm1::FormCreate() {
    doc.VersionString = VevVersion;

    // The window font is designed 12 px high; a system that enlarges fonts scales the window.
    const int realised = QFontInfo(TestLabel->font()).pixelSize();
    doc.ScalePercent = realised > 0 ? realised * 100 / 12 : 100;
    resize(doc.BAI(800), doc.BAI(600));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    doc.CurrentQuestion = 1;
    doc.CurrentRespondent = 1;
    doc.RespondentCount = 0;
    doc.LinkedTallyFileCount = 0;
    doc.Modified = false;
    Label2->clear();
    doc.DataFilePath.clear();

    doc.AppDirectory = paths::fromQString(platform.programDirectory());
    doc.PrintDirectory = doc.AppDirectory;

    DAVAD->setEnabled(!findBesideProgram(doc, timerToolName()).isEmpty());

    if (!arguments_.isEmpty()) doc.OpenRequestPath = paths::fromQString(arguments_.first());
    if (!QFileInfo(paths::toQString(doc.OpenRequestPath)).isFile()) doc.OpenRequestPath = "vev.dat";
    if (QFileInfo(paths::toQString(doc.OpenRequestPath)).isFile()) Loaddatafile();

    setAcceptDrops(true);
}

void TForm1::FormActivate() {
    SetFcs();
}

void TForm1::FormDropFiles(const QStringList& files) {
    if (files.isEmpty()) return;
    raise();
    activateWindow();
    // A drop replaces the survey as Open does, so it asks the same question first.
    if (doc.Modified && !hozonsyori()) return;
    if (files.size() > 1) notice(QString::fromUtf8("ドロップで読み込むファイルは１つだけです。"));
    doc.OpenRequestPath = paths::fromQString(QFileInfo(files.first()).absoluteFilePath());
    Loaddatafile();
    SetFcs();
}

Platform::Answer TForm1::askToSave(const char* utf8Question, Platform::Icon icon) {
    return platform.messageBox(this, QString::fromUtf8("保存確認"),
                               QString::fromUtf8("データが変更されています。") +
                                   QString::fromUtf8(utf8Question),
                               icon, Platform::Buttons::YesNoCancel);
}

bool TForm1::FormCloseQuery() {
    if (!doc.Modified) {
        journal_.remove();
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

bool TForm1::hozonsyori() {
    switch (askToSave("保存しますか？", Platform::Icon::Question)) {
    case Platform::Answer::Yes:
        SaveAs1Click();
        return doc.LastOperationSucceeded;
    case Platform::Answer::No:
        discardJournal();
        return true;
    default:
        return false;
    }
}

void TForm1::File1Click() {
    const bool loaded = doc.questionnaireLoaded();
    Save1->setEnabled(loaded && !doc.DataFilePath.empty());
    SaveAs1->setEnabled(loaded);
    SecondEntry1->setEnabled(loaded);
    CsvW1->setEnabled(doc.RespondentCount > 0);
    Print1->setEnabled(doc.RespondentCount > 0);
    Export1->setEnabled(loaded && doc.RespondentCount > 0);
}

// File > New: after the save question when the survey holds changes, else after the clear-all
// confirmation, the editor opens on an empty questionnaire in a fresh document: nothing of the
// old survey (answers, linked files, file path) stays behind to be saved over its file.
void TForm1::New1Click() {
    if (doc.Modified) {
        if (!hozonsyori()) return;
    } else if (doc.questionnaireLoaded()) {
        AClear1Click();
        if (doc.questionnaireLoaded()) return; // the operator declined
    }
    vev::NewDocument(doc);
    restartVerifying();
    journal_.start(untitledJournalPath(windowNumber_), JournalQuestionnaire::of(doc));
    journaledCount_ = doc.RespondentCount;
    endUndoHistory();
    showEmptyLook();
    respondents_->setSpinner(1);
    linkedFilesChanged();
    Label1->setText(QString::fromUtf8("ｱﾝｹｰﾄ：新規作成"));
    Form2->openForNew();
}

void TForm1::Open1Click() {
    if (doc.Modified && !hozonsyori()) return;
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("アンケートファイルを開く");
    dialog.filter = Platform::dataFileFilter();
    dialog.defaultSuffix = QStringLiteral("dat");
    const QStringList files = platform.chooseOpenFiles(this, dialog);
    if (files.isEmpty()) return;
    doc.OpenRequestPath = paths::fromQString(files.first());
    Loaddatafile();
    SetFcs();
}

bool TForm1::hasDataFile() const {
    return savesInPlace(doc, proposedDataFile_);
}

// Only a file chosen in the save dialog or loaded is saved in place; the name Save As proposed
// for a survey never saved is relative to whatever folder a dialog last moved to.
void TForm1::Save1Click() {
    if (!hasDataFile()) return SaveAs1Click();
    hozon();
}

void TForm1::SaveAs1Click() {
    doc.LastOperationSucceeded = false;
    if (doc.DataFilePath.empty()) {
        doc.DataFilePath = doc.ResultsFilePath.empty()
                               ? sjis::toNativePath(doc.SurveyTitle.view()) + ".dat"
                               : paths::withExtension(doc.ResultsFilePath, ".dat");
        proposedDataFile_ = doc.DataFilePath;
    }
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("アンケートに名前をつけて保存");
    dialog.filter = Platform::dataFileFilter();
    dialog.defaultSuffix = QStringLiteral("dat");
    dialog.fileName = paths::toQString(doc.DataFilePath);
    const QString file = platform.chooseSaveFile(this, dialog);
    if (file.isEmpty()) return;
    doc.DataFilePath = paths::fromQString(file);
    hozon();
    proposedDataFile_.clear();
    doc.LastOperationSucceeded = true;
    setWindowTitle(QStringLiteral("VEV - ") +
                   paths::toQString(paths::folderPart(doc.DataFilePath)));
    Label2->setText(QString::fromUtf8("ファイル：") +
                    paths::toQString(paths::fileNamePart(doc.DataFilePath)));
}

void TForm1::Exit1Click() {
    close();
}

void TForm1::Loaddatafile() {
    const bool hadQuestionnaire = doc.questionnaireLoaded();
    const int previousRows = std::min(doc.QuestionCount, MaxQuestions);
    if (vev::Loaddatafile(doc, *this) != LoadOutcome::Loaded) return;
    journal_.close(); // the previous survey's journal stays where it is
    proposedDataFile_.clear();
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
    restartVerifying();
    recoverJournalAfterLoad();
}

void TForm1::hozon() {
    vev::hozon(doc, platform.shortDate());
    journalSaved();
}

void TForm1::fitHeightToQuestions() {
    // The client area is the window below its menu bar.
    const int menuHeight = menuBar()->sizeHint().height();
    const int clientHeight = height() - menuHeight;
    if (doc.QuestionCount <= 24)
        resize(width(), menuHeight + doc.BAI(20) * doc.QuestionCount + doc.BAI(56));
    else if (clientHeight < doc.BAI(555))
        resize(width(), menuHeight + doc.BAI(555));
}

// ---------------------------------------------------------------------------------------------
// The grid

void TForm1::hyoji() {
    if (!doc.questionnaireLoaded()) return;
    setTextIfChanged(Label1, QString::fromUtf8("　　　　　　　 　ｱﾝｹｰﾄ：") +
                                 sjis::toQString(doc.SurveyTitle.view()));
    setTextIfChanged(Label2, QString::fromUtf8("ﾌｧｲﾙ：") +
                                 paths::toQString(paths::fileNamePart(doc.DataFilePath)));
    setWindowTitle(QStringLiteral("VEV - ") +
                   paths::toQString(paths::folderPart(doc.DataFilePath)));
    respondents_->show();
    Label4->show();
    Label5->show();
    grid_->hyoji();
}

void TForm1::hitoribun() {
    vev::hitoribun(doc);
    respondents_->showNumber();
    grid_->showAnswers();
}

void TForm1::SetFcs() {
    grid_->SetFcs();
}

// ---------------------------------------------------------------------------------------------
// Edit menu

void TForm1::Edit1Click() {
    Undo1->setEnabled(undo_->canUndo());
    Redo1->setEnabled(undo_->canRedo());
    const bool loaded = doc.questionnaireLoaded();
    for (QAction* item : {AEdit1, AClear1, CsvI1, csvR1, CsvL1, Compare1}) item->setEnabled(loaded);
    DClear1->setEnabled(doc.RespondentCount > 0);
}

// "アンケート項目編集(&E)": the editor on the document's questionnaire.
void TForm1::AEdit1Click() {
    Form2->openForDocument();
}

// A clear leaves no respondent to verify; a cancelled one leaves the counts as they were.
void TForm1::AClear1Click() {
    clear_.AClear1Click();
    if (doc.RespondentCount == 0) restartVerifying();
}

void TForm1::DClear1Click() {
    clear_.DClear1Click();
    if (doc.RespondentCount == 0) restartVerifying();
}

// ---------------------------------------------------------------------------------------------
// Double entry

void TForm1::SecondEntry1Click() {
    if (!doc.questionnaireLoaded()) return;
    if (doc.Modified && !hozonsyori()) return;
    newSecondEntryFile(doc, platform, this, [this](const QString& path) {
        doc.OpenRequestPath = paths::fromQString(path);
        Loaddatafile();
        SetFcs();
    });
}

void TForm1::Compare1Click() {
    compareWithOtherFile(doc, platform, this, [this](int r, int q) {
        runGuarded([this, r, q] { showComparedAnswer(r, q); });
    });
}

void TForm1::showComparedAnswer(int r, int q) {
    activateWindow();
    raise();
    if (doc.EntryPending) {
        grid_->apply({.focus = EntryOutcome::Focus::Plain});
        return;
    }
    respondents_->closeJumpBox();
    showRespondent(r, q);
}

void TForm1::Verify1Click(bool on) {
    grid_->clearMismatch();
    AnswerEntry::KeyedCheck check;
    if (on)
        check = [this](const std::function<void()>& record) { return verifyKeyedAnswer(record); };
    entry_.setKeyedCheck(std::move(check));
    verifier_.start(doc);
    mismatchText_.clear();
    StatusBar1->setVisible(on);
    showVerifyStatus();
}

bool TForm1::verifyKeyedAnswer(const std::function<void()>& record) {
    const VerifyingEntry::Step step = verifier_.key(doc, record);
    if (step.action == VerifyingEntry::Action::Mismatch) {
        mismatchText_ = VerifyingEntry::mismatchText(step);
        grid_->markMismatch(QString::fromLatin1(step.keyed.view()), mismatchText_);
    } else {
        grid_->clearMismatch();
    }
    showVerifyStatus();
    return step.action != VerifyingEntry::Action::Mismatch;
}

void TForm1::restartVerifying() {
    if (!Verify1->isChecked()) return;
    grid_->clearMismatch();
    verifier_.start(doc);
    showVerifyStatus();
}

void TForm1::showVerifyStatus() {
    const bool on = Verify1->isChecked();
    VerifyStatus->setText(on ? verifier_.statusText() : QString());
    VerifyMismatch->setText(on && verifier_.pending() ? mismatchText_ : QString());
}

// ---------------------------------------------------------------------------------------------
// Answer export and the results menu

void TForm1::Export1Click() {
    exportAnswersCommand(doc, platform, this);
}

void TForm1::Results1Click() {
    const bool loaded = doc.questionnaireLoaded();
    Chart1->setEnabled(loaded);
    CrossTab1->setEnabled(loaded && doc.RespondentCount > 0);
    Report1->setEnabled(loaded);
}

void TForm1::Chart1Click() {
    if (!chart_) {
        chart_ = charts::newResultsChartWindow(doc, platform, this);
        chartRefresh_ = new QTimer(this);
        chartRefresh_->setSingleShot(true);
        chartRefresh_->setInterval(0);
        connect(chartRefresh_, &QTimer::timeout, this, [this] {
            if (chart_->isVisible())
                runGuarded([this] { charts::refreshResultsChartWindow(chart_); });
        });
    } else {
        charts::refreshResultsChartWindow(chart_);
    }
    chart_->show();
    chart_->raise();
    chart_->activateWindow();
}

void TForm1::CrossTab1Click() {
    vev::CrossTab1Click(this, doc, platform);
}

void TForm1::Report1Click() {
    charts::saveResultsReportAs(this, doc, platform);
}

void TForm1::resultsChanged() {
    if (chart_ && chart_->isVisible()) chartRefresh_->start();
}

// ---------------------------------------------------------------------------------------------
// Undo and the recovery journal

// One step per recorded answer; a pending multi-select entry must be confirmed first.
void TForm1::Undo1Click() {
    if (doc.EntryPending || !undo_->canUndo()) return informationBeep();
    undo_->undo();
}

void TForm1::Redo1Click() {
    if (doc.EntryPending || !undo_->canRedo()) return informationBeep();
    undo_->redo();
}

void TForm1::endUndoHistory() {
    undo_->clear();
}

void TForm1::answerRecorded(const RecordedAnswer& change) {
    const int r = change.respondent;
    const int q = change.question;
    // A completeness check before the recording may have lowered the count.
    if (change.countBefore != journaledCount_) {
        journal(JournalRecord::respondentCount(change.countBefore));
        journaledCount_ = change.countBefore;
    }
    journal(JournalRecord::answer(doc, r, q));
    journaledCount_ = doc.RespondentCount;
    pushRecordedAnswer(
        *undo_, doc, r, q, change.before.view(), change.countBefore,
        [this](int respondent, int question) { answerUndone(respondent, question); });
    // Every recorded answer changes a count that a shown chart follows.
    resultsChanged();
}

void TForm1::answerUndone(int respondent, int question) {
    const int count = doc.RespondentCount;
    showRespondent(respondent, question);
    tallyChanged(question);
    journal(JournalRecord::answer(doc, respondent, question));
    journal(JournalRecord::respondentCount(count));
    journaledCount_ = count;
}

void TForm1::journalRespondentCount() {
    if (doc.RespondentCount == journaledCount_) return;
    journal(JournalRecord::respondentCount(doc.RespondentCount));
    journaledCount_ = doc.RespondentCount;
}

void TForm1::journal(const JournalRecord& record) {
    journal_.append(record);
    reportJournalFailure(journal_, platform, this);
    if (!journalTimer_->isActive()) journalTimer_->start();
}

void TForm1::respondentFinished() {
    journalRespondentCount();
    journalTimer_->stop();
    journal_.flushSoon();
    reportJournalFailure(journal_, platform, this);
}

void TForm1::flushJournal() {
    journalRespondentCount();
    journalTimer_->stop();
    journal_.flushSoon();
    reportJournalFailure(journal_, platform, this);
}

void TForm1::discardJournal() {
    journalTimer_->stop();
    journal_.remove();
}

// The whole survey left the window and nothing more can be saved to its data file: its journal
// is kept aside (it may hold answers never saved) and not offered again at the next load.
void TForm1::surveyCleared() {
    journalTimer_->stop();
    const std::string path = journal_.path();
    journal_.close();
    if (!path.empty() && QFileInfo::exists(paths::toQString(path))) setAside(path);
}

void TForm1::journalSaved() {
    journalTimer_->stop();
    journal_.remove();
    journal_.start(journalPathFor(doc.DataFilePath), JournalQuestionnaire::of(doc));
    journaledCount_ = doc.RespondentCount;
}

JournalReplayHooks TForm1::journalReplayHooks() {
    JournalReplayHooks hooks;
    hooks.apply = [this](SurveyDocument& d, const JournalQuestionnaire& journaled) {
        Questionnaire edited;
        edited.SurveyTitle = journaled.title;
        edited.QuestionCount = journaled.questionCount;
        for (int q = 1; q <= MaxQuestions; ++q) {
            edited.QuestionText[q] = journaled.text[q];
            edited.ChoiceCount[q] = journaled.choices[q];
            edited.MultiSelect[q] = journaled.multiSelect[q];
        }
        applyQuestionnaire(d, edited, *this);
    };
    hooks.link = [this](SurveyDocument& d, const std::string& path) {
        for (int i = 1; i <= d.LinkedTallyFileCount; ++i)
            if (d.LinkedTallyFile[i] == path) return;
        d.CurrentTallyFilePath = path;
        csvRead(d, *this);
    };
    hooks.unlink = [this](SurveyDocument& d, const std::string& path) {
        const int count = d.LinkedTallyFileCount;
        int at = 1;
        while (at <= count && d.LinkedTallyFile[at] != path) ++at;
        if (at > count) return; // not linked: nothing to take out
        d.CurrentTallyFilePath = path;
        csvDel(d, *this);
        for (int i = at; i < count; ++i) d.LinkedTallyFile[i] = d.LinkedTallyFile[i + 1];
        d.LinkedTallyFile[count].clear();
    };
    hooks.clearAnswers = [](SurveyDocument& d) { vev::DClear(d); };
    hooks.clearAll = [](SurveyDocument& d) { vev::AClear(d); };
    return hooks;
}

// Right after a load: a journal left by a session that ended without saving is offered back.
void TForm1::recoverJournalAfterLoad() {
    endUndoHistory();
    journalTimer_->stop();
    const std::string path = journalPathFor(doc.DataFilePath);
    const RecoveryResult result = recoverJournal(doc, platform, this, path, journalReplayHooks());
    if (result.outcome == RecoveryOutcome::Replayed) {
        journal_.resume(path, result.contents.base, result.contents.wholeEnd);
        // The replay may have changed the questionnaire, the counts and the links.
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
    } else {
        journal_.start(path, JournalQuestionnaire::of(doc));
    }
    journaledCount_ = doc.RespondentCount;
}

// ---------------------------------------------------------------------------------------------
// The grid's background

bool TForm1::keyPreview() const {
    return respondents_->keyPreview();
}

void TForm1::FormMouseWheel(int delta) {
    scrollArea->verticalScrollBar()->triggerAction(
        delta > 0 ? QAbstractSlider::SliderSingleStepSub : QAbstractSlider::SliderSingleStepAdd);
}

// The wheel over the grid's background scrolls the window; the rows' events go to the grid, the
// respondent controls' to the respondent bar.
bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != grid_ || event->type() != QEvent::Wheel)
        return QMainWindow::eventFilter(watched, event);
    const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
    runGuarded([&] { FormMouseWheel(delta); });
    return true;
}

// ---------------------------------------------------------------------------------------------
// Window events

void TForm1::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    runGuarded([&] { mayClose = FormCloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    // The program ends: an open editor's unapplied changes go without its close question,
    // which the application would otherwise ask on its way out.
    if (Form2) Form2->hide();
    if (chart_) chart_->hide();
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
