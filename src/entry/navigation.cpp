#include "app/main_window.h"

namespace vev {

void TForm1::tugie() {}
void TForm1::UpDown1Click() {}
void TForm1::Label3MouseEnter() {}
void TForm1::Label3MouseLeave() {}
void TForm1::Label3Click() {}
void TForm1::Button1Click() {}
void TForm1::Edit2KeyPress(char) {}

} // namespace vev
