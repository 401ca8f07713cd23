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
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>
#include <ctime>
#include <memory>

#include "core/link/upload.h"
#include "core/settings/logger_settings.h"
#include "gui/app/ui_text.h"
#include "gui/app/user_messages.h"

namespace quillmark {
namespace {

// The label beside a control, tied to it, so that a screen reader names the control by what it
// is rather than by the group box around it.
QLabel* labelFor(const QString& text, QWidget* control, const QString& accessibleName) {
    auto* label = new QLabel(text, control->parentWidget());
    label->setBuddy(control);
    control->setAccessibleName(accessibleName);
    return label;
}

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

void fillList(QComboBox* box, const std::vector<std::string>& items,
              QString (*shown)(const std::string&) = qs) {
    QSignalBlocker block(box);
    box->clear();
    for (const std::string& item : items)
        box->addItem(shown(item));
}

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

void showIfAny(QWidget* parent, const std::optional<DialogMessage>& message) {
    if (message)
        showDialogMessage(parent, *message);
}

} // namespace

CDlgSetting::CDlgSetting(VendorUsb& usb, std::int32_t model, QWidget* parent)
    : QDialog(parent), rules_(model), link_(usb, 0) {
    setObjectName(QStringLiteral("settingDialog"));
    setModal(true);

    status_ = named(new QLabel(tr("Status"), this), "statusLine");
    status_->setAlignment(Qt::AlignCenter);
    status_->setMinimumHeight(status_->fontMetrics().height() * 2);
    status_->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildBasicSettings());
    layout->addWidget(buildAlarmSettings());
    layout->addWidget(status_);
    layout->addLayout(buildButtons());
    connectRules();

    // Opening: caption, probe timer first, then the clock, and the time shown at once.
    setProbeCaption(this, ProbeState::Connecting);
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
    fillList(rate_, rules_.rateList(), uiRate);
    fillList(unit_, rules_.unitList());
    LoggerSettings loaded;
    loaded.load(); // a file that cannot be read gives the missing-key values
    openMessage_ = rules_.open(loaded);
    openMessagePending_ = openMessage_.has_value();
    refresh();
}

CDlgSetting::~CDlgSetting() = default;

QGroupBox* CDlgSetting::buildBasicSettings() {
    basic_ = new QGroupBox(tr("Basic Settings"), this);
    auto* grid = new QGridLayout(basic_);
    int row = 0;

    auto* nameLabel = new QLabel(tr("Logger&Name:"), basic_);
    loggerName_ = named(new QLineEdit(basic_), "loggerName");
    loggerName_->setAccessibleName(tr("Logger name"));
    loggerName_->setMaxLength(static_cast<int>(kLoggerNameMax) + 1);
    auto* nameHint = new QLabel(tr("Max.15 characters!"), basic_);
    nameLabel->setBuddy(loggerName_);
    grid->addWidget(nameLabel, row, 0);
    grid->addWidget(loggerName_, row, 1);
    grid->addWidget(nameHint, row++, 2);
    // The name exists for the settings block but is not offered to the user.
    for (QWidget* w : std::initializer_list<QWidget*>{nameLabel, loggerName_, nameHint})
        w->setVisible(SettingsDialogModel::kLoggerNameVisible);

    grid->addWidget(new QLabel(tr("Model Select:"), basic_), row, 0);
    auto* modes = new QHBoxLayout;
    manual_ = named(new QRadioButton(tr("&Manual"), basic_), "modeManual");
    instant_ = named(new QRadioButton(tr("&Instant"), basic_), "modeInstant");
    calibration_ = named(new QRadioButton(tr("Ca&libration"), basic_), "modeCalibration");
    calibration_->setVisible(SettingsDialogModel::kCalibrationVisible);
    manual_->setAccessibleName(tr("Start mode: Manual"));
    instant_->setAccessibleName(tr("Start mode: Instant"));
    calibration_->setAccessibleName(tr("Start mode: Calibration"));
    auto* modeGroup = new QButtonGroup(basic_);
    for (QRadioButton* r : {manual_, instant_, calibration_}) {
        modeGroup->addButton(r);
        modes->addWidget(r);
    }
    modes->addStretch(1);
    grid->addLayout(modes, row++, 1, 1, 2);

    currentTime_ = named(new QLineEdit(basic_), "currentTime");
    grid->addWidget(labelFor(tr("&Current Time:"), currentTime_, tr("Current time")), row, 0);
    currentTime_->setReadOnly(true);
    grid->addWidget(currentTime_, row++, 1, 1, 2);

    points_ = named(new QComboBox(basic_), "samplePoints");
    grid->addWidget(labelFor(tr("Simple &Points:"), points_, tr("Sample points")), row, 0);
    grid->addWidget(points_, row++, 1, 1, 2);

    rate_ = named(new QComboBox(basic_), "sampleRate");
    grid->addWidget(labelFor(tr("Sample &Rate:"), rate_, tr("Sample rate")), row, 0);
    grid->addWidget(rate_, row++, 1, 1, 2);

    recordingTime_ = named(new QLineEdit(basic_), "recordingTime");
    grid->addWidget(labelFor(tr("Recording &Time:"), recordingTime_, tr("Recording time")), row, 0);
    recordingTime_->setReadOnly(true);
    grid->addWidget(recordingTime_, row++, 1, 1, 2);

    grid->addWidget(new QLabel(tr("LED Flash Cycle::"), basic_), row, 0);
    auto* cycles = new QHBoxLayout;
    auto* cycleGroup = new QButtonGroup(basic_);
    const char* cycleNames[] = {"flash10s", "flash20s", "flash30s"};
    for (int i = 0; i < 3; ++i) {
        flash_[i] =
            named(new QRadioButton(tr("&%1s").arg(kFlashCycleSeconds[i]), basic_), cycleNames[i]);
        flash_[i]->setAccessibleName(tr("LED flash cycle: %1 seconds").arg(kFlashCycleSeconds[i]));
        cycleGroup->addButton(flash_[i]);
        cycles->addWidget(flash_[i]);
    }
    cycles->addStretch(1);
    grid->addLayout(cycles, row++, 1, 1, 2);
    return basic_;
}

QGroupBox* CDlgSetting::buildAlarmSettings() {
    alarm_ = new QGroupBox(tr("Alarm Settings"), this);
    auto* grid = new QGridLayout(alarm_);
    alarmFlash_ =
        named(new QCheckBox(tr("LED &flash for high and low alarm"), alarm_), "alarmFlash");
    grid->addWidget(alarmFlash_, 0, 0, 1, 4);
    lowAlarm_ = named(new QLineEdit(alarm_), "lowAlarm");
    grid->addWidget(labelFor(tr("L&ow Alarm:"), lowAlarm_, tr("Low alarm")), 1, 0);
    grid->addWidget(lowAlarm_, 1, 1);
    highAlarm_ = named(new QLineEdit(alarm_), "highAlarm");
    grid->addWidget(labelFor(tr("&High Alarm:"), highAlarm_, tr("High alarm")), 1, 2);
    grid->addWidget(highAlarm_, 1, 3);
    // Why a typed limit reverted; hidden (taking no room) while there is nothing to say.
    alarmNote_ = named(new QLabel(alarm_), "alarmNote");
    alarmNote_->setWordWrap(true);
    alarmNote_->hide();
    grid->addWidget(alarmNote_, 3, 0, 1, 4);
    unit_ = named(new QComboBox(alarm_), "unit");
    grid->addWidget(labelFor(tr("&Unit:"), unit_, tr("Alarm unit")), 2, 0);
    grid->addWidget(unit_, 2, 1);
    return alarm_;
}

QHBoxLayout* CDlgSetting::buildButtons() {
    default_ = named(new QPushButton(tr("&Default"), this), "buttonDefault");
    setup_ = named(new QPushButton(tr("&Setup"), this), "buttonSetup");
    cancel_ = named(new QPushButton(tr("Cancel"), this), "buttonCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton* b : {default_, setup_, cancel_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    return buttons;
}

void CDlgSetting::connectRules() {
    connect(points_, &QComboBox::activated, this, [this](int index) {
        const std::optional<DialogMessage> message = rules_.onPointsChanged(index);
        refresh();
        showIfAny(this, message);
    });
    connect(rate_, &QComboBox::activated, this, [this](int index) {
        const std::optional<DialogMessage> message = rules_.onRateChanged(index);
        refresh();
        showIfAny(this, message);
    });
    connect(unit_, &QComboBox::activated, this, [this](int index) {
        rules_.onUnitChanged(index);
        refresh();
    });
    const std::pair<QRadioButton*, std::int32_t> modeButtons[] = {
        {manual_, kStartManual}, {instant_, kStartInstant}, {calibration_, kStartCalibration}};
    for (const auto& [button, mode] : modeButtons) {
        connect(button, &QRadioButton::clicked, this, [this, mode = mode] {
            const std::optional<DialogMessage> message = rules_.onStartModeClicked(mode);
            refresh();
            showIfAny(this, message);
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
        QTimer::singleShot(0, this, [this] { showIfAny(this, openMessage_); });
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
    QStringList notes;
    for (auto [edit, field] :
         {std::pair{lowAlarm_, AlarmField::Low}, {highAlarm_, AlarmField::High}}) {
        const QString note = uiText(rules_.alarmRevertNote(field));
        edit->setToolTip(note);
        if (!note.isEmpty())
            notes << note;
    }
    alarmNote_->setText(notes.join(QLatin1Char('\n')));
    alarmNote_->setVisible(!notes.isEmpty());
    loggerName_->setText(qs(rules_.loggerNameText()));
    recordingTime_->setText(uiDuration(rules_.recordingTime()));
    status_->setText(uiText(rules_.statusText()));
    updateInput();
}

void CDlgSetting::updateInput() {
    const bool input = !uploading_ && !finishing_;
    basic_->setEnabled(input);
    alarm_->setEnabled(input);
    default_->setEnabled(input);
    cancel_->setEnabled(input);
    setup_->setEnabled(input && rules_.setupEnabled());
    // An empty unit list leaves no unit to check the alarm limits against.
    lowAlarm_->setEnabled(!rules_.unitList().empty());
    highAlarm_->setEnabled(!rules_.unitList().empty());
}

bool CDlgSetting::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && !inFocusRule_ && !uploading_ && !finishing_) {
        inFocusRule_ = true;
        if (watched == lowAlarm_ || watched == highAlarm_) {
            const AlarmField field = watched == lowAlarm_ ? AlarmField::Low : AlarmField::High;
            const std::string typed = static_cast<QLineEdit*>(watched)->text().toStdString();
            const std::optional<DialogMessage> message = rules_.onAlarmEdited(field, typed);
            refresh();
            showIfAny(this, message);
        } else if (watched == loggerName_) {
            const NameEditResult result =
                rules_.onLoggerNameEdited(loggerName_->text().toStdString());
            if (!result.message)
                refresh();
            showIfAny(this, result.message);
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
    // Queued behind an upload that may already run: the two never share the link.
    runner_.start([this] { probeConnected_ = link_.probe(); },
                  [this] { setProbeCaption(this, probeState(probeConnected_)); });
}

void CDlgSetting::onSetup() {
    if (uploading_ || finishing_)
        return;
    inFocusRule_ = true; // the texts are taken as they stand below
    const SetupTexts texts{lowAlarm_->text().toStdString(), highAlarm_->text().toStdString(),
                           loggerName_->text().toStdString()};
    std::variant<DialogMessage, LoggerSettings> checked = rules_.onSetup(texts);
    inFocusRule_ = false;
    if (auto* refusal = std::get_if<DialogMessage>(&checked)) {
        refresh();
        showDialogMessage(this, *refusal);
        return;
    }
    const LoggerSettings settings = std::get<LoggerSettings>(checked);
    rules_.onUploadStarted();
    uploading_ = true;
    refresh();
    auto outcome = std::make_shared<UploadOutcome>();
    runner_.start(
        [this, settings, outcome] {
            const std::optional<std::tm> now = localNow();
            *outcome = uploadAndSaveSettings(link_, settings, now ? &*now : nullptr);
        },
        [this, outcome] { onUploaded(*outcome); });
}

void CDlgSetting::onUploaded(const UploadOutcome& outcome) {
    uploading_ = false;
    const std::optional<DialogMessage> message = rules_.onUploadFinished(outcome);
    if (outcome.result != UploadResult::Success) {
        refresh();
        showIfAny(this, message);
        return;
    }
    // Success: the logger has the settings. Hide first, then tell how logging starts. Hiding
    // ends the dialog's event loop, so the result is set before.
    finishing_ = true;
    updateInput();
    setResult(QDialog::Accepted);
    hide();
    if (!outcome.saveError.empty())
        showDialogMessage(parentWidget(), settingsNotSavedMessage(outcome.saveError));
    if (message)
        showDialogMessage(parentWidget(), *message, QStringLiteral("startModeMessage"));
    QDialog::done(QDialog::Accepted);
}

void CDlgSetting::reject() {
    if (uploading_ || finishing_)
        return;
    finish(QDialog::Rejected);
}

void CDlgSetting::finish(int result) {
    finishing_ = true;
    updateInput();
    probeTimer_->stop(); // closing before the probe: nothing left to probe for
    runner_.whenIdle([this, result] { QDialog::done(result); });
}

} // namespace quillmark
