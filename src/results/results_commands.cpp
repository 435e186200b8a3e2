#include "app/main_window.h"

namespace vev {

void TForm1::CsvW1Click() {}
void TForm1::Print1Click() {}
void TForm1::Ex1Click() {}

} // namespace vev
