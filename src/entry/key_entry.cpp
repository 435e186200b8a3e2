#include "app/main_window.h"

namespace vev {

bool TForm1::eventFilter(QObject* watched, QEvent* event) { return QMainWindow::eventFilter(watched, event); }
void TForm1::snKeyPress(char) {}
void TForm1::confirmMultiSelect() {}
void TForm1::FormKeyDown(int) {}
void TForm1::snClick(int) {}
void TForm1::noMouseDown(int, bool) {}
void TForm1::noMouseEnter(int) {}
void TForm1::noMouseLeave() {}
void TForm1::FormMouseWheel(int) {}

} // namespace vev
