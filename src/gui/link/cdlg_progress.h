#pragma once
// The small caption-less window with one progress bar shown over the main window while a
// download runs.
#include <QWidget>

class QProgressBar;

namespace quillmark {

class CDlgProgress : public QWidget {
    Q_OBJECT
public:
    explicit CDlgProgress(QWidget* parent = nullptr);
    QProgressBar* bar() const { return bar_; }

    // Centred horizontally over the main window's client area and one window height below its
    // top: x = left + width / 2 - w / 2, y = top + h (integer halving).
    static QPoint placement(const QRect& mainClientOnScreen, const QSize& outerSize);
    void placeOver(QWidget* mainWindow);

private:
    QProgressBar* bar_;
};

} // namespace quillmark
