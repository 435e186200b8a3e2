#include "app/main_window.h"

#include "editor/editor_dialog.h"
#include "linked/linked_list_dialog.h"

#include <QCloseEvent>

namespace vev {

TForm1::TForm1(SurveyDocument& document, Platform& platformServices, QStringList arguments,
               QWidget* parent)
    : QMainWindow(parent), doc(document), platform(platformServices),
      arguments_(std::move(arguments)) {
    setObjectName(QStringLiteral("Form1"));
}

TForm1::~TForm1() = default;

void TForm1::attachDialogs(TForm2* editor, TForm4* linkedList) {
    Form2 = editor;
    Form4 = linkedList;
}

void TForm1::runGuarded(const std::function<void()>& handler) { handler(); }
void TForm1::notice(const QString&) {}
void TForm1::informationBeep() {}
void TForm1::tallyChanged(int) {}
void TForm1::FormCreate() {}
void TForm1::FormActivate() {}
void TForm1::FormDropFiles(const QStringList&) {}
bool TForm1::FormCloseQuery() { return true; }
void TForm1::File1Click() {}
void TForm1::Open1Click() {}
void TForm1::Save1Click() {}
void TForm1::SaveAs1Click() {}
void TForm1::Exit1Click() {}
bool TForm1::hozonsyori() { return true; }
void TForm1::Loaddatafile() {}
void TForm1::hozon() {}
void TForm1::fitHeightToQuestions() {}
int TForm1::rowOf(const QObject*) { return 0; }
void TForm1::closeEvent(QCloseEvent* event) { event->accept(); }
void TForm1::changeEvent(QEvent* event) { QMainWindow::changeEvent(event); }
void TForm1::dragEnterEvent(QDragEnterEvent*) {}
void TForm1::dropEvent(QDropEvent*) {}
void TForm1::createWidgets() {}
void TForm1::createMenus() {}

} // namespace vev
