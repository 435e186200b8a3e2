#include "about/about_dialog.h"

#include "platform/platform.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace vev {

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

QString TForm3::webAddress() {
    return QStringLiteral("https://vev.example.org/");
}

TForm3::TForm3(Platform& platform, QWidget* parent) : QDialog(parent), platform_(platform) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("VEV"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(197, 116);
    QFont font12(QString::fromUtf8("ＭＳ Ｐゴシック")); // the desktop substitutes its own
    font12.setPixelSize(12);
    setFont(font12);

    Label1 = makeLabel(this, "Label1", QString::fromUtf8("アンケート集計"), 60, 8);

    Label2 = makeLabel(this, "Label2", QStringLiteral("VEV v0.00"), 20, 24);
    QFont bold = Label2->font();
    bold.setBold(true);
    Label2->setFont(bold);
    Label2->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label2->setGeometry(20, 24, 161, 12);

    Label3 = makeLabel(this, "Label3", QStringLiteral("(c) VEV developers"), 38, 40);

    Label4 = makeLabel(this, "Label4", webAddress(), 16, 60);
    QFont underlined = Label4->font();
    underlined.setUnderline(true);
    Label4->setFont(underlined);
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    Label4->setGeometry(16, 60, 166, 12);
    Label4->setCursor(Qt::PointingHandCursor);
    Label4->installEventFilter(this);
    setLinkColour(Qt::blue);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(60, 85, 75, 18);
    Button1->setDefault(true);
    Button1->setFocus(); // first in the Tab order: the only control that takes focus
    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
}

void TForm3::setLinkColour(const QColor& colour) {
    QPalette palette = Label4->palette();
    palette.setColor(QPalette::WindowText, colour);
    Label4->setPalette(palette);
}

void TForm3::Label4Click() {
    platform_.shellOpen(Label4->text());
} // the dialog stays open
void TForm3::Label4MouseEnter() {
    setLinkColour(QColor(255, 0, 255));
}
void TForm3::Label4MouseLeave() {
    setLinkColour(QColor(0, 0, 255));
}
void TForm3::Button1Click() {
    accept();
}

bool TForm3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label4) {
        switch (event->type()) {
        case QEvent::Enter:
            Label4MouseEnter();
            break;
        case QEvent::Leave:
            Label4MouseLeave();
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                Label4->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()))
                Label4Click();
            break;
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vev

#include "moc_about_dialog.cpp"
