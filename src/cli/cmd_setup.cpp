// quillmark-cli setup [--mode manual|instant] [--points N] [--rate TEXT] [--flash-cycle 10|20|30]
//                     [--alarm-flash on|off] [--low V] [--high V] [--unit N]
// Starts from the saved settings, applies the settings dialog's rules, uploads the block and
// saves the settings once the logger has acknowledged it.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>

#include "cli/backend_select.h"
#include "cli/command.h"
#include "core/app/logger_model.h"
#include "core/link/upload.h"
#include "core/settings/settings_dialog_model.h"

namespace quillmark::cli {
namespace {

constexpr const char* kUsage =
    "Usage: quillmark-cli setup [--mode manual|instant] [--points N] [--rate TEXT]\n"
    "                           [--flash-cycle 10|20|30] [--alarm-flash on|off]\n"
    "                           [--low V] [--high V] [--unit N] [--backend B]\n\n"
    "Starts from the saved settings, applies the same rules as the settings dialog, writes\n"
    "the settings to the logger and saves them after the logger has taken them.\n\n"
    "  --mode           manual (press the logger's button to start) or instant\n"
    "  --points N       sample points: 50 100 500 1000 2000 4000 6000 8000 10000 12000\n"
    "                   14000 16000 32000\n"
    "  --rate TEXT      sample rate: 2s 5s 10s 30s 1m 5m 10m 30m 1hr 2hr 3hr 6hr 12hr 24hr\n"
    "                   2.5ms(400Hz)\n"
    "  --flash-cycle S  LED flash cycle in seconds: 10, 20 or 30\n"
    "  --alarm-flash    on or off\n"
    "  --low V, --high V  alarm limits, whole numbers in the unit chosen by --unit\n"
    "  --unit N         unit row of the alarm limits (0 = base unit)\n";

// A refusal: the dialog's own text on stderr.
int refuse(const DialogMessage& message) {
    std::fprintf(stderr, "%s\n", message.text.c_str());
    return 1;
}

int usageError(const char* text) {
    std::fprintf(stderr, "quillmark-cli setup: %s\n", text);
    return 2;
}

struct Choices {
    std::optional<std::int32_t> pointsIndex;
    std::optional<std::int32_t> rateIndex;
};

// Points and rate constrain each other; try both orders so the result does not depend on
// which one the user typed first.
std::optional<DialogMessage> applyPointsAndRate(SettingsDialogModel& model, const Choices& c,
                                                bool rateFirst) {
    std::optional<DialogMessage> message;
    auto points = [&] {
        if (c.pointsIndex && !message)
            message = model.onPointsChanged(*c.pointsIndex);
    };
    auto rate = [&] {
        if (c.rateIndex && !message)
            message = model.onRateChanged(*c.rateIndex);
    };
    if (rateFirst) {
        rate();
        points();
    } else {
        points();
        rate();
    }
    return message;
}

int runSetup(const std::vector<std::string>& args) {
    if (hasFlag(args, "--help")) {
        std::printf("%s%s", kUsage, kBackendHelp);
        return 0;
    }
    CliBackend backend;
    std::string error;
    if (!selectBackend(args, backend, &error))
        return usageError(error.c_str());
    deviceScan(*backend.detector);
    const std::int32_t modelCode = loggerModel();

    LoggerSettings saved;
    saved.load();

    // Parse everything before touching the model.
    std::string value;
    std::optional<std::int32_t> mode;
    if (optionValue(args, "--mode", value)) {
        if (value == "manual")
            mode = kStartManual;
        else if (value == "instant")
            mode = kStartInstant;
        else
            return usageError("--mode takes manual or instant");
    }
    Choices choices;
    if (optionValue(args, "--points", value)) {
        const auto it = std::find_if(kSamplePointsTable.begin(), kSamplePointsTable.end(),
                                     [&](std::uint32_t p) { return std::to_string(p) == value; });
        if (it == kSamplePointsTable.end())
            return usageError("--points takes a value of the sample-points table");
        choices.pointsIndex = static_cast<std::int32_t>(it - kSamplePointsTable.begin());
    }
    {
        SettingsDialogModel probeModel(modelCode);
        if (optionValue(args, "--rate", value)) {
            const auto& list = probeModel.rateList();
            const auto it = std::find(list.begin(), list.end(), value);
            if (it == list.end())
                return usageError("--rate takes a text of the sample-rate list");
            choices.rateIndex = static_cast<std::int32_t>(it - list.begin());
        }
    }
    std::optional<std::int32_t> flash;
    if (optionValue(args, "--flash-cycle", value)) {
        if (value == "10")
            flash = 0;
        else if (value == "20")
            flash = 1;
        else if (value == "30")
            flash = 2;
        else
            return usageError("--flash-cycle takes 10, 20 or 30");
    }
    std::optional<bool> alarmFlash;
    if (optionValue(args, "--alarm-flash", value)) {
        if (value != "on" && value != "off")
            return usageError("--alarm-flash takes on or off");
        alarmFlash = value == "on";
    }
    std::optional<std::int32_t> unit;
    if (optionValue(args, "--unit", value)) {
        SettingsDialogModel unitModel(modelCode);
        const auto count = static_cast<std::int32_t>(unitModel.unitList().size());
        if (value.size() != 1 || value[0] < '0' || value[0] - '0' >= count)
            return usageError("--unit takes a row of the model's unit list");
        unit = value[0] - '0';
    }
    std::optional<std::string> low;
    std::optional<std::string> high;
    if (optionValue(args, "--low", value))
        low = value;
    if (optionValue(args, "--high", value))
        high = value;

    // Apply in the order a user would work through the dialog.
    std::optional<DialogMessage> message;
    SettingsDialogModel model(modelCode);
    auto start = [&](bool rateFirst) {
        model = SettingsDialogModel(modelCode);
        if (auto note = model.open(saved))
            std::fprintf(stderr, "%s\n", note->text.c_str());
        return applyPointsAndRate(model, choices, rateFirst);
    };
    message = start(false);
    if (message && choices.pointsIndex && choices.rateIndex)
        message = start(true);
    if (message)
        return refuse(*message);
    if (mode && (message = model.onStartModeClicked(*mode)))
        return refuse(*message);
    if (flash)
        model.onFlashCycleClicked(*flash);
    if (alarmFlash)
        model.onAlarmFlashToggled(*alarmFlash);
    if (unit)
        model.onUnitChanged(*unit);
    for (const auto& [field, text] :
         {std::pair{AlarmField::Low, low}, std::pair{AlarmField::High, high}}) {
        if (!text)
            continue;
        if ((message = model.onAlarmEdited(field, *text)))
            return refuse(*message);
        const std::string& shown =
            field == AlarmField::Low ? model.lowAlarmText() : model.highAlarmText();
        if (shown != *text)
            return usageError("--low and --high take whole numbers");
    }

    const auto checked =
        model.onSetup({model.lowAlarmText(), model.highAlarmText(), model.loggerNameText()});
    if (const auto* refusal = std::get_if<DialogMessage>(&checked))
        return refuse(*refusal);
    const LoggerSettings settings = std::get<LoggerSettings>(checked);

    model.onUploadStarted();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    const bool haveLocal = localtime_r(&now, &local) != nullptr;
    LoggerLink link(*backend.vendor);
    std::string saveError;
    const UploadOutcome outcome =
        uploadAndSaveSettings(link, settings, haveLocal ? &local : nullptr, &saveError);

    const auto finished = model.onUploadFinished(outcome);
    if (outcome.result != UploadResult::Success) {
        std::fprintf(stderr, "%s\n", model.statusText().c_str());
        explainOpenFailure(link.lastStatus());
        return 1;
    }
    if (!saveError.empty()) {
        std::fprintf(stderr, "%s\n", saveError.c_str());
        return 1;
    }
    if (finished)
        std::printf("%s\n", finished->text.c_str());
    return 0;
}

const CommandRegistrar registrar({"setup", "write the logger settings to the logger", runSetup});

} // namespace
} // namespace quillmark::cli
