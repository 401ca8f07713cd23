// quillmark-cli setup [--mode manual|instant] [--points N] [--rate TEXT] [--flash-cycle 10|20|30]
//                     [--alarm-flash on|off] [--low V] [--high V] [--unit N]
// Starts from the saved settings, applies the settings dialog's rules, uploads the block and
// saves the settings once the logger has acknowledged it.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>
#include <variant>

#include "cli/backend_select.h"
#include "cli/command.h"
#include "cli/options.h"
#include "core/app/logger_model.h"
#include "core/common/atomic_file.h"
#include "core/link/upload.h"
#include "core/settings/ini_store.h"
#include "core/settings/settings_dialog_model.h"

namespace quillmark::cli {
namespace {

constexpr const char* kUsage =
    "Usage: quillmark-cli setup [--mode manual|instant] [--points N] [--rate TEXT]\n"
    "                           [--flash-cycle 10|20|30] [--alarm-flash on|off]\n"
    "                           [--low V] [--high V] [--unit N] [--device D] [--backend B]\n\n"
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

constexpr int kRefused = 1;
constexpr int kUsageError = 2;

int usageError(const std::string& text) {
    std::fprintf(stderr, "quillmark-cli setup: %s\n", text.c_str());
    return kUsageError;
}

// What the options ask for; whatever is not given keeps its saved value.
struct SetupRequest {
    std::optional<std::int32_t> mode;
    std::optional<std::int32_t> pointsIndex;
    std::optional<std::int32_t> rateIndex;
    std::optional<std::int32_t> flashCycle;
    std::optional<bool> alarmFlash;
    std::optional<std::int32_t> unit;
    std::optional<std::string> low;
    std::optional<std::string> high;
};

// Why the request was not carried out, and the exit code that says so.
struct Refusal {
    int exitCode;
    std::string text;
};

std::optional<std::int32_t> indexIn(const std::vector<std::string>& list, const std::string& text) {
    const auto it = std::find(list.begin(), list.end(), text);
    if (it == list.end())
        return std::nullopt;
    return static_cast<std::int32_t>(it - list.begin());
}

// The options as given, checked against the lists of the model code.
std::variant<SetupRequest, Refusal> parseSetup(const ParsedOptions& options, std::int32_t model) {
    SetupRequest request;
    std::string value;
    const auto optionValue = [&options](std::string_view name, std::string& out) {
        const std::optional<std::string> given = options.value(name);
        if (given)
            out = *given;
        return given.has_value();
    };
    if (optionValue("--mode", value)) {
        if (value == "manual")
            request.mode = kStartManual;
        else if (value == "instant")
            request.mode = kStartInstant;
        else
            return Refusal{kUsageError, "--mode takes manual or instant"};
    }
    if (optionValue("--points", value) &&
        !(request.pointsIndex = indexIn(samplePointsList(), value)))
        return Refusal{kUsageError, "--points takes a value of the sample-points table"};
    if (optionValue("--rate", value) &&
        !(request.rateIndex = indexIn(sampleRateList(model), value)))
        return Refusal{kUsageError, "--rate takes a text of the sample-rate list"};
    if (optionValue("--flash-cycle", value) &&
        !(request.flashCycle = indexIn({"10", "20", "30"}, value)))
        return Refusal{kUsageError, "--flash-cycle takes 10, 20 or 30"};
    if (optionValue("--alarm-flash", value)) {
        if (value != "on" && value != "off")
            return Refusal{kUsageError, "--alarm-flash takes on or off"};
        request.alarmFlash = value == "on";
    }
    if (optionValue("--unit", value)) {
        const auto count = static_cast<std::int32_t>(settingsUnitList(model).size());
        if (value.size() != 1 || value[0] < '0' || value[0] - '0' >= count)
            return Refusal{kUsageError, "--unit takes a row of the model's unit list"};
        request.unit = value[0] - '0';
    }
    if (optionValue("--low", value))
        request.low = value;
    if (optionValue("--high", value))
        request.high = value;
    return request;
}

// Points and rate constrain each other; try both orders so the result does not depend on
// which one the user typed first.
std::optional<DialogMessage> applyPointsAndRate(SettingsDialogModel& rules,
                                                const SetupRequest& request, bool rateFirst) {
    std::optional<DialogMessage> message;
    auto points = [&] {
        if (request.pointsIndex && !message)
            message = rules.onPointsChanged(*request.pointsIndex);
    };
    auto rate = [&] {
        if (request.rateIndex && !message)
            message = rules.onRateChanged(*request.rateIndex);
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

// The saved settings changed as the dialog would change them, in the order a user works
// through it; a value the dialog refuses is refused with its message.
std::variant<LoggerSettings, Refusal> applySetup(const SetupRequest& request,
                                                 const LoggerSettings& saved, std::int32_t model) {
    SettingsDialogModel rules(model);
    auto start = [&](bool rateFirst) {
        rules = SettingsDialogModel(model);
        if (auto note = rules.open(saved))
            printMessage(*note);
        return applyPointsAndRate(rules, request, rateFirst);
    };
    std::optional<DialogMessage> message = start(false);
    if (message && request.pointsIndex && request.rateIndex)
        message = start(true);
    if (!message && request.mode)
        message = rules.onStartModeClicked(*request.mode);
    if (message)
        return Refusal{kRefused, message->text};
    if (request.flashCycle)
        rules.onFlashCycleClicked(*request.flashCycle);
    if (request.alarmFlash)
        rules.onAlarmFlashToggled(*request.alarmFlash);
    if (request.unit)
        rules.onUnitChanged(*request.unit);
    for (const auto& [field, text] :
         {std::pair{AlarmField::Low, request.low}, std::pair{AlarmField::High, request.high}}) {
        if (!text)
            continue;
        if ((message = rules.onAlarmEdited(field, *text)))
            return Refusal{kRefused, message->text};
        const std::string& shown =
            field == AlarmField::Low ? rules.lowAlarmText() : rules.highAlarmText();
        if (shown != *text)
            return Refusal{kUsageError, "--low and --high take whole numbers"};
    }
    auto checked =
        rules.onSetup({rules.lowAlarmText(), rules.highAlarmText(), rules.loggerNameText()});
    if (const auto* refusal = std::get_if<DialogMessage>(&checked))
        return Refusal{kRefused, refusal->text};
    return std::get<LoggerSettings>(std::move(checked));
}

// Writes the settings to the logger and saves them; reports as the dialog would.
int uploadSetup(VendorUsb& vendor, const LoggerSettings& settings) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    const bool haveLocal = localtime_r(&now, &local) != nullptr;
    LoggerLink link(vendor);
    const UploadOutcome outcome =
        uploadAndSaveSettings(link, settings, haveLocal ? &local : nullptr);
    if (outcome.result != UploadResult::Success) {
        std::fprintf(stderr, "%s\n", uploadStatusText(outcome.result));
        printFault(outcome.fault);
        explainOpenFailure(link.lastStatus());
        return 1;
    }
    // The logger runs with the new settings either way: say how logging starts first.
    if (const std::optional<DialogMessage> started = uploadMessage(outcome, settings.startMode))
        std::printf("%s\n", started->text.c_str());
    if (!outcome.saveError.empty()) {
        printMessage(settingsNotSavedMessage(outcome.saveError));
        return 1;
    }
    return 0;
}

CommandSyntax setupSyntax() {
    CommandSyntax syntax{"setup", {}, 0, 0};
    for (const char* name : {"--mode", "--points", "--rate", "--flash-cycle", "--alarm-flash",
                             "--low", "--high", "--unit"})
        syntax.options.push_back({name, "", OptionKind::Value});
    for (const OptionSpec& o : loggerOptions())
        syntax.options.push_back(o);
    return syntax;
}

int runSetup(const std::vector<std::string>& args) {
    const auto parsed = parseOptions(setupSyntax(), args);
    if (!parsed)
        return kUsageError;
    if (parsed->help()) {
        std::printf("%s%s", kUsage, kBackendHelp);
        return 0;
    }
    LoggerBackend backend;
    std::string error;
    if (!selectBackend(args, backend, &error))
        return usageError(error);
    if (const int rc = chooseDevice(args, backend, "setup").exitCode)
        return rc;
    deviceScan(*backend.detector);
    const std::int32_t model = loggerModel();

    const std::variant<SetupRequest, Refusal> request = parseSetup(*parsed, model);
    if (const auto* refusal = std::get_if<Refusal>(&request))
        return usageError(refusal->text);

    // Defaults in place of settings that exist but cannot be read would be a surprise to
    // upload: stop before the logger is touched.
    LoggerSettings saved;
    if (!saved.load(&error)) {
        std::fprintf(stderr,
                     "quillmark-cli setup: %s\nThe saved settings cannot be read; nothing was "
                     "sent to the logger.\n",
                     error.c_str());
        return kRefused;
    }
    // Settings the logger would take but the file could not keep: also found first. A
    // missing folder is made when the settings are saved.
    const std::string iniPath = settingsIniPath();
    if (std::filesystem::exists(std::filesystem::path(iniPath).parent_path())) {
        if (const auto refused = checkOutputTarget(iniPath, {})) {
            std::fprintf(stderr,
                         "quillmark-cli setup: %s\nThe settings cannot be saved; nothing was "
                         "sent to the logger.\n",
                         refused->message.c_str());
            return kRefused;
        }
    }

    const std::variant<LoggerSettings, Refusal> applied =
        applySetup(std::get<SetupRequest>(request), saved, model);
    if (const auto* refusal = std::get_if<Refusal>(&applied)) {
        if (refusal->exitCode == kUsageError)
            return usageError(refusal->text);
        std::fprintf(stderr, "%s\n", refusal->text.c_str());
        return refusal->exitCode;
    }
    return uploadSetup(*backend.vendor, std::get<LoggerSettings>(applied));
}

const CommandRegistrar registrar({"setup", "write the logger settings to the logger", runSetup});

} // namespace
} // namespace quillmark::cli
