#pragma once

#include <QDialog>

namespace vev {

// The About dialog: made and destroyed on each use.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);
};

} // namespace vev
