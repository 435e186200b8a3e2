#pragma once

#include <QDialog>

namespace vev {

class TForm1;

// The linked tally file list "集計ファイルの追加と削除": modeless, on top, created hidden at
// start-up and kept for the whole run.
class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(TForm1& form1);

    // Refills the list when it is showing (the links were dropped or replaced).
    void refillIfShowing();

private:
    TForm1& form1_;
};

} // namespace vev
