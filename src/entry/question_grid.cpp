#include "app/main_window.h"

namespace vev {

void TForm1::hyoji() {}
void TForm1::hitoribun() {}
void TForm1::SetFcs() {}

} // namespace vev
