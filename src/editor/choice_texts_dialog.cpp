#include "editor/choice_texts_dialog.h"

#include "model/sjis.h"
#include "model/survey_texts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>

namespace vev {

namespace {

std::size_t limitOf(int column) {
    return column == ChoiceTextsDialog::WordingColumn ? MaxWordingBytes : MaxChoiceTextBytes;
}

// What a text cell's box takes: characters that Shift-JIS holds, up to the column's limit.
class TextCellValidator : public QValidator {
public:
    TextCellValidator(std::size_t limit, std::function<void(const QString&)> refuse,
                      std::function<void()> full, QObject* parent)
        : QValidator(parent), limit_(limit), refuse_(std::move(refuse)), full_(std::move(full)) {}

    State validate(QString& input, int&) const override {
        if (const auto character = firstCharacterWithoutShiftJis(input)) {
            refuse_(*character);
            return Invalid;
        }
        if (sjis::fromQString(input).size() > limit_) {
            full_();
            return Invalid;
        }
        return Acceptable;
    }

private:
    std::size_t limit_;
    std::function<void(const QString&)> refuse_;
    std::function<void()> full_;
};

class TextCellDelegate : public QStyledItemDelegate {
public:
    TextCellDelegate(std::function<void(const QString&)> refuse, std::function<void()> full,
                     QObject* parent)
        : QStyledItemDelegate(parent), refuse_(std::move(refuse)), full_(std::move(full)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* box = qobject_cast<QLineEdit*>(editor)) {
            box->setObjectName(QStringLiteral("TextCellEditor"));
            box->setValidator(new TextCellValidator(limitOf(index.column()), refuse_, full_, box));
        }
        return editor;
    }

private:
    std::function<void(const QString&)> refuse_;
    std::function<void()> full_;
};

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

ChoiceTextsDialog::ChoiceTextsDialog(const Questionnaire& questionnaire, Platform& platform,
                                     QWidget* parent)
    : QDialog(parent), platform_(platform) {
    setObjectName(QStringLiteral("ChoiceTextsDialog"));
    setWindowTitle(u8("選択肢の内容"));
    const int rows = std::clamp(questionnaire.QuestionCount, 0, MaxQuestions);

    table_ = new QTableWidget(rows, FirstChoiceColumn + MaxTextChoices, this);
    table_->setObjectName(QStringLiteral("ChoiceTextsTable"));
    QStringList headers{u8("質問内容"), u8("質問文")};
    for (int c = 1; c <= MaxTextChoices; ++c) headers << QString::number(c);
    table_->setHorizontalHeaderLabels(headers);
    for (int q = 1; q <= rows; ++q) {
        const int row = q - 1;
        table_->setVerticalHeaderItem(row, new QTableWidgetItem(QString::number(q)));
        auto* text = new QTableWidgetItem(sjis::toQString(questionnaire.QuestionText[q]));
        text->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        table_->setItem(row, QuestionTextColumn, text);
        table_->setItem(row, WordingColumn,
                        new QTableWidgetItem(sjis::toQString(questionnaire.Texts.Wording[q])));
        const int choices = std::clamp(questionnaire.ChoiceCount[q], 0, MaxTextChoices);
        for (int c = 1; c <= MaxTextChoices; ++c) {
            auto* cell = new QTableWidgetItem(
                c <= choices ? sjis::toQString(questionnaire.Texts.Choice[q][c]) : QString());
            if (c > choices) cell->setFlags(Qt::NoItemFlags); // no such choice
            table_->setItem(row, FirstChoiceColumn + c - 1, cell);
        }
    }
    table_->setItemDelegate(
        new TextCellDelegate([this](const QString& character) { refuseCharacter(character); },
                             [this] { platform_.beep(); }, table_));
    table_->horizontalHeader()->resizeSection(QuestionTextColumn, 150);
    table_->horizontalHeader()->resizeSection(WordingColumn, 240);
    for (int c = 1; c <= MaxTextChoices; ++c)
        table_->horizontalHeader()->resizeSection(FirstChoiceColumn + c - 1, 100);
    table_->setCurrentCell(0, WordingColumn);
    table_->installEventFilter(this);

    ok_ = new QPushButton(QStringLiteral("OK"), this);
    ok_->setObjectName(QStringLiteral("ChoiceTextsOk"));
    ok_->setDefault(true);
    cancel_ = new QPushButton(u8("キャンセル"), this);
    cancel_->setObjectName(QStringLiteral("ChoiceTextsCancel"));
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addLayout(buttons);
    resize(1000, 480);
}

SurveyTexts ChoiceTextsDialog::texts() const {
    SurveyTexts texts;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const int q = row + 1;
        auto stored = [this, row](int column) {
            const QTableWidgetItem* cell = table_->item(row, column);
            if (!cell || !(cell->flags() & Qt::ItemIsEnabled)) return std::string();
            return storedText(cell->text(), limitOf(column)).Bytes;
        };
        texts.Wording[q] = stored(WordingColumn);
        for (int c = 1; c <= MaxTextChoices; ++c)
            texts.Choice[q][c] = stored(FirstChoiceColumn + c - 1);
    }
    return texts;
}

bool ChoiceTextsDialog::pasteBlock(const QString& block) {
    QString text = block;
    text.remove(QLatin1Char('\r'));
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1); // a spreadsheet ends its last row too
    if (const auto character = firstCharacterWithoutShiftJis(text)) {
        refuseCharacter(*character);
        return false;
    }
    const int top = table_->currentRow() >= 0 ? table_->currentRow() : 0;
    const int left = table_->currentColumn() >= 0 ? table_->currentColumn() : WordingColumn;
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool cut = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QStringList cells = lines[i].split(QLatin1Char('\t'));
        for (qsizetype j = 0; j < cells.size(); ++j) {
            const int row = top + static_cast<int>(i);
            const int column = left + static_cast<int>(j);
            QTableWidgetItem* cell = table_->item(row, column);
            if (!cell || !(cell->flags() & Qt::ItemIsEditable)) continue;
            const StoredText stored = storedText(cells[j], limitOf(column));
            cut = cut || stored.Cut;
            cell->setText(sjis::toQString(stored.Bytes));
        }
    }
    if (cut) platform_.beep();
    return true;
}

bool ChoiceTextsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
        pasteBlock(QGuiApplication::clipboard()->text());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ChoiceTextsDialog::refuseCharacter(const QString& character) {
    // Shown after the keystroke is over: the box that refused it must not lose the keyboard in
    // the middle of its own key handling.
    if (refusalPending_) return;
    refusalPending_ = true;
    QTimer::singleShot(0, this, [this, character] {
        platform_.messageBox(this, u8("選択肢の内容"),
                             u8("「%1」はShift-JISにない文字なので使えません。").arg(character),
                             Platform::Icon::Warning, Platform::Buttons::Ok);
        refusalPending_ = false;
    });
}

std::optional<SurveyTexts> editChoiceTexts(const Questionnaire& questionnaire, Platform& platform,
                                           QWidget* parent) {
    ChoiceTextsDialog dialog(questionnaire, platform, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.texts();
}

void ChoiceTextsCommand::ChoiceTexts1Click() {
    if (!doc_.questionnaireLoaded()) return;
    const auto texts = editChoiceTexts(Questionnaire::of(doc_), platform_, view_.dialogParent());
    if (texts && applyTexts(doc_, *texts) && applied_) applied_();
}

} // namespace vev

#include "moc_choice_texts_dialog.cpp"
