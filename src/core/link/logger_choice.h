#pragma once
// Which logger an exchange talks to when several are plugged in: the --device text of the
// command line, the window's list, and the backend wrapper that makes the chosen logger the
// device 0 every LoggerLink opens.
#include <string>
#include <string_view>
#include <vector>

#include "core/link/vendor_usb.h"

namespace quillmark {

using LoggerDevice = VendorUsb::Device;

inline constexpr char kSeveralLoggersText[] = "Several loggers are connected; choose one";

// "1:3.2, serial 0001" or "1:3.2": one line of a listing.
std::string loggerDeviceLabel(const LoggerDevice& device);

struct LoggerSelection {
    enum class Kind {
        Default,   // no choice needed: the backend cannot list, or at most one logger is there
        Chosen,    // `device` is the one asked for (or the only one)
        NotFound,  // nothing matches the text asked for
        Several,   // several loggers and no choice made
        Ambiguous, // the text (a serial number) matches several loggers
    };
    Kind kind = Kind::Default;
    LoggerDevice device;                  // Chosen
    std::vector<LoggerDevice> candidates; // NotFound, Several, Ambiguous: what is there
};

// `wanted` is BUS:PORTPATH or a serial number, empty for no choice. `listed` is false for a
// backend that cannot list (it then has one logger at most, and only an empty choice fits).
LoggerSelection selectLogger(bool listed, const std::vector<LoggerDevice>& present,
                             std::string_view wanted);
// Lists the backend's loggers and selects among them.
LoggerSelection selectLogger(VendorUsb& usb, std::string_view wanted);

// The text of a selection that cannot go ahead, listing what is there; empty for Default and
// Chosen. "Several loggers are connected; choose one with --device:" and one line each.
std::string loggerSelectionProblem(const LoggerSelection& selection, std::string_view wanted,
                                   std::string_view chooseHow = "with --device");

// The backend as one logger: device 0 is the logger at `location`, every other call goes to
// the wrapped backend. Exchanges keep opening device 0 and reach the chosen logger.
class ChosenLogger : public ForwardingVendorUsb {
public:
    ChosenLogger(VendorUsb& inner, std::string location)
        : ForwardingVendorUsb(inner), location_(std::move(location)) {}

    const std::string& location() const { return location_; }

    Status openDevice(std::uint32_t deviceIndex, Handle& handle) override;

private:
    std::string location_;
};

} // namespace quillmark
