#include "gui/settings/cdlg_setting.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <ctime>
#include <memory>

#include "core/link/upload.h"
#include "core/settings/logger_settings.h"

namespace quillmark {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

std::optional<std::tm> localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return std::nullopt;
    return local;
}

void fillList(QComboBox* box, const std::vector<std::string>& items) {
    QSignalBlocker block(box);
    box->clear();
    for (const std::string& item : items)
        box->addItem(qs(item));
}

} // namespace

CDlgSetting::CDlgSetting(VendorUsb& usb, std::int32_t model, QWidget* parent)
    : QDialog(parent), rules_(model), link_(usb, 0) {
    setObjectName(QStringLiteral("settingDialog"));
    setModal(true);
    buildControls();

    // Opening: caption, probe timer first, then the clock, and the time shown at once.
    setWindowTitle(QStringLiteral("Connecting..."));
    probeTimer_ = new QTimer(this);
    probeTimer_->setSingleShot(true);
    probeTimer_->setInterval(1000);
    connect(probeTimer_, &QTimer::timeout, this, &CDlgSetting::onProbeTimer);
    clockTimer_ = new QTimer(this);
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, &CDlgSetting::onClockTimer);
    probeTimer_->start();
    clockTimer_->start();
    onClockTimer();

    fillList(points_, rules_.pointsList());
    fillList(rate_, rules_.rateList());
    fillList(unit_, rules_.unitList());
    LoggerSettings loaded;
    loaded.load();
    openMessage_ = rules_.open(loaded);
    openMessagePending_ = openMessage_.has_value();
    refresh();
}

CDlgSetting::~CDlgSetting() {
    runner_.waitForIdle();
}

void CDlgSetting::buildControls() {
    auto named = [](QWidget* w, const char* name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };

    auto* basic = new QGroupBox(QStringLiteral("Basic Settings"), this);
    auto* grid = new QGridLayout(basic);
    int row = 0;

    auto* nameLabel = new QLabel(QStringLiteral("LoggerName:"), basic);
    loggerName_ = new QLineEdit(basic);
    named(loggerName_, "loggerName");
    loggerName_->setMaxLength(static_cast<int>(kLoggerNameMax) + 1);
    auto* nameHint = new QLabel(QStringLiteral("Max.15 characters!"), basic);
    grid->addWidget(nameLabel, row, 0);
    grid->addWidget(loggerName_, row, 1);
    grid->addWidget(nameHint, row, 2);
    // The name exists for the settings block but is not offered to the user.
    for (QWidget* w : {static_cast<QWidget*>(nameLabel), static_cast<QWidget*>(loggerName_),
                       static_cast<QWidget*>(nameHint)})
        w->setVisible(SettingsDialogModel::kLoggerNameVisible);
    ++row;

    grid->addWidget(new QLabel(QStringLiteral("Model Select:"), basic), row, 0);
    auto* modes = new QHBoxLayout;
    manual_ = new QRadioButton(QStringLiteral("Manual"), basic);
    instant_ = new QRadioButton(QStringLiteral("Instant"), basic);
    calibration_ = new QRadioButton(QStringLiteral("Calibration"), basic);
    named(manual_, "modeManual");
    named(instant_, "modeInstant");
    named(calibration_, "modeCalibration");
    calibration_->setVisible(SettingsDialogModel::kCalibrationVisible);
    auto* modeGroup = new QButtonGroup(this);
    for (QRadioButton* r : {manual_, instant_, calibration_}) {
        modeGroup->addButton(r);
        modes->addWidget(r);
    }
    modes->addStretch(1);
    grid->addLayout(modes, row++, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Current Time:"), basic), row, 0);
    currentTime_ = new QLineEdit(basic);
    named(currentTime_, "currentTime");
    currentTime_->setReadOnly(true);
    grid->addWidget(currentTime_, row++, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Simple Points:"), basic), row, 0);
    points_ = new QComboBox(basic);
    named(points_, "samplePoints");
    grid->addWidget(points_, row++, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Sample Rate:"), basic), row, 0);
    rate_ = new QComboBox(basic);
    named(rate_, "sampleRate");
    grid->addWidget(rate_, row++, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Recording Time:"), basic), row, 0);
    recordingTime_ = new QLineEdit(basic);
    named(recordingTime_, "recordingTime");
    recordingTime_->setReadOnly(true);
    grid->addWidget(recordingTime_, row++, 1, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("LED Flash Cycle::"), basic), row, 0);
    auto* cycles = new QHBoxLayout;
    auto* cycleGroup = new QButtonGroup(this);
    const char* cycleNames[] = {"flash10s", "flash20s", "flash30s"};
    for (int i = 0; i < 3; ++i) {
        flash_[i] = new QRadioButton(QStringLiteral("%1s").arg(kFlashCycleSeconds[i]), basic);
        named(flash_[i], cycleNames[i]);
        cycleGroup->addButton(flash_[i]);
        cycles->addWidget(flash_[i]);
    }
    cycles->addStretch(1);
    grid->addLayout(cycles, row++, 1, 1, 2);

    auto* alarm = new QGroupBox(QStringLiteral("Alarm Settings"), this);
    auto* agrid = new QGridLayout(alarm);
    alarmFlash_ = new QCheckBox(QStringLiteral("LED flash for high and low alarm"), alarm);
    named(alarmFlash_, "alarmFlash");
    agrid->addWidget(alarmFlash_, 0, 0, 1, 4);
    agrid->addWidget(new QLabel(QStringLiteral("Low Alarm:"), alarm), 1, 0);
    lowAlarm_ = new QLineEdit(alarm);
    named(lowAlarm_, "lowAlarm");
    agrid->addWidget(lowAlarm_, 1, 1);
    agrid->addWidget(new QLabel(QStringLiteral("High Alarm:"), alarm), 1, 2);
    highAlarm_ = new QLineEdit(alarm);
    named(highAlarm_, "highAlarm");
    agrid->addWidget(highAlarm_, 1, 3);
    agrid->addWidget(new QLabel(QStringLiteral("Unit:"), alarm), 2, 0);
    unit_ = new QComboBox(alarm);
    named(unit_, "unit");
    agrid->addWidget(unit_, 2, 1);

    status_ = new QLabel(QStringLiteral("Status"), this);
    named(status_, "statusLine");
    status_->setAlignment(Qt::AlignCenter);
    status_->setMinimumHeight(status_->fontMetrics().height() * 2);
    status_->setWordWrap(true);

    default_ = new QPushButton(QStringLiteral("Default"), this);
    setup_ = new QPushButton(QStringLiteral("Setup"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    named(default_, "buttonDefault");
    named(setup_, "buttonSetup");
    named(cancel_, "buttonCancel");
    for (QPushButton* b : {default_, setup_, cancel_})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(default_);
    buttons->addWidget(setup_);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(basic);
    layout->addWidget(alarm);
    layout->addWidget(status_);
    layout->addLayout(buttons);

    connect(points_, &QComboBox::activated, this, [this](int index) {
        showMessage(rules_.onPointsChanged(index));
        refresh();
    });
    connect(rate_, &QComboBox::activated, this, [this](int index) {
        showMessage(rules_.onRateChanged(index));
        refresh();
    });
    connect(unit_, &QComboBox::activated, this, [this](int index) {
        rules_.onUnitChanged(index);
        refresh();
    });
    const std::pair<QRadioButton*, std::int32_t> modeButtons[] = {
        {manual_, kStartManual}, {instant_, kStartInstant}, {calibration_, kStartCalibration}};
    for (const auto& [button, mode] : modeButtons) {
        connect(button, &QRadioButton::clicked, this, [this, mode = mode] {
            showMessage(rules_.onStartModeClicked(mode));
            refresh();
        });
    }
    for (int i = 0; i < 3; ++i) {
        connect(flash_[i], &QRadioButton::clicked, this, [this, i] {
            rules_.onFlashCycleClicked(i);
            refresh();
        });
    }
    connect(alarmFlash_, &QCheckBox::clicked, this, [this](bool checked) {
        rules_.onAlarmFlashToggled(checked);
        refresh();
    });
    connect(default_, &QPushButton::clicked, this, [this] {
        rules_.onDefault();
        refresh();
    });
    connect(setup_, &QPushButton::clicked, this, &CDlgSetting::onSetup);
    connect(cancel_, &QPushButton::clicked, this, &CDlgSetting::reject);

    for (QLineEdit* e : {lowAlarm_, highAlarm_, loggerName_})
        e->installEventFilter(this);
}

void CDlgSetting::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (openMessagePending_) {
        openMessagePending_ = false;
        QTimer::singleShot(0, this, [this] { showMessage(openMessage_); });
    }
}

void CDlgSetting::refresh() {
    const QSignalBlocker b1(points_), b2(rate_), b3(unit_);
    points_->setCurrentIndex(rules_.pointsSelection());
    rate_->setCurrentIndex(rules_.rateSelection());
    unit_->setCurrentIndex(rules_.unitSelection());
    manual_->setChecked(rules_.checkedStartMode() == kStartManual);
    instant_->setChecked(rules_.checkedStartMode() == kStartInstant);
    calibration_->setChecked(rules_.checkedStartMode() == kStartCalibration);
    for (int i = 0; i < 3; ++i)
        flash_[i]->setChecked(rules_.checkedFlashCycle() == i);
    alarmFlash_->setChecked(rules_.alarmFlashChecked());
    lowAlarm_->setText(qs(rules_.lowAlarmText()));
    highAlarm_->setText(qs(rules_.highAlarmText()));
    loggerName_->setText(qs(rules_.loggerNameText()));
    recordingTime_->setText(qs(rules_.recordingTime()));
    status_->setText(qs(rules_.statusText()));
    setup_->setEnabled(rules_.setupEnabled() && !uploading_);
    // An empty unit list leaves no unit to check the alarm limits against.
    lowAlarm_->setEnabled(!rules_.unitList().empty());
    highAlarm_->setEnabled(!rules_.unitList().empty());
}

void CDlgSetting::showMessage(const std::optional<DialogMessage>& message) {
    if (!message)
        return;
    QMessageBox box(message->icon == MessageIcon::Exclamation ? QMessageBox::Warning
                                                              : QMessageBox::NoIcon,
                    qs(message->caption), qs(message->text), QMessageBox::Ok, this);
    box.exec();
}

bool CDlgSetting::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !inFocusRule_ && !uploading_) {
        inFocusRule_ = true;
        if (watched == lowAlarm_ || watched == highAlarm_) {
            const AlarmField field = watched == lowAlarm_ ? AlarmField::Low : AlarmField::High;
            const std::string typed = static_cast<QLineEdit*>(watched)->text().toStdString();
            const std::optional<DialogMessage> message = rules_.onAlarmEdited(field, typed);
            refresh();
            showMessage(message);
        } else if (watched == loggerName_) {
            const NameEditResult result =
                rules_.onLoggerNameEdited(loggerName_->text().toStdString());
            if (!result.message)
                refresh();
            showMessage(result.message);
            if (result.keepFocus)
                QTimer::singleShot(0, loggerName_, [this] { loggerName_->setFocus(); });
        }
        inFocusRule_ = false;
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgSetting::onClockTimer() {
    const std::optional<std::tm> now = localNow();
    currentTime_->setText(qs(currentTimeText(now ? &*now : nullptr)));
}

void CDlgSetting::onProbeTimer() {
    probeTimer_->stop();
    if (runner_.busy())
        return;
    runner_.start([this] { probeConnected_ = link_.probe(); },
                  [this] {
                      setWindowTitle(probeConnected_ ? QStringLiteral("Connected")
                                                     : QStringLiteral("Not Connected"));
                  });
}

void CDlgSetting::onSetup() {
    if (uploading_)
        return;
    inFocusRule_ = true; // the texts are taken as they stand below
    const SetupTexts texts{lowAlarm_->text().toStdString(), highAlarm_->text().toStdString(),
                           loggerName_->text().toStdString()};
    std::variant<DialogMessage, LoggerSettings> checked = rules_.onSetup(texts);
    inFocusRule_ = false;
    if (auto* refusal = std::get_if<DialogMessage>(&checked)) {
        refresh();
        showMessage(*refusal);
        return;
    }
    const LoggerSettings settings = std::get<LoggerSettings>(checked);
    rules_.onUploadStarted();
    uploading_ = true;
    refresh();
    runner_.waitForIdle(); // a probe still running ends first; transfers never overlap
    const std::optional<std::tm> now = localNow();
    auto outcome = std::make_shared<UploadOutcome>();
    auto saveError = std::make_shared<std::string>();
    runner_.start(
        [this, settings, now, outcome, saveError] {
            *outcome =
                uploadAndSaveSettings(link_, settings, now ? &*now : nullptr, saveError.get());
        },
        [this, outcome, saveError] {
            uploading_ = false;
            const std::optional<DialogMessage> message = rules_.onUploadFinished(*outcome);
            if (outcome->result != UploadResult::Success) {
                refresh();
                showMessage(message);
                return;
            }
            // Success: the logger has the settings. Hide first, then tell how logging starts.
            hide();
            if (!saveError->empty()) {
                QMessageBox::warning(
                    parentWidget(), QString::fromLatin1(kAppTitle),
                    QStringLiteral("The settings could not be saved: %1").arg(qs(*saveError)));
            }
            if (message) {
                QMessageBox box(QMessageBox::NoIcon, qs(message->caption), qs(message->text),
                                QMessageBox::Ok, parentWidget());
                box.setObjectName(QStringLiteral("startModeMessage"));
                box.exec();
            }
            accept();
        });
}

void CDlgSetting::reject() {
    if (uploading_)
        return;
    runner_.waitForIdle();
    QDialog::reject();
}

} // namespace quillmark
