#include "app/main_window.h"

namespace vev {

void TForm1::Edit1Click() {}
void TForm1::DClear1Click() {}
void TForm1::AClear1Click() {}
void TForm1::DClear() {}
void TForm1::AClear() {}

} // namespace vev
