#pragma once
// The download dialog: probes the logger one second after opening, downloads its memory on a
// worker thread while the dialog shows the pages read, and ends with View (hand the recording
// to the plot) or Cancel. Cancel during a download stops it and keeps the dialog open.
#include <QDialog>
#include <QPointer>
#include <atomic>

#include "core/data/recording.h"
#include "core/link/download.h"
#include "core/link/logger_link.h"
#include "gui/link/cdlg_progress.h"
#include "gui/link/transfer_runner.h"

class QLabel;
class QPushButton;
class QTimer;

namespace quillmark {

class CDlgDownload : public QDialog {
    Q_OBJECT
public:
    // `recording` is the document's; it changes only when a download succeeds and was not
    // stopped. `mainWindow` is unused now that the progress shows inside the dialog.
    CDlgDownload(Recording& recording, VendorUsb& usb, QWidget* mainWindow,
                 QWidget* parent = nullptr);
    ~CDlgDownload() override;

    QPushButton* downloadButton() const { return download_; }
    QPushButton* viewButton() const { return view_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLabel* messageLabel() const { return message_; }
    CDlgProgress* progressWindow() const { return progress_; }
    bool downloading() const { return downloading_; }
    // Cancel was pressed during the running download, which now ends at its next page.
    bool stopping() const { return stop_; }
    // An exchange (the probe or the download) is running or queued.
    bool busy() const { return runner_.busy(); }

public slots:
    // Cancel, Escape and the window's close button: during a download they stop it and the
    // dialog stays; otherwise they end the dialog.
    void reject() override;

private slots:
    void onProbeTimer();
    void onDownload();
    void onView();

private:
    // What the dialog says while it waits for the user.
    static QString instructions();
    void updateButtons();
    void onProgress(int position, int maximum);
    void onDownloaded(const DownloadOutcome& outcome);
    void stopDownload();
    void showProgress(bool shown);
    // Ends the dialog once the probe, if one runs, has ended.
    void finish(int result);

    Recording& recording_;
    VendorUsb& usb_;
    LoggerLink link_;
    QPushButton* download_;
    QPushButton* view_;
    QPushButton* cancel_;
    QLabel* message_;
    QTimer* probeTimer_;
    QPointer<CDlgProgress> progress_;
    Recording work_; // the worker downloads into this, never into the document's
    std::atomic<bool> probeConnected_{false};
    std::atomic<bool> stop_{false}; // read by the worker at every page
    bool probed_ = false;
    bool downloading_ = false;
    bool downloaded_ = false; // one download per opening
    bool finishing_ = false;
    TransferRunner runner_; // last: it waits for the worker before the members above go
};

} // namespace quillmark
