#include "editor/editor_dialog.h"

#include "app/main_window.h"

namespace vev {

TForm2::TForm2(TForm1& form1) : QDialog(&form1), form1_(form1) {
    setObjectName(QStringLiteral("Form2"));
}

} // namespace vev
