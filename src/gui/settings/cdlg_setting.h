#pragma once
// The logger settings dialog: the widgets of the settings rules (SettingsDialogModel), the
// connection caption, the clock, and the Setup upload on a worker thread.
#include <QDialog>
#include <atomic>
#include <optional>

#include "core/link/logger_link.h"
#include "core/settings/settings_dialog_model.h"
#include "gui/link/transfer_runner.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace quillmark {

class CDlgSetting : public QDialog {
    Q_OBJECT
public:
    // `model` is the program-wide logger model code at opening. The record comes from the
    // INI file; it is saved there only after a successful Setup.
    CDlgSetting(VendorUsb& usb, std::int32_t model, QWidget* parent = nullptr);
    ~CDlgSetting() override;

    const SettingsDialogModel& rules() const { return rules_; }
    bool uploading() const { return uploading_; }
    // An exchange (the probe or the upload) is running or queued.
    bool busy() const { return runner_.busy(); }

public slots:
    // Cancel, Escape and the window's close button; refused while the upload runs.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private slots:
    void onProbeTimer();
    void onClockTimer();
    void onSetup();

private:
    QGroupBox* buildBasicSettings();
    QGroupBox* buildAlarmSettings();
    QHBoxLayout* buildButtons();
    void connectRules();
    void refresh();
    // While an exchange runs no control takes input; the rules' state decides the rest.
    void updateInput();
    void onUploaded(const UploadOutcome& outcome);
    void finish(int result);

    SettingsDialogModel rules_;
    LoggerLink link_;
    QTimer* probeTimer_ = nullptr;
    QTimer* clockTimer_ = nullptr;
    QGroupBox* basic_ = nullptr;
    QGroupBox* alarm_ = nullptr;
    QLineEdit* loggerName_ = nullptr;
    QRadioButton* manual_ = nullptr;
    QRadioButton* instant_ = nullptr;
    QRadioButton* calibration_ = nullptr;
    QLineEdit* currentTime_ = nullptr;
    QComboBox* points_ = nullptr;
    QComboBox* rate_ = nullptr;
    QLineEdit* recordingTime_ = nullptr;
    QRadioButton* flash_[3] = {};
    QCheckBox* alarmFlash_ = nullptr;
    QLineEdit* lowAlarm_ = nullptr;
    QLabel* alarmNote_ = nullptr;
    QLineEdit* highAlarm_ = nullptr;
    QComboBox* unit_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* default_ = nullptr;
    QPushButton* setup_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool inFocusRule_ = false;
    bool uploading_ = false;
    bool finishing_ = false;
    bool openMessagePending_ = false;
    std::optional<DialogMessage> openMessage_;
    std::atomic<bool> probeConnected_{false};
    TransferRunner runner_; // last: waits for the worker before the link goes
};

} // namespace quillmark
