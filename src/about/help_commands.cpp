#include "app/main_window.h"

namespace vev {

void TForm1::About1Click() {}
void TForm1::ManualClick() {}
void TForm1::ZAMwebClick() {}
void TForm1::DAVADClick() {}
QString TForm1::findBesideProgram(const QString&) const { return {}; }

} // namespace vev
