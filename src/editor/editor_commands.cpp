#include "app/main_window.h"

namespace vev {

void TForm1::New1Click() {}
void TForm1::AEdit1Click() {}

} // namespace vev
