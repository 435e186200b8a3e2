#include "app/main_window.h"

#include "entry/h_spinner.h"
#include "entry/recording.h"
#include "entry/tally_text.h"
#include "model/sjis.h"

#include <QLabel>
#include <QLineEdit>
#include <QValidator>

#include <algorithm>

namespace vev {

namespace {

void setTextIfChanged(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

// Left edge and width of a row's answer box. From six choices on, a multi-select box keeps
// its right edge at 252 and grows leftwards over the question text.
QRect answerBoxGeometry(bool multiSelect, int choices) {
    if (!multiSelect) return {200, 0, 20, 19};
    if (choices <= 5) return {200, 0, 8 * choices + 12, 19};
    return {245 - 9 * choices, 0, 9 * choices + 7, 19};
}

// The answer box's length limit binds what the operator types, not what the program shows:
// an answer stored before the editor cut the question's choices still shows whole, where a
// QLineEdit maximum length would cut it.
class AnswerLength : public QValidator {
public:
    AnswerLength(int limit, QObject* parent) : QValidator(parent), limit(limit) {}
    State validate(QString& input, int&) const override {
        return input.size() <= limit ? Acceptable : Invalid;
    }
    int limit;
};

void setAnswerLength(QLineEdit* box, int limit) {
    if (const auto* current = dynamic_cast<const AnswerLength*>(box->validator())) {
        const_cast<AnswerLength*>(current)->limit = limit;
        return;
    }
    box->setValidator(new AnswerLength(limit, box));
}

} // namespace

void TForm1::hyoji() {
    if (!doc.questionnaireLoaded()) return;

    const QString path = QString::fromStdString(doc.DataFilePath);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    setTextIfChanged(Label1, QString::fromUtf8("　　　　　　　 　ｱﾝｹｰﾄ：") +
                                 sjis::toQString(doc.SurveyTitle.view()));
    setTextIfChanged(Label2, QString::fromUtf8("ﾌｧｲﾙ：") + path.mid(slash + 1));
    setWindowTitle(QStringLiteral("VEV - ") + path.left(slash + 1));
    Label3->show();
    Label4->show();
    Label5->show();
    UpDown1->show();

    const int rows = std::min(std::max(doc.QuestionCount, doc.RowsToRefresh), MaxQuestions);
    for (int n = 1; n <= rows; ++n) {
        const int choices = doc.ChoiceCount[n];
        if (choices == 0) {
            q[n]->hide();
            continue;
        }
        setTextIfChanged(no[n], QString::number(n).rightJustified(2) + QLatin1Char('.') +
                                    sjis::toQString(doc.QuestionText[n].view()));
        setAnswerLength(sn[n], choices);
        // Answers are half-width digits typed straight into the box; an input method would
        // compose full-width text that never reaches the key handlers.
        sn[n]->setAttribute(Qt::WA_InputMethodEnabled, false);
        const QRect box = answerBoxGeometry(doc.MultiSelect[n], choices);
        if (sn[n]->geometry() != box) sn[n]->setGeometry(box);
        setTextIfChanged(af[n], QString::fromLatin1(ChoiceLine(doc, n)));
        setTextIfChanged(ad[n], QString::fromLatin1(TallyLine(doc, n)));
        q[n]->show();
    }
    fitCanvasToRows();
}

void TForm1::hitoribun() {
    vev::hitoribun(doc);
    const int r = doc.CurrentRespondent;
    setTextIfChanged(Label3, QStringLiteral("No.") + QString::number(r));
    for (int n = 1; n <= std::min(doc.QuestionCount, MaxQuestions); ++n) {
        const QString answer = sjis::toQString(doc.Answers[r][n].view());
        if (sn[n]->text() != answer) sn[n]->setText(answer);
    }
}

void TForm1::SetFcs() {
    const int row = doc.CurrentQuestion;
    if (row < 1 || row > MaxQuestions) return;
    if (!q[row]->isHidden()) sn[row]->setFocus();
}

} // namespace vev
