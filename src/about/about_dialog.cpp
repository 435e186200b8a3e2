#include "about/about_dialog.h"

namespace vev {

TForm3::TForm3(QWidget* parent) : QDialog(parent) { setObjectName(QStringLiteral("Form3")); }

} // namespace vev
