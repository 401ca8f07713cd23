#include "gui/link/cdlg_download.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"
#include "gui/app/user_messages.h"
#include "gui/link/cdlg_progress.h"

namespace quillmark {

namespace {

constexpr int kWidth = 330; // 220 x 78 dialog units
constexpr int kHeight = 127;

} // namespace

CDlgDownload::CDlgDownload(Recording& recording, VendorUsb& usb, QWidget* /*mainWindow*/,
                           QWidget* parent)
    : QDialog(parent), recording_(recording), usb_(usb), link_(usb, 0),
      download_(new QPushButton(tr("&Download"), this)), view_(new QPushButton(tr("&View"), this)),
      cancel_(new QPushButton(tr("Cancel"), this)), message_(new QLabel(instructions(), this)),
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
    setFixedSize(kWidth, kHeight);

    connect(download_, &QPushButton::clicked, this, &CDlgDownload::onDownload);
    connect(view_, &QPushButton::clicked, this, &CDlgDownload::onView);
    connect(cancel_, &QPushButton::clicked, this, &CDlgDownload::reject);

    // Opening: no download until the one-shot probe, one second from now, finds a logger.
    updateButtons();
    setProbeCaption(this, ProbeState::Connecting);
    probeTimer_->setSingleShot(true);
    probeTimer_->setInterval(1000);
    connect(probeTimer_, &QTimer::timeout, this, &CDlgDownload::onProbeTimer);
    probeTimer_->start();
}

CDlgDownload::~CDlgDownload() = default;

QString CDlgDownload::instructions() {
    return tr("Press Download to stop logging and load data from logger,or Cancel to exit");
}

void CDlgDownload::updateButtons() {
    const bool input = !downloading_ && !finishing_;
    download_->setEnabled(input && probed_ && probeConnected_ && !downloaded_);
    view_->setEnabled(input);
    // During a download Cancel stops it, once.
    cancel_->setEnabled(downloading_ ? !stop_ : input);
}

void CDlgDownload::onProbeTimer() {
    probeTimer_->stop();
    // Queued behind a download that may already run: the two never share the link.
    runner_.start([this] { probeConnected_ = link_.probe(); },
                  [this] {
                      probed_ = true;
                      setProbeCaption(this, probeState(probeConnected_));
                      updateButtons();
                  });
}

void CDlgDownload::showProgress(bool shown) {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    if (shown && !progress_) {
        progress_ = new CDlgProgress(this);
        layout->insertWidget(1, progress_);
        // The dialog grows by the progress rows rather than squeezing the message.
        setFixedSize(kWidth, kHeight + progress_->sizeHint().height() + layout->spacing());
        progress_->show();
    } else if (!shown && progress_) {
        layout->removeWidget(progress_);
        delete progress_;
        progress_ = nullptr;
        setFixedSize(kWidth, kHeight);
    }
}

void CDlgDownload::onProgress(int position, int maximum) {
    if (!downloading_)
        return;
    showProgress(true);
    progress_->setProgress(position, maximum);
}

void CDlgDownload::onDownload() {
    if (downloading_ || finishing_ || !download_->isEnabled())
        return;
    downloading_ = true;
    stop_ = false;
    updateButtons();
    message_->setText(tr("Reading the logger's memory; Cancel stops the download."));
    work_ = recording_;
    auto outcome = std::make_shared<DownloadOutcome>();
    runner_.start(
        [this, outcome] {
            DownloadOptions options;
            options.stop = &stop_;
            options.progress = [this](int position, int maximum) {
                runner_.post([this, position, maximum] { onProgress(position, maximum); });
            };
            *outcome = downloadRecording(link_, work_, options);
        },
        [this, outcome] { onDownloaded(*outcome); });
}

void CDlgDownload::onDownloaded(const DownloadOutcome& outcome) {
    downloading_ = false;
    showProgress(false);
    // A download that finished while the stop was on its way is dropped all the same: the
    // user asked for the recording to stay as it was.
    if (stop_ || outcome.stopped) {
        stop_ = false;
        message_->setText(tr("Download cancelled; the recording is unchanged.\n") + instructions());
        updateButtons();
        return;
    }
    message_->setText(instructions());
    if (outcome.result == DownloadResult::Success) {
        recording_ = std::move(work_);
        QString text = uiText(downloadFinishedText(recording_.sampleCount));
        if (const std::string note = downloadCountNote(outcome, recording_.sampleCount);
            !note.empty())
            text += QLatin1Char('\n') + uiText(note);
        message_->setText(text);
        downloaded_ = true;
    }
    updateButtons();
    if (const std::optional<DialogMessage> message = downloadMessage(outcome))
        showDialogMessage(this, *message);
}

void CDlgDownload::onView() {
    if (downloading_ || finishing_)
        return;
    if (recording_.sampleCount > 0) {
        finish(QDialog::Accepted);
        return;
    }
    showDialogMessage(this, noDataToViewMessage());
}

void CDlgDownload::reject() {
    // Mid-transfer, Cancel, Escape and the window's close button stop the download; the
    // dialog waits for the link to close and stays, so the user sees that nothing changed.
    if (downloading_) {
        stopDownload();
        return;
    }
    if (finishing_)
        return;
    finish(QDialog::Rejected);
}

void CDlgDownload::stopDownload() {
    if (stop_)
        return;
    stop_ = true;
    // A read already waiting for the logger ends now rather than at its timeout.
    usb_.cancel();
    message_->setText(tr("Stopping the download..."));
    updateButtons();
}

void CDlgDownload::finish(int result) {
    finishing_ = true;
    updateButtons();
    probeTimer_->stop(); // closing before the probe: nothing left to probe for
    runner_.whenIdle([this, result] { QDialog::done(result); });
}

} // namespace quillmark
