#pragma once

#include <QWidget>

class QToolButton;

namespace vev {

// A horizontal spinner: two arrow buttons side by side that step a position within a range,
// without wrapping. A click on either arrow first moves the position (when the range allows)
// and then emits clicked(); the handler reads position().
class HSpinner : public QWidget {
    Q_OBJECT

public:
    explicit HSpinner(QWidget* parent = nullptr);

    int position() const { return position_; }
    void setPosition(int position); // clamped to the range
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    void setRange(int minimum, int maximum);

    QToolButton* backButton() const { return back_; }
    QToolButton* forwardButton() const { return forward_; }

    // Steps as a click on an arrow would (-1 back, +1 forward), then emits clicked().
    void step(int direction);

signals:
    void clicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* back_;
    QToolButton* forward_;
    int position_ = 1;
    int minimum_ = 1;
    int maximum_ = 999;
};

} // namespace vev
