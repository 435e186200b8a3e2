#include "double_entry/compare_dialog.h"

#include "model/output_target.h"
#include "model/paths.h"
#include "model/sjis.h"
#include "model/text_file.h"
#include "platform/platform.h"

#include <QAbstractTableModel>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace vev {

// The differences of a comparison as a table: respondent, question, question text, answer here,
// answer in the other file. Qt::UserRole of columns 0 and 1: respondent and question numbers.
class DifferenceModel : public QAbstractTableModel {
public:
    DifferenceModel(const SurveyDocument& doc, const Comparison& comparison, QObject* parent)
        : QAbstractTableModel(parent), doc_(doc), comparison_(comparison) {}

    // Replaces the comparison the rows come from.
    template <typename Change> void replace(Change change) {
        beginResetModel();
        change();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(comparison_.Differences.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : 5;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return CompareDialog::columnCaptions().value(section);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount()) return {};
        const AnswerDifference& d = comparison_.Differences[static_cast<std::size_t>(index.row())];
        if (role == Qt::UserRole) {
            if (index.column() == 0) return d.Respondent;
            if (index.column() == 1) return d.Question;
            return {};
        }
        if (role != Qt::DisplayRole) return {};
        switch (index.column()) {
        case 0:
            return QString::number(d.Respondent);
        case 1:
            return d.Question ? QString::number(d.Question) : QString();
        case 2:
            return d.Question ? sjis::toQString(doc_.QuestionText[d.Question].view())
                              : oneSidedText();
        case 3:
            return d.Question ? answerText(d.AnswerA)
                              : (d.OnlyIn == 'A' ? presentText() : absentText());
        case 4:
            return d.Question ? answerText(d.AnswerB)
                              : (d.OnlyIn == 'B' ? presentText() : absentText());
        default:
            return {};
        }
    }

private:
    const SurveyDocument& doc_;
    const Comparison& comparison_;
};

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

QString caption() {
    return u8("入力照合");
}

QString fileName(const QString& path) {
    return QFileInfo(path).fileName();
}

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists()) return fa.canonicalFilePath() == fb.canonicalFilePath();
    return fa.absoluteFilePath() == fb.absoluteFilePath();
}

QLabel* makeLabel(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QPushButton* makeButton(QWidget* parent, const char* name, const char* text) {
    auto* button = new QPushButton(u8(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

QString openSurveyName(const SurveyDocument& doc) {
    if (doc.DataFilePath.empty()) return u8("開いているアンケート");
    return paths::toQString(paths::fileNamePart(doc.DataFilePath));
}

QStringList CompareDialog::columnCaptions() {
    return {u8("回答者"), u8("質問"), u8("質問内容"), u8("このファイルの回答"),
            u8("照合ファイルの回答")};
}

CompareDialog::CompareDialog(SurveyDocument& doc, Platform& platform, QString otherPath, Jump jump,
                             QWidget* parent, std::unique_ptr<SurveyDocument> other)
    : QDialog(parent), doc_(doc), platform_(platform), otherPath_(std::move(otherPath)),
      jump_(std::move(jump)) {
    setObjectName(QStringLiteral("CompareDialog"));
    setWindowTitle(caption());
    setModal(false);

    filesLabel = makeLabel(this, "filesLabel");
    respondentsLabel = makeLabel(this, "respondentsLabel");
    answersLabel = makeLabel(this, "answersLabel");
    differencesLabel = makeLabel(this, "differencesLabel");
    oneSidedLabel = makeLabel(this, "oneSidedLabel");
    agreementLabel = makeLabel(this, "agreementLabel");
    QFont bold = agreementLabel->font();
    bold.setBold(true);
    agreementLabel->setFont(bold);
    shiftLabel = makeLabel(this, "shiftLabel");
    QPalette red = shiftLabel->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    shiftLabel->setPalette(red);

    model_ = new DifferenceModel(doc_, comparison_, this);
    differenceList = new QTreeView(this);
    differenceList->setObjectName(QStringLiteral("differenceList"));
    differenceList->setModel(model_);
    differenceList->setRootIsDecorated(false);
    differenceList->setItemsExpandable(false);
    differenceList->setUniformRowHeights(true);
    differenceList->setAllColumnsShowFocus(true);
    differenceList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    differenceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    differenceList->header()->setStretchLastSection(false);
    differenceList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    differenceList->header()->setSectionResizeMode(2, QHeaderView::Stretch);

    refreshButton = makeButton(this, "refreshButton", "再照合(&R)");
    reportButton = makeButton(this, "reportButton", "相違一覧を保存(&S)...");
    closeButton = makeButton(this, "closeButton", "閉じる");

    auto* summary = new QHBoxLayout;
    for (QLabel* label :
         {respondentsLabel, answersLabel, differencesLabel, oneSidedLabel, agreementLabel})
        summary->addWidget(label);
    summary->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(refreshButton);
    buttons->addWidget(reportButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(filesLabel);
    layout->addLayout(summary);
    layout->addWidget(shiftLabel);
    layout->addWidget(differenceList, 1);
    layout->addLayout(buttons);
    resize(720, 420);

    connect(refreshButton, &QPushButton::clicked, this, [this] { guarded([this] { refresh(); }); });
    connect(reportButton, &QPushButton::clicked, this,
            [this] { guarded([this] { saveReport(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    connect(differenceList, &QTreeView::activated, this,
            [this](const QModelIndex& index) { guarded([this, index] { rowActivated(index); }); });

    if (other)
        compareWith(*other);
    else
        refresh();
}

CompareDialog::~CompareDialog() {
    // The rows are drawn from comparison_, which goes before the child widgets do: the list
    // must not ask for them while the dialog is being taken down.
    delete differenceList;
}

void CompareDialog::guarded(const std::function<void()>& handler) {
    platform_.runGuarded(this, handler);
}

void CompareDialog::showRefusal(const QString& text) {
    model_->replace([&] {
        comparison_ = Comparison();
        comparison_.QuestionnaireDifference = text;
    });
    fill();
    platform_.messageBox(this, caption(), text, Platform::Icon::Warning, Platform::Buttons::Ok);
}

bool CompareDialog::refresh() {
    const SurveyForComparison other = readSurveyForComparison(paths::fromQString(otherPath_));
    if (!other.Doc) {
        showRefusal(other.Refusal);
        return false;
    }
    compareWith(*other.Doc);
    if (!comparison_.questionnairesMatch()) {
        showRefusal(comparison_.QuestionnaireDifference);
        return false;
    }
    return true;
}

void CompareDialog::compareWith(const SurveyDocument& other) {
    model_->replace([&] {
        comparison_ = compareSurveys(doc_, other, openSurveyName(doc_), fileName(otherPath_));
    });
    fill();
}

void CompareDialog::fill() {
    filesLabel->setText(u8("このファイル：") + openSurveyName(doc_) + u8("　　照合ファイル：") +
                        fileName(otherPath_));
    const bool compared = comparison_.questionnairesMatch();
    reportButton->setEnabled(compared);
    if (!compared) {
        for (QLabel* label : {respondentsLabel, answersLabel, differencesLabel, oneSidedLabel,
                              agreementLabel, shiftLabel})
            label->clear();
        return;
    }
    const QStringList summary = comparisonSummary(comparison_);
    respondentsLabel->setText(summary.value(0));
    answersLabel->setText(summary.value(1));
    differencesLabel->setText(summary.value(2));
    oneSidedLabel->setText(summary.value(3));
    agreementLabel->setText(summary.value(4));
    shiftLabel->setText(shiftText(comparison_));

    if (model_->rowCount() > 0) differenceList->setCurrentIndex(model_->index(0, 0));
}

void CompareDialog::rowActivated(const QModelIndex& index) {
    if (!index.isValid() || !jump_) return;
    const int r = model_->index(index.row(), 0).data(Qt::UserRole).toInt();
    int q = model_->index(index.row(), 1).data(Qt::UserRole).toInt();
    // A respondent the other file has beyond this one's new respondent cannot be shown: the
    // window reaches one respondent after the last, no further.
    if (r < 1 || r > MaxRespondents || r > doc_.RespondentCount + 1) {
        platform_.beep();
        return;
    }
    if (q == 0) {
        for (int n = 1; n <= std::min(doc_.QuestionCount, MaxQuestions) && q == 0; ++n)
            if (doc_.ChoiceCount[n] > 0) q = n;
        if (q == 0) q = 1;
    }
    jump_(r, q);
}

void CompareDialog::saveReport() {
    Platform::FileDialog dialog;
    dialog.title = u8("相違一覧を保存");
    dialog.filter = u8("CSVファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*");
    dialog.defaultSuffix = QStringLiteral("csv");
    const std::string stem = doc_.DataFilePath.empty()
                                 ? std::string()
                                 : paths::withExtension(doc_.DataFilePath, "") + "_";
    dialog.fileName = paths::toQString(stem) + u8("相違.csv");
    const QString chosen = platform_.chooseSaveFile(this, dialog);
    if (chosen.isEmpty()) return;
    // A report written over a data file would lose a survey; nor may it replace the open survey's
    // linked tally or results files.
    checkOutputTarget(doc_, paths::fromQString(chosen), OutputRole::Other);
    if (sameFile(chosen, otherPath_)) {
        platform_.messageBox(this, caption(),
                             u8("データファイルには書き込めません。別の名前を選んでください。"),
                             Platform::Icon::Warning, Platform::Buttons::Ok);
        return;
    }
    const QByteArray report = differencesReport(comparison_, doc_);
    writeOutputFile(paths::fromQString(chosen), report.toStdString());
}

} // namespace vev

#include "moc_compare_dialog.cpp"
