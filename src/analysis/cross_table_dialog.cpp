#include "analysis/cross_table_dialog.h"

#include "model/output_target.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "model/text_file.h"
#include "platform/platform.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace vev {

namespace {

QLabel* buddyLabel(const char* utf8, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(utf8), parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

bool CrossTableDialog::hasChoiceQuestion(const SurveyDocument& doc) {
    for (int q = 1; q <= doc.QuestionCount; ++q)
        if (crossQuestionProblem(doc, q).isEmpty()) return true;
    return false;
}

CrossTableDialog::CrossTableDialog(const SurveyDocument& doc, Platform& platform, QWidget* parent)
    : QDialog(parent), doc_(doc), platform_(platform) {
    setObjectName(QStringLiteral("CrossTableDialog"));
    setWindowTitle(QString::fromUtf8("クロス集計"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    resize(620, 420);

    RowQuestion = new QComboBox(this);
    RowQuestion->setObjectName(QStringLiteral("RowQuestion"));
    ColumnQuestion = new QComboBox(this);
    ColumnQuestion->setObjectName(QStringLiteral("ColumnQuestion"));
    for (int q = 1; q <= doc.QuestionCount; ++q) {
        if (!crossQuestionProblem(doc, q).isEmpty()) continue;
        QString text =
            QString::number(q) + QStringLiteral("  ") + sjis::toQString(doc.QuestionText[q].view());
        if (doc.MultiSelect[q]) text += QString::fromUtf8("（複数選択）");
        RowQuestion->addItem(text, q);
        ColumnQuestion->addItem(text, q);
    }
    // The first two questions against each other, or the only one against itself.
    ColumnQuestion->setCurrentIndex(ColumnQuestion->count() > 1 ? 1 : 0);

    ViewBox = new QComboBox(this);
    ViewBox->setObjectName(QStringLiteral("ViewBox"));
    ViewBox->addItem(QString::fromUtf8("人数"), int(CrossView::Counts));
    ViewBox->addItem(QString::fromUtf8("行％"), int(CrossView::RowPercent));
    ViewBox->addItem(QString::fromUtf8("列％"), int(CrossView::ColumnPercent));
    ViewBox->addItem(QString::fromUtf8("全体％"), int(CrossView::TotalPercent));

    ShowOpen = new QCheckBox(QString::fromUtf8("無回答・NGを表示(&N)"), this);
    ShowOpen->setObjectName(QStringLiteral("ShowOpen"));
    ShowOpen->setChecked(true);

    Table = new QTableWidget(this);
    Table->setObjectName(QStringLiteral("Table"));
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab goes on to the buttons; the arrow keys move between the cells.
    Table->setTabKeyNavigation(false);
    Table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Table->horizontalHeader()->setMinimumSectionSize(52);

    LinkedNote = new QLabel(
        QString::fromUtf8("追加集計ファイルの人数は含みません（回答者ごとの答えがないため）。"),
        this);
    LinkedNote->setObjectName(QStringLiteral("LinkedNote"));
    LinkedNote->setVisible(doc.LinkedTallyFileCount > 0);
    BaseNote = new QLabel(this);
    BaseNote->setObjectName(QStringLiteral("BaseNote"));
    BaseNote->setWordWrap(true);

    CopyButton = new QPushButton(QString::fromUtf8("コピー(&C)"), this);
    CopyButton->setObjectName(QStringLiteral("CopyButton"));
    SaveButton = new QPushButton(QString::fromUtf8("CSV保存(&S)..."), this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    CloseButton = new QPushButton(QString::fromUtf8("閉じる"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));
    CopyButton->setAutoDefault(false);
    SaveButton->setAutoDefault(false);
    CloseButton->setDefault(true);

    auto* choices = new QGridLayout;
    choices->addWidget(buddyLabel("行の質問(&R):", RowQuestion, this), 0, 0);
    choices->addWidget(RowQuestion, 0, 1);
    choices->addWidget(buddyLabel("表示(&V):", ViewBox, this), 0, 2);
    choices->addWidget(ViewBox, 0, 3);
    choices->addWidget(buddyLabel("列の質問(&L):", ColumnQuestion, this), 1, 0);
    choices->addWidget(ColumnQuestion, 1, 1);
    choices->addWidget(ShowOpen, 1, 2, 1, 2);
    choices->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LinkedNote, 1);
    buttons->addStretch();
    buttons->addWidget(CopyButton);
    buttons->addWidget(SaveButton);
    buttons->addWidget(CloseButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(Table, 1);
    layout->addWidget(BaseNote);
    layout->addLayout(buttons);

    const auto changed = [this] { refresh(); };
    connect(RowQuestion, &QComboBox::currentIndexChanged, this, changed);
    connect(ColumnQuestion, &QComboBox::currentIndexChanged, this, changed);
    connect(ViewBox, &QComboBox::currentIndexChanged, this, changed);
    connect(ShowOpen, &QCheckBox::toggled, this, changed);
    connect(CopyButton, &QPushButton::clicked, this, &CrossTableDialog::CopyClick);
    connect(SaveButton, &QPushButton::clicked, this,
            [this] { platform_.runGuarded(this, [this] { SaveClick(); }); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    refresh();
}

void CrossTableDialog::refresh() {
    const int rowQ = RowQuestion->currentData().toInt();
    const int colQ = ColumnQuestion->currentData().toInt();
    if (rowQ == 0 || colQ == 0) {
        grid_ = {};
        BaseNote->clear();
        Table->clear();
        Table->setRowCount(0);
        Table->setColumnCount(0);
        return;
    }
    grid_ = crossGrid(crossTabulate(doc_, rowQ, colQ), CrossView(ViewBox->currentData().toInt()),
                      ShowOpen->isChecked(), doc_.Frac1, true);
    BaseNote->setText(grid_.baseNote);

    Table->clear();
    Table->setRowCount(int(grid_.rowLabels.size()));
    Table->setColumnCount(int(grid_.columnLabels.size()));
    Table->setHorizontalHeaderLabels(grid_.columnLabels);
    Table->setVerticalHeaderLabels(grid_.rowLabels);
    for (int a = 0; a < Table->rowCount(); ++a)
        for (int b = 0; b < Table->columnCount(); ++b) {
            auto* item = new QTableWidgetItem(grid_.cells.value(a).value(b));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            // The totals (last row and column) stand out.
            if (a == Table->rowCount() - 1 || b == Table->columnCount() - 1) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            Table->setItem(a, b, item);
        }
}

void CrossTableDialog::CopyClick() {
    QGuiApplication::clipboard()->setText(crossGridText(grid_));
}

QString CrossTableDialog::proposedFileName() const {
    const QString name = QStringLiteral("cross_%1_%2.csv")
                             .arg(RowQuestion->currentData().toInt())
                             .arg(ColumnQuestion->currentData().toInt());
    if (doc_.DataFilePath.empty()) return name;
    // Beside the data file, after its name: lunch.dat -> lunch_cross_1_2.csv
    const std::string stem = paths::withExtension(doc_.DataFilePath, "");
    return paths::toQString(stem) + QLatin1Char('_') + name;
}

void CrossTableDialog::SaveClick() {
    Platform::FileDialog dialog;
    dialog.title = QString::fromUtf8("クロス集計を保存");
    dialog.filter = QString::fromUtf8("CSVファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
    dialog.defaultSuffix = QStringLiteral("csv");
    dialog.fileName = proposedFileName();
    const QString chosen = platform_.chooseSaveFile(this, dialog);
    if (chosen.isEmpty()) return;
    const QByteArray csv = crossGridCsv(grid_, /*byteOrderMark=*/true);
    checkOutputTarget(doc_, paths::fromQString(chosen), OutputRole::Other);
    writeOutputFile(paths::fromQString(chosen), csv.toStdString());
}

void CrossTab1Click(QWidget* parent, const SurveyDocument& doc, Platform& platform) {
    if (!CrossTableDialog::hasChoiceQuestion(doc)) {
        platform.messageBox(parent, QStringLiteral("VEV"),
                            QString::fromUtf8("クロス集計できる選択肢の質問がありません。"),
                            Platform::Icon::Information, Platform::Buttons::Ok);
        return;
    }
    CrossTableDialog dialog(doc, platform, parent);
    dialog.exec();
}

} // namespace vev

#include "moc_cross_table_dialog.cpp"
