#include "core/settings/settings_dialog_model.h"

#include <cstdio>
#include <limits>

namespace quillmark {

namespace {

constexpr char kSelectOtherPointsText[] = "Please select other points!";
constexpr char kEmptySettingsText[] = "Any settings can't be empty!\nPlease retry!";
constexpr char kHighBelowLowText[] = "High Alarm must be larger than Low Alarm!\nPlease retry!";
constexpr char kLowResetText[] = "0";
constexpr char kHighResetText[] = "25";

// Accepts digits anywhere and a minus sign only in front.
bool passesAlarmFilter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            continue;
        }
        if (c == '-' && i == 0) {
            continue;
        }
        return false;
    }
    return true;
}

// Value of a filtered alarm text; "" and "-" are 0. Nothing when it does not fit 32 bits.
std::optional<std::int32_t> alarmInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    for (char c : text) {
        value = value * 10 + (c - '0');
        if (value > static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1) {
            return std::nullopt;
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > std::numeric_limits<std::int32_t>::max() ||
        value < std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

} // namespace

std::string recordingTimeText(std::uint32_t points, std::uint32_t intervalSeconds) {
    // The one table pair whose product does not fit 32 bits.
    if (points == 32000 && intervalSeconds == 86400) {
        return "32000_Days";
    }
    // 64-bit products keep any other pair exact; table pairs stay below 2^31.
    std::int64_t s = static_cast<std::int64_t>(points) * intervalSeconds;
    if (s == 0) {
        s = static_cast<std::int64_t>(points) / 400; // 2.5 ms per point, truncated
    }
    const std::int64_t d = s / 86400;
    const std::int64_t h = (s - d * 86400) / 3600;
    const std::int64_t totalHours = s / 3600;
    const std::int64_t m = (s - totalHours * 3600) / 60;
    const std::int64_t sec = s % 60;

    const std::string dayWord = d > 1 ? "_Days" : "_Day";
    const std::string hourWord = h > 1 ? "_Hours" : "_Hour";
    const std::string minuteWord = m > 1 ? "_Minutes" : "_Minute";

    std::string text = std::to_string(d) + dayWord;
    if (sec != 0) {
        text += ", " + std::to_string(h) + hourWord + ", " + std::to_string(m) + minuteWord + ", " +
                std::to_string(sec) + "_Seconds";
    } else if (m != 0) {
        text += ", " + std::to_string(h) + hourWord + ", " + std::to_string(m) + minuteWord;
    } else if (h != 0) {
        text += ", " + std::to_string(h) + hourWord;
    }

    // Drop the leading zero groups up to and including their comma.
    std::size_t cut = 0;
    if (totalHours == 0) {
        cut = dayWord.size() + hourWord.size() + 5;
    } else if (d == 0) {
        cut = dayWord.size() + 2;
    }
    if (cut >= text.size()) {
        return {};
    }
    return text.substr(cut);
}

std::string currentTimeText(const std::tm* localOrNull) {
    if (localOrNull == nullptr) {
        return {};
    }
    char buf[64];
    const std::size_t n = std::strftime(buf, sizeof buf, "%d-%m-%y %H:%M:%S", localOrNull);
    return std::string(buf, n);
}

SettingsDialogModel::SettingsDialogModel(std::int32_t model)
    : model_(model), pointsList_(samplePointsList()), rateList_(sampleRateList(model)),
      unitList_(settingsUnitList(model)) {
    // Before the file is read: the first entry of each list, a placeholder name, no texts.
    settings_.pointsIndex = 0;
    settings_.rateIndex = 0;
    settings_.unitIndex = 0;
    settings_.loggerName = "Logger Name";
    settings_.alarmFlash = false;
}

std::optional<DialogMessage> SettingsDialogModel::open(const LoggerSettings& loaded) {
    settings_ = loaded;
    // The lists can only select what they hold; anything else takes the Default button's
    // entry, as LoggerSettings::load() does (a record it read is always in range).
    const LoggerSettings fallback = LoggerSettings::defaults();
    if (settings_.pointsIndex < 0 ||
        static_cast<std::size_t>(settings_.pointsIndex) >= pointsList_.size()) {
        settings_.pointsIndex = fallback.pointsIndex;
    }
    if (settings_.rateIndex < 0 ||
        static_cast<std::size_t>(settings_.rateIndex) >= rateList_.size()) {
        settings_.rateIndex = fallback.rateIndex;
    }
    if (settings_.unitIndex < 0 ||
        static_cast<std::size_t>(settings_.unitIndex) >= unitList_.size()) {
        settings_.unitIndex = fallback.unitIndex;
    }
    lowText_ = alarmText(settings_.alarmLow, settings_.unitIndex);
    highText_ = alarmText(settings_.alarmHigh, settings_.unitIndex);
    statusText_.clear();
    setupEnabled_ = true;
    return applyPointsAndRate(settings_.pointsIndex, settings_.rateIndex);
}

std::int32_t SettingsDialogModel::unitSelection() const {
    return unitList_.empty() ? -1 : settings_.unitIndex;
}

std::string SettingsDialogModel::recordingTime() const {
    return recordingTimeText(settings_.samplePoints(), settings_.intervalSeconds());
}

std::string SettingsDialogModel::alarmUnit() const {
    return alarmUnitName(model_, settings_.unitIndex);
}

DialogMessage SettingsDialogModel::warning(std::string text) {
    return DialogMessage{std::move(text), kAppTitle, MessageIcon::Exclamation};
}

std::optional<DialogMessage> SettingsDialogModel::applyPointsAndRate(std::int32_t pointsIndex,
                                                                     std::int32_t rateIndex) {
    std::optional<DialogMessage> message;
    // 50 or 100 points at 400 Hz would be over within a fraction of a second.
    if (kSampleRateTable[static_cast<std::size_t>(rateIndex)].intervalSeconds == 0 &&
        pointsIndex < 2) {
        pointsIndex = 2;
        message = warning(kSelectOtherPointsText);
    }
    settings_.pointsIndex = pointsIndex;
    settings_.rateIndex = rateIndex;
    return message;
}

std::optional<DialogMessage> SettingsDialogModel::onPointsChanged(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= pointsList_.size()) {
        return std::nullopt;
    }
    return applyPointsAndRate(index, settings_.rateIndex);
}

std::optional<DialogMessage> SettingsDialogModel::onRateChanged(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= rateList_.size()) {
        return std::nullopt;
    }
    return applyPointsAndRate(settings_.pointsIndex, index);
}

std::optional<DialogMessage> SettingsDialogModel::onStartModeClicked(std::int32_t startMode) {
    if (startMode != kStartManual && startMode != kStartInstant && startMode != kStartCalibration) {
        return std::nullopt;
    }
    settings_.startMode = startMode;
    statusText_.clear();
    return applyPointsAndRate(settings_.pointsIndex, settings_.rateIndex);
}

void SettingsDialogModel::onFlashCycleClicked(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kFlashCycleSeconds.size()) {
        return;
    }
    settings_.flashCycleIndex = index;
    statusText_.clear();
}

void SettingsDialogModel::onAlarmFlashToggled(bool checked) {
    settings_.alarmFlash = checked;
    statusText_.clear();
}

void SettingsDialogModel::onUnitChanged(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= unitList_.size()) {
        return;
    }
    highText_ = alarmText(settings_.alarmHigh, index);
    lowText_ = alarmText(settings_.alarmLow, index);
    lowNote_.clear();
    highNote_.clear();
    settings_.unitIndex = index;
}

std::optional<DialogMessage> SettingsDialogModel::onAlarmEdited(AlarmField field,
                                                                std::string_view typed) {
    std::string& text = field == AlarmField::Low ? lowText_ : highText_;
    float& limit = field == AlarmField::Low ? settings_.alarmLow : settings_.alarmHigh;

    std::string& note = field == AlarmField::Low ? lowNote_ : highNote_;
    const std::string previous = text;
    text = std::string(typed);
    if (!passesAlarmFilter(text)) {
        note = "\"" + text + "\" was not taken: the alarm limits take whole numbers";
        text = previous;
    } else {
        note.clear();
    }

    // With an empty unit list the edits are in the base unit (factor 1).
    const double factor = unitList_.empty() ? 1.0 : unitFactor(settings_.unitIndex);
    const double upper = 30.0 * factor;
    std::optional<DialogMessage> message;
    std::optional<std::int32_t> value = passesAlarmFilter(text) ? alarmInteger(text) : std::nullopt;
    // Too long for 32 bits counts as out of range.
    if (!value || *value > upper || *value < 0) {
        message = warning("Please input between " + formatFixed(0.0, 0) + " and " +
                          formatFixed(upper, 0) + " " + alarmUnit());
        text = field == AlarmField::Low ? kLowResetText : kHighResetText;
        value = alarmInteger(text);
    }
    limit = static_cast<float>(static_cast<double>(static_cast<float>(*value)) / factor);
    statusText_.clear();
    return message;
}

NameEditResult SettingsDialogModel::onLoggerNameEdited(std::string_view text) {
    NameEditResult result;
    if (utf16Length(text) > kLoggerNameMax) {
        result.message =
            warning("Please enter no more than " + std::to_string(kLoggerNameMax) + " characters.");
        result.keepFocus = true;
        return result;
    }
    settings_.loggerName = std::string(text);
    statusText_.clear();
    return result;
}

void SettingsDialogModel::onDefault() {
    const LoggerSettings d = LoggerSettings::defaults();
    applyPointsAndRate(d.pointsIndex, d.rateIndex);
    settings_.flashCycleIndex = d.flashCycleIndex;
    settings_.loggerName = d.loggerName;
    onStartModeClicked(d.startMode);
    settings_.alarmFlash = d.alarmFlash;
    statusText_.clear();
    settings_.unitIndex = 0;
    // Both texts lie inside every unit's range, so no message can come of these.
    onAlarmEdited(AlarmField::High, "20");
    onAlarmEdited(AlarmField::Low, "0");
}

std::variant<DialogMessage, LoggerSettings>
SettingsDialogModel::onSetup(const SetupTexts& current) {
    // Edits still holding uncommitted text are committed as if they lost the focus.
    if (current.loggerName != settings_.loggerName) {
        NameEditResult r = onLoggerNameEdited(current.loggerName);
        if (r.message) {
            return *r.message;
        }
    }
    if (current.highAlarm != highText_) {
        if (auto m = onAlarmEdited(AlarmField::High, current.highAlarm)) {
            return *m;
        }
    }
    if (current.lowAlarm != lowText_) {
        if (auto m = onAlarmEdited(AlarmField::Low, current.lowAlarm)) {
            return *m;
        }
    }

    if (lowText_.empty() || highText_.empty()) {
        return warning(kEmptySettingsText);
    }
    if (settings_.alarmLow > settings_.alarmHigh) {
        return warning(kHighBelowLowText);
    }
    if (settings_.loggerName.empty()) {
        return warning(kEmptySettingsText);
    }
    return settings_;
}

void SettingsDialogModel::onUploadStarted() {
    setupEnabled_ = false;
}

std::optional<DialogMessage> SettingsDialogModel::onUploadFinished(const UploadOutcome& outcome) {
    statusText_ = uploadStatusText(outcome.result);
    setupEnabled_ = outcome.result != UploadResult::Success;
    return uploadMessage(outcome, settings_.startMode);
}

} // namespace quillmark
