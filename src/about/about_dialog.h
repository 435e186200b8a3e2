#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vev {

class Platform;

// The About dialog "VEV": made and destroyed on each use of the Help menu's About item. Its link
// label opens the maker's web page through the platform.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(Platform& platform, QWidget* parent = nullptr);

    // The maker's web page shown in the link label.
    static QString webAddress();

    void Label4Click();
    void Label4MouseEnter(); // link text magenta
    void Label4MouseLeave(); // link text blue
    void Button1Click();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr; // VersionString, set by whoever shows the dialog
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setLinkColour(const QColor& colour);

    Platform& platform_;
};

} // namespace vev
