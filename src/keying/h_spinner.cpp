#include "keying/h_spinner.h"

#include <QToolButton>

#include <algorithm>

namespace vev {

HSpinner::HSpinner(QWidget* parent)
    : QWidget(parent), back_(new QToolButton(this)), forward_(new QToolButton(this)) {
    back_->setArrowType(Qt::LeftArrow);
    forward_->setArrowType(Qt::RightArrow);
    back_->setObjectName(QStringLiteral("UpDown1Back"));
    forward_->setObjectName(QStringLiteral("UpDown1Forward"));
    back_->setFocusPolicy(Qt::NoFocus);
    forward_->setFocusPolicy(Qt::NoFocus);
    connect(back_, &QToolButton::clicked, this, [this] { step(-1); });
    connect(forward_, &QToolButton::clicked, this, [this] { step(+1); });
}

void HSpinner::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void HSpinner::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, minimum_, maximum_);
}

void HSpinner::step(int direction) {
    setPosition(position_ + direction);
    emit clicked();
}

void HSpinner::resizeEvent(QResizeEvent*) {
    const int half = width() / 2;
    back_->setGeometry(0, 0, half, height());
    forward_->setGeometry(half, 0, width() - half, height());
}

} // namespace vev

#include "moc_h_spinner.cpp"
