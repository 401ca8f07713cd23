#pragma once
// The About box: title, application icon, version line and OK.
#include <QDialog>

namespace quillmark {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

} // namespace quillmark
