#include "gui/link/cdlg_download.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/link/download.h"
#include "gui/link/cdlg_progress.h"

namespace quillmark {

namespace {
const QString kConnecting = QStringLiteral("Connecting...");
const QString kConnected = QStringLiteral("Connected");
const QString kNotConnected = QStringLiteral("Not Connected");
} // namespace

CDlgDownload::CDlgDownload(Recording& recording, VendorUsb& usb, QWidget* mainWindow,
                           QWidget* parent)
    : QDialog(parent), recording_(recording), mainWindow_(mainWindow), link_(usb, 0),
      download_(new QPushButton(QStringLiteral("Download"), this)),
      view_(new QPushButton(QStringLiteral("View"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)),
      message_(new QLabel(QStringLiteral("Press Download to stop logging and load data from "
                                         "logger,or Cancel to exit"),
                          this)),
      probeTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("downloadDialog"));
    setModal(true);
    download_->setObjectName(QStringLiteral("button3"));
    view_->setObjectName(QStringLiteral("button1"));
    cancel_->setObjectName(QStringLiteral("button2"));
    message_->setObjectName(QStringLiteral("static1027"));
    message_->setWordWrap(true);
    view_->setDefault(true);
    view_->setAutoDefault(true);
    download_->setAutoDefault(false);
    cancel_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(download_);
    buttons->addStretch(1);
    buttons->addWidget(view_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_, 1);
    layout->addLayout(buttons);
    setFixedSize(330, 127); // 220 x 78 dialog units

    connect(download_, &QPushButton::clicked, this, &CDlgDownload::onDownload);
    connect(view_, &QPushButton::clicked, this, &CDlgDownload::onView);
    connect(cancel_, &QPushButton::clicked, this, &CDlgDownload::reject);

    // Opening: no download until the one-shot probe, one second from now, finds a logger.
    download_->setEnabled(false);
    setWindowTitle(kConnecting);
    probeTimer_->setSingleShot(true);
    probeTimer_->setInterval(1000);
    connect(probeTimer_, &QTimer::timeout, this, &CDlgDownload::onProbeTimer);
    probeTimer_->start();
}

CDlgDownload::~CDlgDownload() {
    runner_.waitForIdle();
    if (progress_)
        delete progress_;
}

void CDlgDownload::onProbeTimer() {
    probeTimer_->stop();
    if (runner_.busy())
        return;
    runner_.start([this] { probeConnected_ = link_.probe(); },
                  [this] {
                      const bool connected = probeConnected_;
                      setWindowTitle(connected ? kConnected : kNotConnected);
                      download_->setEnabled(connected);
                  });
}

void CDlgDownload::setRunning(bool running) {
    downloading_ = running;
    download_->setEnabled(!running);
    view_->setEnabled(!running);
    cancel_->setEnabled(!running);
}

void CDlgDownload::showMessage(const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, this);
    box.exec();
}

void CDlgDownload::onProgress(int position, int maximum) {
    if (!progress_) {
        progress_ = new CDlgProgress(mainWindow_ ? mainWindow_ : this);
        progress_->placeOver(mainWindow_ ? mainWindow_ : this);
        progress_->show();
    }
    progress_->bar()->setRange(0, maximum);
    progress_->bar()->setValue(position);
}

void CDlgDownload::onDownload() {
    if (downloading_ || !download_->isEnabled())
        return;
    setRunning(true);
    runner_.waitForIdle(); // the probe, if still running, ends first
    work_ = recording_;
    QPointer<CDlgDownload> self(this);
    auto result = std::make_shared<DownloadResult>(DownloadResult::ReadFailure);
    runner_.start(
        [this, self, result] {
            DownloadOptions options;
            options.progress = [self](int position, int maximum) {
                QMetaObject::invokeMethod(
                    self.data(),
                    [self, position, maximum] {
                        if (self)
                            self->onProgress(position, maximum);
                    },
                    Qt::QueuedConnection);
            };
            *result = downloadRecording(link_, work_, options);
        },
        [this, result] {
            if (progress_) {
                progress_->close();
                delete progress_;
            }
            setRunning(false);
            switch (*result) {
            case DownloadResult::Success:
                recording_ = std::move(work_);
                message_->setText(
                    QString::fromStdString(downloadFinishedText(recording_.sampleCount)));
                // One download per opening of the dialog.
                download_->setEnabled(false);
                break;
            case DownloadResult::ReadFailure:
            case DownloadResult::EmptyLogger:
                showMessage(QString::fromLatin1(downloadResultText(*result)),
                            QStringLiteral("Quillmark"));
                break;
            }
        });
}

void CDlgDownload::onView() {
    if (downloading_)
        return;
    runner_.waitForIdle();
    if (recording_.sampleCount > 0) {
        accept();
        return;
    }
    showMessage(QStringLiteral("No data to view."), QStringLiteral("warning"));
}

void CDlgDownload::reject() {
    // Neither Cancel, Escape nor the window's close button may end the dialog mid-transfer.
    if (downloading_)
        return;
    runner_.waitForIdle(); // a probe takes only as long as an open and a close
    QDialog::reject();
}

} // namespace quillmark
