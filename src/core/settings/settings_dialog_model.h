#pragma once
// The rules of the logger settings dialog, without a window.
//
// The model holds what the dialog shows (list contents and selections, radio and check box
// states, the alarm and name texts, the recording time, the status line, whether Setup is
// enabled) and applies every rule when an event arrives. A widget dialog only has to:
//
//   1. build the model with the program's logger model code, call open() with the settings
//      loaded from the INI file, show the returned message if any, then refresh;
//   2. forward each event to the matching on...() call, show the returned DialogMessage if
//      there is one (a modal box: text, caption, icon, OK button), then refresh;
//   3. "refresh" = set every control from the getters below (texts, selections, checks,
//      enabled states). Refreshing is cheap and always safe; it never changes the model.
//
// Event map:
//   sample-points list selection    -> onPointsChanged(index)
//   sample-rate list selection      -> onRateChanged(index)
//   "Manual"/"Instant"/"Calibration" clicked -> onStartModeClicked(kStartManual/...)
//   "10s"/"20s"/"30s" clicked        -> onFlashCycleClicked(0/1/2)
//   alarm LED flash check box        -> onAlarmFlashToggled(checked)
//   unit list selection              -> onUnitChanged(index)
//   low/high alarm edit loses focus  -> onAlarmEdited(AlarmField::Low/High, text)
//   logger name edit loses focus     -> onLoggerNameEdited(text)  (see keepFocus)
//   "Default"                        -> onDefault()
//   "Setup"                          -> onSetup(current edit texts); on LoggerSettings:
//                                       onUploadStarted(), uploadAndSaveSettings() it,
//                                       then onUploadFinished(outcome)
//   "Cancel"                         -> close; nothing is saved
// The connection caption and the one-shot probe are not part of this model.
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/common/user_message.h"
#include "core/link/upload.h"
#include "core/settings/logger_settings.h"

namespace quillmark {

// Recording-time text for P points at an interval of I seconds (0 = 400 Hz), e.g.
// " 4_Minutes, 10_Seconds" or "1_Day, 20_Hours, 26_Minutes, 40_Seconds". Leading zero
// groups are dropped, which leaves one leading space.
std::string recordingTimeText(std::uint32_t points, std::uint32_t intervalSeconds);

// The current-time field: "%d-%m-%y %H:%M:%S" (two-digit day, month, year), or "" without a
// local time.
std::string currentTimeText(const std::tm* localOrNull);

enum class AlarmField { Low, High };

// Result of the logger name edit losing the focus. With a message the name was refused and
// the edit should take the focus back.
struct NameEditResult {
    std::optional<DialogMessage> message;
    bool keepFocus = false;
};

// What the edits hold when Setup is pressed. A text that differs from what the model last
// showed is taken as if its edit had just lost the focus.
struct SetupTexts {
    std::string lowAlarm;
    std::string highAlarm;
    std::string loggerName;
};

class SettingsDialogModel {
public:
    // The logger name edit and the "Calibration" radio exist but are not shown.
    static constexpr bool kLoggerNameVisible = false;
    static constexpr bool kCalibrationVisible = false;

    explicit SettingsDialogModel(std::int32_t model);

    // Opening: puts the loaded record into the controls and runs the points/rate rule, which
    // can correct 400 Hz with 50 or 100 points (then it returns that message).
    std::optional<DialogMessage> open(const LoggerSettings& loaded);

    // --- What the widgets show -------------------------------------------------------------
    const std::vector<std::string>& pointsList() const { return pointsList_; } // 13 entries
    const std::vector<std::string>& rateList() const { return rateList_; }     // 14 or 15
    const std::vector<std::string>& unitList() const { return unitList_; }     // may be empty
    std::int32_t pointsSelection() const { return settings_.pointsIndex; }
    std::int32_t rateSelection() const { return settings_.rateIndex; }
    // -1 when the unit list is empty.
    std::int32_t unitSelection() const;
    // The radio to check: 1, 2 or 4 (any other value checks none).
    std::int32_t checkedStartMode() const { return settings_.startMode; }
    // The flash-cycle radio to check: 0, 1 or 2 (any other value checks none).
    std::int32_t checkedFlashCycle() const { return settings_.flashCycleIndex; }
    bool alarmFlashChecked() const { return settings_.alarmFlash; }
    const std::string& lowAlarmText() const { return lowText_; }
    const std::string& highAlarmText() const { return highText_; }
    // Why the last text typed into an alarm edit was not taken (it reverted to the text shown
    // before); empty once a valid text has been entered there.
    const std::string& alarmRevertNote(AlarmField field) const {
        return field == AlarmField::Low ? lowNote_ : highNote_;
    }
    const std::string& loggerNameText() const { return settings_.loggerName; }
    std::string recordingTime() const;
    const std::string& statusText() const { return statusText_; }
    bool setupEnabled() const { return setupEnabled_; }
    // The unit the alarm edits are in, as named in the range message.
    std::string alarmUnit() const;

    // The record as the rules have left it.
    const LoggerSettings& settings() const { return settings_; }
    std::int32_t loggerModel() const { return model_; }

    // --- Events ----------------------------------------------------------------------------
    // An index outside its list is ignored.
    std::optional<DialogMessage> onPointsChanged(std::int32_t index);
    std::optional<DialogMessage> onRateChanged(std::int32_t index);
    std::optional<DialogMessage> onStartModeClicked(std::int32_t startMode);
    void onFlashCycleClicked(std::int32_t index);
    void onAlarmFlashToggled(bool checked);
    void onUnitChanged(std::int32_t index);
    // Filters and range-checks the typed text and stores the limit in the base unit. A text
    // with a character other than digits (or a minus sign not in front) reverts silently to
    // the text shown before; a value outside 0 to 30 x factor returns the range message and
    // the text becomes "0" (low) or "25" (high).
    std::optional<DialogMessage> onAlarmEdited(AlarmField field, std::string_view text);
    NameEditResult onLoggerNameEdited(std::string_view text);
    void onDefault();
    // The Setup checks. Returns the refusal message, or the record to upload.
    std::variant<DialogMessage, LoggerSettings> onSetup(const SetupTexts& current);
    // Setup is disabled while the exchange runs.
    void onUploadStarted();
    // Failure: sets the status line, enables Setup again and returns the write-fault box when
    // one is due. Success: returns the start-mode box ("Status Information"; none for
    // Calibration); the caller (whose exchange has saved the settings) then hides the dialog,
    // shows the box and closes the dialog with OK.
    std::optional<DialogMessage> onUploadFinished(const UploadOutcome& outcome);

private:
    std::optional<DialogMessage> applyPointsAndRate(std::int32_t pointsIndex,
                                                    std::int32_t rateIndex);
    static DialogMessage warning(std::string text);

    std::int32_t model_;
    LoggerSettings settings_;
    std::vector<std::string> pointsList_;
    std::vector<std::string> rateList_;
    std::vector<std::string> unitList_;
    std::string lowText_;
    std::string highText_;
    std::string lowNote_;
    std::string highNote_;
    std::string statusText_;
    bool setupEnabled_ = true;
};

} // namespace quillmark
