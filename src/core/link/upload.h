#pragma once
// The settings upload exchange: open, close, open; write command; the 64-byte block; then
// wait for the logger's acknowledge byte.
#include <chrono>
#include <ctime>
#include <functional>
#include <string>

#include "core/data/recording.h"
#include "core/link/logger_link.h"
#include "core/settings/logger_settings.h"

namespace quillmark {

enum class UploadResult {
    Success,
    ConnectionFault, // "Connecting fault. Ensure logger inserted and try again."
    WriteFault,      // "Failed writing data to the datalogger."
};

// Status-line text of a failed ending; empty for Success.
const char* uploadResultText(UploadResult result);

// Whether the failed ending also shows the message box (same text as the status line).
// The second open failing is a write fault without a message box.
struct UploadOutcome {
    UploadResult result = UploadResult::Success;
    bool showMessageBox = false;
};

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
// Success and `saveError` (when given) receives the reason; it is left empty otherwise.
UploadOutcome uploadAndSaveSettings(LoggerLink& link, const LoggerSettings& settings,
                                    const std::tm* localOrNull, std::string* saveError = nullptr,
                                    const UploadOptions& options = {});

} // namespace quillmark
