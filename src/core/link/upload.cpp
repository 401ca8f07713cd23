#include "core/link/upload.h"

#include "core/link/wire_protocol.h"
#include "core/settings/settings_block.h"

namespace quillmark {

namespace {
constexpr char kConnectingFaultText[] = "Connecting fault. Ensure logger inserted and try again.";
constexpr char kWriteFaultText[] = "Failed writing data to the datalogger.";
constexpr char kStatusInformationCaption[] = "Status Information";

constexpr char kAcknowledgeStep[] = "waiting for the acknowledge byte";

// Reads single bytes until the acknowledge byte arrives. Other bytes and timed-out reads
// lead to the next read; a read failing for any other reason means the device is gone
// and ends the wait at once, as does the total bound.
std::optional<LinkFault> awaitAcknowledge(LoggerLink& link, const UploadOptions& options) {
    const auto now = [&] { return options.now ? options.now() : std::chrono::steady_clock::now(); };
    const auto start = now();
    const auto deadline = start + options.acknowledgeWait;
    for (;;) {
        std::uint8_t byte = 0;
        std::uint32_t got = 0;
        const bool ok = link.read(&byte, 1, wire::kShortReadTimeoutMs, &got);
        if (ok && got == 1 && byte == wire::kAcknowledge)
            return std::nullopt;
        if (!ok && link.lastTransferStatus() != VendorUsb::kReadTimedOut)
            return link.faultAt(kAcknowledgeStep);
        if (now() >= deadline) {
            // Given up: the whole wait is the timeout that passed, not the last read's.
            LinkFault fault = link.faultAt(kAcknowledgeStep);
            fault.op = LinkFault::Op::Read;
            fault.status = VendorUsb::kReadTimedOut;
            fault.backendStep.clear();
            fault.asked = 1;
            fault.done = 0;
            fault.timeoutMs = static_cast<std::uint32_t>(
                std::chrono::round<std::chrono::seconds>(now() - start).count() * 1000);
            return fault;
        }
    }
}

} // namespace

const char* uploadStatusText(UploadResult result) {
    switch (result) {
    case UploadResult::ConnectionFault:
        return kConnectingFaultText;
    case UploadResult::WriteFault:
        return kWriteFaultText;
    case UploadResult::Success:
        break;
    }
    return "";
}

std::optional<DialogMessage> uploadMessage(const UploadOutcome& outcome, std::int32_t startMode) {
    if (outcome.result != UploadResult::Success) {
        if (!outcome.showMessageBox)
            return std::nullopt;
        DialogMessage message{uploadStatusText(outcome.result)};
        if (outcome.fault)
            message.detail = linkFaultText(*outcome.fault);
        return message;
    }
    if (startMode == kStartManual)
        return DialogMessage{
            "To start logging, you must press the button once in housing of datalogger.",
            kStatusInformationCaption};
    if (startMode == kStartInstant)
        return DialogMessage{"Datalogger is running...", kStatusInformationCaption};
    return std::nullopt;
}

DialogMessage settingsNotSavedMessage(const std::string& reason) {
    return DialogMessage{"The logger has taken the settings, but they could not be saved: " +
                             reason,
                         kAppTitle, MessageIcon::Exclamation};
}

UploadOutcome uploadSettings(LoggerLink& link, const HeaderBlock& block,
                             const UploadOptions& options) {
    if (!link.open())
        return {UploadResult::ConnectionFault, false, {}, link.faultAt("opening the logger")};
    link.close();
    if (!link.open())
        return {UploadResult::WriteFault, false, {}, link.faultAt("opening the logger again")};

    std::optional<LinkFault> fault;
    std::uint32_t written = 0;
    if (!link.write(wire::kWriteCommand.data(), wire::kWriteCommand.size(), &written)) {
        fault = link.faultAt("sending the write command");
    } else if (written != wire::kWriteCommand.size()) {
        // Status 0, yet not every byte went: the numbers say how far it came.
        fault = LinkFault{LinkFault::Op::Write,
                          "sending the write command",
                          {},
                          VendorUsb::kSuccess,
                          static_cast<std::uint32_t>(wire::kWriteCommand.size()),
                          written,
                          wire::kWriteTimeoutMs};
    } else if (!link.write(block.data(), block.size())) {
        fault = link.faultAt("sending the settings block");
    } else {
        fault = awaitAcknowledge(link, options);
    }
    link.close();
    if (fault)
        return {UploadResult::WriteFault, true, {}, std::move(fault)};
    return {};
}

UploadOutcome uploadAndSaveSettings(LoggerLink& link, const LoggerSettings& settings,
                                    const std::tm* localOrNull, const UploadOptions& options) {
    UploadOutcome outcome =
        uploadSettings(link, buildSettingsBlock(settings, localOrNull), options);
    if (outcome.result != UploadResult::Success)
        return outcome; // the INI file stays as it was
    std::string error;
    if (!settings.save(&error))
        outcome.saveError = error.empty() ? "the reason is unknown" : error;
    return outcome;
}

} // namespace quillmark
