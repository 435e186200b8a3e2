#include "app/main_window.h"

namespace vev {

void TForm1::CsvI1Click() {}
void TForm1::CsvR1Click() {}
void TForm1::CsvL1Click() {}

} // namespace vev
