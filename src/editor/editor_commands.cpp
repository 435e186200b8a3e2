#include "app/main_window.h"

#include "editor/clear_document.h"
#include "editor/editor_dialog.h"
#include "entry/h_spinner.h"
#include "linked/linked_list_dialog.h"

#include <QLabel>

namespace vev {

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
    showEmptyLook(MaxQuestions);
    UpDown1->setPosition(1);
    if (Form4) Form4->refillIfShowing();
    Label1->setText(QString::fromUtf8("ｱﾝｹｰﾄ：新規作成"));
    Form2->openForNew();
}

// Edit > "アンケート項目編集(&E)": the editor on the document's questionnaire.
void TForm1::AEdit1Click() {
    Form2->openForDocument();
}

} // namespace vev
