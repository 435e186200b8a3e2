#include "app/main_window.h"

#include "model/paths.h"

#include "editor/editor_dialog.h"
#include "entry/h_spinner.h"
#include "entry/tally_text.h"
#include "linked/linked_list_dialog.h"
#include "model/data_file.h"
#include "model/sjis.h"
#include "model/vev_error.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QUrl>

#include <algorithm>

namespace vev {

namespace {

const QString proportionalFamily = QStringLiteral("Noto Sans CJK JP");
const QString monospacedFamily = QStringLiteral("Noto Sans Mono CJK JP");

QFont proportionalFont(int pixels, bool bold) {
    QFont font(proportionalFamily);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The grid's monospaced font. The choice header and the count line share 7-character columns
// and the count line starts 24 px (three half-width characters) right of the header, so a
// half-width character must be 8 px wide; letter spacing makes up what the font lacks.
QFont monospacedFont(int pixels, bool bold) {
    QFont font(monospacedFamily);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(pixels);
    font.setBold(bold);
    const qreal advance = QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
    if (advance > 0 && advance < 8) font.setLetterSpacing(QFont::AbsoluteSpacing, 8 - advance);
    return font;
}

void setColours(QWidget* widget, const QColor& text, const QColor& background = QColor()) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (background.isValid()) {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, background);
        widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QRect& geometry,
                  const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

QFrame* makeLine(QWidget* parent, const QRect& geometry, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::NoFrame);
    line->setGeometry(geometry);
    setColours(line, colour, colour);
    return line;
}

const QString filterDat =
    QString::fromUtf8("アンケートデータ(*.dat)|*.dat|すべてのファイル(*.*)|*.*");

// The folder part of a path, up to and including its last separator; empty without one.
QString folderPart(const QString& path) {
    return path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
}
QString fileNamePart(const QString& path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

} // namespace

TForm1::TForm1(SurveyDocument& document, Platform& platformServices, QStringList arguments,
               QWidget* parent)
    : QMainWindow(parent), doc(document), platform(platformServices),
      arguments_(std::move(arguments)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("VEV"));
    setFont(proportionalFont(12, false));
    createWidgets();
    createMenus();
    runGuarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::attachDialogs(TForm2* editor, TForm4* linkedList) {
    Form2 = editor;
    Form4 = linkedList;
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
    if (row < 1 || row > MaxQuestions) return;
    ad[row]->setText(QString::fromLatin1(TallyLine(doc, row)));
}

void TForm1::createWidgets() {
    scrollArea = new QScrollArea(this);
    scrollArea->setObjectName(QStringLiteral("scrollArea"));
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(true);
    // A click on the grid's background must not take the keys away from the answer boxes.
    scrollArea->setFocusPolicy(Qt::NoFocus);
    canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("canvas"));
    canvas->setMinimumSize(784, 56);
    scrollArea->setWidget(canvas);
    setCentralWidget(scrollArea);

    Label1 = makeLabel(canvas, QStringLiteral("Label1"), {10, 3, 461, 15},
                       QString::fromUtf8("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
    Label1->setFont(proportionalFont(15, true));
    setColours(Label1, QColor(0, 0, 255));
    Label2 =
        makeLabel(canvas, QStringLiteral("Label2"), {480, 3, 311, 15}, QString::fromUtf8("ﾌｧｲﾙ："));
    Label2->setFont(proportionalFont(15, true));
    setColours(Label2, QColor(0, 128, 0));
    TestLabel =
        makeLabel(canvas, QStringLiteral("TestLabel"), {480, 0, 8, 12}, QStringLiteral("  "));

    Label3 = makeLabel(canvas, QStringLiteral("Label3"), {10, 0, 58, 19}, QStringLiteral("No.1"));
    Label3->setFont(proportionalFont(17, true));
    setColours(Label3, QColor(255, 0, 0), QColor(255, 255, 255));
    Label3->setCursor(Qt::PointingHandCursor);
    Label3->hide();

    Edit2 = new QLineEdit(canvas);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(35, 0, 33, 19);
    Edit2->setFont(proportionalFont(16, true));
    Edit2->setMaxLength(3);
    Edit2->setTextMargins(0, 0, 0, 0);
    Edit2->setAcceptDrops(false);
    setColours(Edit2, QColor(255, 0, 0));
    Edit2->hide();

    UpDown1 = new HSpinner(canvas);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setGeometry(67, 0, 29, 19);
    UpDown1->setRange(1, MaxRespondents);
    UpDown1->setPosition(1);
    UpDown1->hide();

    Button1 = new QPushButton(QString::fromUtf8("≫"), canvas);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(67, 0, 29, 19);
    Button1->setFont(proportionalFont(15, true));
    Button1->hide();

    // 17 blanks, the question column, 6 blanks, an ideographic space, 7 blanks, the answers.
    Label5 = makeLabel(canvas, QStringLiteral("Label5"), {10, 20, 255, 20},
                       QString(17, QLatin1Char(' ')) + QString::fromUtf8("質問内容") +
                           QString(6, QLatin1Char(' ')) + QString::fromUtf8("　") +
                           QString(7, QLatin1Char(' ')) + QString::fromUtf8("選択番号"));
    Label5->setFont(proportionalFont(13, false));
    Label5->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setColours(Label5, QColor(255, 255, 255), QColor(160, 160, 160));
    Label5->hide();
    Label4 = makeLabel(canvas, QStringLiteral("Label4"), {266, 20, 508, 20},
                       QString::fromUtf8("集 計 結 果"));
    Label4->setFont(proportionalFont(13, false));
    Label4->setAlignment(Qt::AlignCenter);
    setColours(Label4, QColor(192, 192, 192), QColor(128, 128, 128));
    Label4->hide();

    const QFont rowFont = monospacedFont(15, false);
    const QFont questionFont = monospacedFont(15, true);
    const QFont answerFont = proportionalFont(15, true);
    for (int n = 1; n <= MaxQuestions; ++n) {
        const QString number = QString::number(n);
        auto* panel = new QWidget(canvas);
        panel->setObjectName(QStringLiteral("q") + number);
        panel->setGeometry(10, 40 + 20 * (n - 1), 764, 20);
        panel->hide();
        q[n] = panel;

        no[n] = makeLabel(panel, QStringLiteral("no") + number, {0, 0, 200, 20});
        no[n]->setFont(questionFont);
        no[n]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

        af[n] = makeLabel(panel, QStringLiteral("af") + number, {256, 0, 508, 20});
        af[n]->setFont(rowFont);
        af[n]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setColours(af[n], QColor(0, 255, 0), QColor(0, 0, 128));

        ad[n] = makeLabel(panel, QStringLiteral("ad") + number, {280, 0, 484, 20});
        ad[n]->setFont(rowFont);
        ad[n]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setColours(ad[n], QColor(255, 255, 255));

        ng[n] = makeLabel(panel, QStringLiteral("Label") + QString::number(n + 5), {712, 0, 21, 20},
                          QStringLiteral("NG"));
        ng[n]->setFont(rowFont);
        ng[n]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setColours(ng[n], QColor(255, 255, 0));

        makeLine(panel, {0, 19, 251, 1}, QColor(255, 255, 255));
        makeLine(panel, {260, 19, 500, 1}, QColor(128, 128, 128));

        // Created last: a wide multi-select box lies over the question text.
        sn[n] = new QLineEdit(QStringLiteral("0"), panel);
        sn[n]->setObjectName(QStringLiteral("sn") + number);
        sn[n]->setGeometry(200, 0, 19, 19);
        sn[n]->setFont(answerFont);
        sn[n]->setTextMargins(0, 0, 0, 0);
        sn[n]->setStyleSheet(QStringLiteral("QLineEdit { padding: 0px 1px; }"));
        // A file dropped on an answer box is a survey to load, not text to insert.
        sn[n]->setAcceptDrops(false);

        sn[n]->installEventFilter(this);
        no[n]->installEventFilter(this);
    }
    // The rows take the tab order 1 to 40.
    for (int n = 1; n < MaxQuestions; ++n) setTabOrder(sn[n], sn[n + 1]);

    connect(UpDown1, &HSpinner::clicked, this, [this] { runGuarded([this] { UpDown1Click(); }); });
    connect(Button1, &QPushButton::clicked, this,
            [this] { runGuarded([this] { Button1Click(); }); });

    Label3->installEventFilter(this);
    Edit2->installEventFilter(this);
    canvas->installEventFilter(this);
    // The respondent controls lie over the left end of Label1.
    Label3->raise();
    Edit2->raise();
    UpDown1->raise();
    Button1->raise();
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
    separator(File1, nullptr);
    Print1 = item(File1, "Print1", "集計結果印刷(&P)...", &TForm1::Print1Click);
    CsvW1 = item(File1, "CsvW1", "集計結果保存(&C)...", &TForm1::CsvW1Click);
    Ex1 = item(File1, "Ex1", "集計結果を開く(&E)...", &TForm1::Ex1Click);
    separator(File1, nullptr);
    Exit1 = item(File1, "Exit1", "終了(&X)", &TForm1::Exit1Click);

    Edit1 = topMenu("Edit1", "編集(&E)");
    AEdit1 = item(Edit1, "AEdit1", "アンケート項目編集(&E)", &TForm1::AEdit1Click);
    separator(Edit1, "N3");
    AClear1 = item(Edit1, "AClear1", "アンケート全削除(&A)", &TForm1::AClear1Click);
    DClear1 = item(Edit1, "DClear1", "データのみ全削除(&D)", &TForm1::DClear1Click);
    separator(Edit1, "N6");
    CsvI1 = item(Edit1, "CsvI1", "追加集計ファイル作成(&I)...", &TForm1::CsvI1Click);
    csvR1 = item(Edit1, "csvR1", "集計ファイル追加(&R)...", &TForm1::CsvR1Click);
    CsvL1 = item(Edit1, "CsvL1", "追加集計ファイル一覧(&L)", &TForm1::CsvL1Click);

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
    connect(Frac1, &QAction::toggled, this, [this](bool on) { doc.Frac1 = on; });

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

    doc.AppDirectory = platform.programDirectory().toStdString();
    doc.PrintDirectory = doc.AppDirectory;

#ifdef Q_OS_WIN
    const QString timerTool = QStringLiteral("Davad.exe");
#else
    const QString timerTool = QStringLiteral("davad");
#endif
    DAVAD->setEnabled(!findBesideProgram(timerTool).isEmpty());

    if (!arguments_.isEmpty()) doc.OpenRequestPath = arguments_.first().toStdString();
    if (!QFileInfo(QString::fromStdString(doc.OpenRequestPath)).isFile())
        doc.OpenRequestPath = "vev.dat";
    if (QFileInfo(QString::fromStdString(doc.OpenRequestPath)).isFile()) Loaddatafile();

    setAcceptDrops(true);
}

void TForm1::FormActivate() {
    SetFcs();
}

void TForm1::FormDropFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    raise();
    activateWindow();
    // A drop replaces the survey as Open does, so it asks the same question first.
    if (doc.Modified && !hozonsyori()) return;
    if (paths.size() > 1) notice(QString::fromUtf8("ドロップで読み込むファイルは１つだけです。"));
    doc.OpenRequestPath = QFileInfo(paths.first()).absoluteFilePath().toStdString();
    Loaddatafile();
    SetFcs();
}

bool TForm1::FormCloseQuery() {
    if (!doc.Modified) return true;
    if (!hasDataFile()) return hozonsyori();
    switch (platform.messageBox(this, QString::fromUtf8("保存確認"),
                                QString::fromUtf8("データが変更されています。上書きしますか？"),
                                Platform::Icon::Warning, Platform::Buttons::YesNoCancel)) {
    case Platform::Answer::Yes:
        hozon();
        return true;
    case Platform::Answer::No:
        return true;
    default:
        return false;
    }
}

void TForm1::File1Click() {
    const bool loaded = doc.questionnaireLoaded();
    Save1->setEnabled(loaded && !doc.DataFilePath.empty());
    SaveAs1->setEnabled(loaded);
    CsvW1->setEnabled(doc.RespondentCount > 0);
    Print1->setEnabled(doc.RespondentCount > 0);
}

void TForm1::Open1Click() {
    if (doc.Modified && !hozonsyori()) return;
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("アンケートファイルを開く");
    dialog.filter = filterDat;
    dialog.defaultSuffix = QStringLiteral("dat");
    const QStringList files = platform.chooseOpenFiles(this, dialog);
    if (files.isEmpty()) return;
    doc.OpenRequestPath = files.first().toStdString();
    Loaddatafile();
    SetFcs();
}

bool TForm1::hasDataFile() const {
    return !doc.DataFilePath.empty() && doc.DataFilePath != proposedDataFile_ &&
           QFileInfo(QString::fromStdString(doc.DataFilePath)).isAbsolute();
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
    dialog.filter = filterDat;
    dialog.defaultSuffix = QStringLiteral("dat");
    dialog.fileName = QString::fromStdString(doc.DataFilePath);
    const QString file = platform.chooseSaveFile(this, dialog);
    if (file.isEmpty()) return;
    doc.DataFilePath = file.toStdString();
    hozon();
    proposedDataFile_.clear();
    doc.LastOperationSucceeded = true;
    setWindowTitle(QStringLiteral("VEV - ") + folderPart(file));
    Label2->setText(QString::fromUtf8("ファイル：") + fileNamePart(file));
}

void TForm1::Exit1Click() {
    close();
}

bool TForm1::hozonsyori() {
    switch (platform.messageBox(this, QString::fromUtf8("保存確認"),
                                QString::fromUtf8("データが変更されています。保存しますか？"),
                                Platform::Icon::Question, Platform::Buttons::YesNoCancel)) {
    case Platform::Answer::Yes:
        SaveAs1Click();
        return doc.LastOperationSucceeded;
    case Platform::Answer::No:
        return true;
    default:
        return false;
    }
}

void TForm1::Loaddatafile() {
    const bool hadQuestionnaire = doc.questionnaireLoaded();
    const int previousRows = std::min(doc.QuestionCount, MaxQuestions);
    if (vev::Loaddatafile(doc, *this) != LoadOutcome::Loaded) return;
    proposedDataFile_.clear();
    // The loader replaced the whole document after clearing the old one: the window loses the
    // old survey's look first, so a file whose first question has no choices (which hyoji does
    // not draw) leaves the empty window, not the previous survey's title and rows.
    if (hadQuestionnaire) showEmptyLook(previousRows);
    // Rows of a longer previous questionnaire and the open respondent number box go too.
    Edit2->hide();
    Button1->hide();
    KeyPreview = true;
    for (int n = doc.QuestionCount + 1; n <= MaxQuestions; ++n)
        if (!q[n]->isHidden()) q[n]->hide();
    WWrite->setChecked(doc.WWrite);
    Frac1->setChecked(doc.Frac1);
    UpDown1->setPosition(doc.CurrentRespondent);
    hyoji();
    hitoribun();
    fitHeightToQuestions();
    if (Form4) Form4->refillIfShowing();
}

void TForm1::hozon() {
    vev::hozon(doc, platform.shortDate());
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

void TForm1::fitCanvasToRows() {
    int bottom = 40;
    for (int n = 1; n <= MaxQuestions; ++n)
        if (!q[n]->isHidden()) bottom = 40 + 20 * n;
    canvas->setMinimumHeight(bottom + 16);
}

int TForm1::rowOf(const QObject* control) {
    if (!control) return 0;
    const QString name = control->objectName();
    bool ok = false;
    const int row = name.mid(2).toInt(&ok);
    if (!ok || row < 1 || row > MaxQuestions) return 0;
    if (!name.startsWith(QStringLiteral("sn")) && !name.startsWith(QStringLiteral("no"))) return 0;
    return row;
}

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
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    if (paths.isEmpty()) return;
    event->acceptProposedAction();
    runGuarded([this, paths] { FormDropFiles(paths); });
}

} // namespace vev
