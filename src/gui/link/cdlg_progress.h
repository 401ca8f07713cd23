#pragma once
// The download's progress inside the download dialog while a download runs: how many pages
// have been read and the bar with its percentage.
#include <QWidget>

class QLabel;
class QProgressBar;

namespace quillmark {

class CDlgProgress : public QWidget {
    Q_OBJECT
public:
    explicit CDlgProgress(QWidget* parent = nullptr);
    QProgressBar* bar() const { return bar_; }
    QLabel* pagesLabel() const { return pages_; }

    // A progress report of the download exchange: the bar takes it as it comes (a fifth for
    // the header, then equal steps per page), the label says how many pages are in.
    void setProgress(int position, int maximum);
    // "3 of 16 pages read" for a report; empty when it fits no page count.
    static QString pagesText(int position, int maximum);

private:
    QLabel* pages_;
    QProgressBar* bar_;
};

} // namespace quillmark
