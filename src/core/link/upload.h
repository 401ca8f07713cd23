#pragma once
// The settings upload exchange: open, close, open; write command; the 64-byte block; then
// wait for the logger's acknowledge byte.
#include <chrono>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "core/common/user_message.h"
#include "core/data/recording.h"
#include "core/link/logger_link.h"
#include "core/settings/logger_settings.h"

namespace quillmark {

enum class UploadResult {
    Success,
    ConnectionFault, // the first open failed: no logger
    WriteFault,      // the second open, the command, the block or the acknowledge failed
};

struct UploadOutcome {
    UploadResult result = UploadResult::Success;
    // A write fault after the second open also shows the message box; the second open
    // failing does not.
    bool showMessageBox = false;
    // After Success only: why the settings could not be saved (empty when they were).
    std::string saveError;
    // After a failure: the step that failed and why (the line under the fixed message).
    std::optional<LinkFault> fault = {};

    bool operator==(const UploadOutcome&) const = default;
};

// The status-line text of a failed ending; empty for Success.
const char* uploadStatusText(UploadResult result);
// The message box that follows an upload: the write fault's when one is due (with the fault
// as its detail), or after Success how logging starts (under "Status Information"; none for
// Calibration).
std::optional<DialogMessage> uploadMessage(const UploadOutcome& outcome, std::int32_t startMode);
// The logger has taken the settings, but the settings file could not be written.
DialogMessage settingsNotSavedMessage(const std::string& reason);

struct UploadOptions {
    // Total time the acknowledge wait may take before giving up (about 10 s).
    std::chrono::milliseconds acknowledgeWait{10000};
    // Clock used for that bound; tests pass a simulated one.
    std::function<std::chrono::steady_clock::time_point()> now;
};

// Sends the block, blocking the calling thread (up to about 10 s without an acknowledge):
// a window program calls it from a worker thread. The link is closed again in every outcome. Saving
// the settings after Success is the caller's step (the INI store is not part of the link).
UploadOutcome uploadSettings(LoggerLink& link, const HeaderBlock& block,
                             const UploadOptions& options = {});

// The whole Setup exchange for a record that passed the dialog's checks: builds the block
// for the given local time, uploads it and, only after the acknowledge, saves the record to
// the INI file. The logger has the settings even when the save fails: the result stays
// Success and `saveError` holds the reason.
UploadOutcome uploadAndSaveSettings(LoggerLink& link, const LoggerSettings& settings,
                                    const std::tm* localOrNull, const UploadOptions& options = {});

} // namespace quillmark
