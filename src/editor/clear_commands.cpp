#include "app/main_window.h"

#include "editor/clear_document.h"
#include "entry/h_spinner.h"
#include "entry/tally_text.h"
#include "linked/linked_list_dialog.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vev {

void TForm1::Edit1Click() {
    const bool loaded = doc.questionnaireLoaded();
    for (QAction* item : {AEdit1, AClear1, CsvI1, csvR1, CsvL1}) item->setEnabled(loaded);
    DClear1->setEnabled(doc.RespondentCount > 0);
}

void TForm1::DClear1Click() {
    if (platform.messageBox(this, QString::fromUtf8("データ削除"),
                            QString::fromUtf8("データのみ削除します"), Platform::Icon::Question,
                            Platform::Buttons::OkCancel) == Platform::Answer::Ok)
        DClear();
}

void TForm1::AClear1Click() {
    if (platform.messageBox(this, QString::fromUtf8("アンケート削除"),
                            QString::fromUtf8("アンケートを削除します"), Platform::Icon::Question,
                            Platform::Buttons::OkCancel) == Platform::Answer::Ok)
        AClear();
}

void TForm1::DClear() {
    vev::DClear(doc);
    for (int n = 1; n <= std::min(doc.QuestionCount, MaxQuestions); ++n) tallyChanged(n);
    hitoribun();
    UpDown1->setPosition(1);
    if (Form4) Form4->refillIfShowing();
}

void TForm1::AClear() {
    if (!doc.questionnaireLoaded()) return;
    const int rows = std::min(doc.QuestionCount, MaxQuestions);
    DClear();
    vev::AClear(doc);
    showEmptyLook(rows);
}

void TForm1::showEmptyLook(int rows) {
    for (QWidget* control : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(Label4),
                             static_cast<QWidget*>(Label5), static_cast<QWidget*>(Edit2),
                             static_cast<QWidget*>(Button1), static_cast<QWidget*>(UpDown1)})
        control->hide();
    KeyPreview = true;
    for (int n = 1; n <= rows; ++n) q[n]->hide();
    setWindowTitle(QStringLiteral("VEV"));
    Label2->clear();
    Label1->setText(QString::fromUtf8("ｱﾝｹｰﾄ：ファイルを開いて下さい"));
    fitCanvasToRows();
}

} // namespace vev
