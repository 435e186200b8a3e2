#include "linked/linked_list_dialog.h"

#include "app/main_window.h"

namespace vev {

TForm4::TForm4(TForm1& form1) : QDialog(&form1), form1_(form1) {
    setObjectName(QStringLiteral("Form4"));
}

void TForm4::refillIfShowing() {}

} // namespace vev
