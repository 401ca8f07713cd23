#include "core/link/logger_choice.h"

namespace quillmark {

std::string loggerDeviceLabel(const LoggerDevice& device) {
    if (device.serial.empty())
        return device.location;
    return device.location + ", serial " + device.serial;
}

LoggerSelection selectLogger(bool listed, const std::vector<LoggerDevice>& present,
                             std::string_view wanted) {
    LoggerSelection selection;
    if (wanted.empty()) {
        if (!listed || present.empty())
            return selection;
        if (present.size() == 1) {
            selection.kind = LoggerSelection::Kind::Chosen;
            selection.device = present.front();
            return selection;
        }
        selection.kind = LoggerSelection::Kind::Several;
        selection.candidates = present;
        return selection;
    }
    // A location names one port; a serial number may be shared (bridges often leave the
    // factory's), so it must match exactly one logger.
    std::vector<LoggerDevice> bySerial;
    for (const LoggerDevice& device : present) {
        if (device.location == wanted) {
            selection.kind = LoggerSelection::Kind::Chosen;
            selection.device = device;
            return selection;
        }
        if (!device.serial.empty() && device.serial == wanted)
            bySerial.push_back(device);
    }
    selection.candidates = present;
    if (bySerial.size() == 1) {
        selection.kind = LoggerSelection::Kind::Chosen;
        selection.device = bySerial.front();
        selection.candidates.clear();
    } else {
        selection.kind =
            bySerial.empty() ? LoggerSelection::Kind::NotFound : LoggerSelection::Kind::Ambiguous;
    }
    return selection;
}

LoggerSelection selectLogger(VendorUsb& usb, std::string_view wanted) {
    std::vector<LoggerDevice> present;
    const bool listed = usb.listDevices(present);
    return selectLogger(listed, present, wanted);
}

std::string loggerSelectionProblem(const LoggerSelection& selection, std::string_view wanted,
                                   std::string_view chooseHow) {
    std::string text;
    switch (selection.kind) {
    case LoggerSelection::Kind::Default:
    case LoggerSelection::Kind::Chosen:
        return {};
    case LoggerSelection::Kind::NotFound:
        text = "No logger at " + std::string(wanted) + ".";
        break;
    case LoggerSelection::Kind::Ambiguous:
        text = "Several loggers have the serial number " + std::string(wanted) +
               "; choose one by its location " + std::string(chooseHow) + ":";
        break;
    case LoggerSelection::Kind::Several:
        text = std::string(kSeveralLoggersText) + " " + std::string(chooseHow) + ":";
        break;
    }
    if (selection.candidates.empty())
        return text + " No logger is connected.";
    if (selection.kind == LoggerSelection::Kind::NotFound)
        text += " Connected:";
    for (const LoggerDevice& device : selection.candidates)
        text += "\n  " + loggerDeviceLabel(device);
    return text;
}

VendorUsb::Status ChosenLogger::openDevice(std::uint32_t deviceIndex, Handle& handle) {
    if (deviceIndex != 0) {
        handle = kInvalidHandle;
        return kDeviceNotFound;
    }
    return inner().openDeviceAt(location_, handle);
}

} // namespace quillmark
