#pragma once

#include <QDialog>

namespace vev {

class TForm1;

// The questionnaire editor "アンケート編集": modeless, on top of the main window, created hidden
// at start-up and kept for the whole run.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(TForm1& form1);

private:
    TForm1& form1_;
};

} // namespace vev
