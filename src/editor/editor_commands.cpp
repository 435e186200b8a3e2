#include "app/main_window.h"

#include "editor/editor_dialog.h"

#include <QLabel>

namespace vev {

// File > New: the document is emptied (after the save question when it holds changes, else
// after the clear-all confirmation) and the editor opens on an empty questionnaire.
void TForm1::New1Click() {
    if (doc.Modified) {
        if (hozonsyori()) AClear();
    } else if (doc.questionnaireLoaded()) {
        AClear1Click();
    }
    if (doc.questionnaireLoaded()) return; // the operator declined
    Label1->setText(QString::fromUtf8("ｱﾝｹｰﾄ：新規作成"));
    Form2->openForNew();
}

// Edit > "アンケート項目編集(&E)": the editor on the document's questionnaire.
void TForm1::AEdit1Click() {
    Form2->openForDocument();
}

} // namespace vev
