#pragma once
// The settings upload exchange: open, close, open; write command; the 64-byte block; then
// wait for the logger's acknowledge byte.
#include <chrono>
#include <functional>

#include "core/data/recording.h"
#include "core/link/logger_link.h"

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

// Sends the block. The link is closed again in every outcome. Saving the settings after
// Success is the caller's step (the INI store is not part of the link).
UploadOutcome uploadSettings(LoggerLink& link, const HeaderBlock& block,
                             const UploadOptions& options = {});

} // namespace quillmark
