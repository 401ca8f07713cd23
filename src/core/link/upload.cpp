#include "core/link/upload.h"

#include "core/link/wire_protocol.h"
#include "core/settings/settings_block.h"

namespace quillmark {

const char* uploadResultText(UploadResult result) {
    switch (result) {
    case UploadResult::ConnectionFault:
        return "Connecting fault. Ensure logger inserted and try again.";
    case UploadResult::WriteFault:
        return "Failed writing data to the datalogger.";
    case UploadResult::Success:
        break;
    }
    return "";
}

namespace {

// Reads single bytes until the acknowledge byte arrives. Other bytes and timed-out reads
// lead to the next read; a read failing for any other reason means the device is gone
// and ends the wait at once, as does the total bound.
bool awaitAcknowledge(LoggerLink& link, const UploadOptions& options) {
    const auto now = [&] { return options.now ? options.now() : std::chrono::steady_clock::now(); };
    const auto deadline = now() + options.acknowledgeWait;
    for (;;) {
        std::uint8_t byte = 0;
        std::uint32_t got = 0;
        const bool ok = link.read(&byte, 1, wire::kShortReadTimeoutMs, &got);
        if (ok && got == 1 && byte == wire::kAcknowledge)
            return true;
        if (!ok && link.lastTransferStatus() != VendorUsb::kReadTimedOut)
            return false;
        if (now() >= deadline)
            return false;
    }
}

} // namespace

UploadOutcome uploadSettings(LoggerLink& link, const HeaderBlock& block,
                             const UploadOptions& options) {
    if (!link.open())
        return {UploadResult::ConnectionFault, false};
    link.close();
    if (!link.open())
        return {UploadResult::WriteFault, false};

    std::uint32_t written = 0;
    bool ok = link.write(wire::kWriteCommand.data(), wire::kWriteCommand.size(), &written) &&
              written == wire::kWriteCommand.size();
    ok = ok && link.write(block.data(), block.size());
    ok = ok && awaitAcknowledge(link, options);
    link.close();
    if (!ok)
        return {UploadResult::WriteFault, true};
    return {UploadResult::Success, false};
}

UploadOutcome uploadAndSaveSettings(LoggerLink& link, const LoggerSettings& settings,
                                    const std::tm* localOrNull, std::string* saveError,
                                    const UploadOptions& options) {
    if (saveError)
        saveError->clear();
    const UploadOutcome outcome =
        uploadSettings(link, buildSettingsBlock(settings, localOrNull), options);
    if (outcome.result != UploadResult::Success)
        return outcome; // the INI file stays as it was
    std::string error;
    if (!settings.save(&error) && saveError)
        *saveError = error.empty() ? "The settings could not be saved." : error;
    return outcome;
}

} // namespace quillmark
