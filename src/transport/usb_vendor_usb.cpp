#include "transport/usb_vendor_usb.h"

#include <libusb.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>

#include "core/link/wire_protocol.h"

namespace quillmark::transport {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
constexpr unsigned kControlTimeoutMs = 1000;

bool matches(const std::vector<UsbId>& ids, const libusb_device_descriptor& d) {
    return std::find(ids.begin(), ids.end(), UsbId{d.idVendor, d.idProduct}) != ids.end();
}

// libusb takes 0 as "no timeout"; a zero timeout of ours means "do not wait".
unsigned libusbTimeout(std::uint32_t ms) {
    if (ms == kInfinite)
        return 0;
    return ms == 0 ? 1 : ms;
}

// A blocked transfer looks at the cancel flag this often.
constexpr unsigned kCancelSliceMs = 200;

VendorUsb::Status transferStatus(int rc, VendorUsb::Status otherwise) {
    switch (rc) {
    case LIBUSB_ERROR_NO_DEVICE:
        return VendorUsb::kDeviceNotFound;
    case LIBUSB_ERROR_ACCESS:
        return VendorUsb::kAccessDenied;
    case LIBUSB_ERROR_PIPE:
        return VendorUsb::kPipeStalled;
    case LIBUSB_ERROR_OVERFLOW:
        return VendorUsb::kOverflow;
    case LIBUSB_ERROR_BUSY:
        return VendorUsb::kBusy;
    case LIBUSB_ERROR_TIMEOUT:
        return VendorUsb::kReadTimedOut;
    default:
        return otherwise;
    }
}

struct ListedDevice {
    libusb_device* device;
    VendorUsb::Device info;
    int bus;
    std::vector<int> ports;
};

// The kernel keeps the string descriptor of the serial number in sysfs, named after the
// bus and port path ("1-3.2"), readable without opening the device.
std::string sysfsSerial(int bus, const std::vector<int>& ports) {
    if (ports.empty())
        return {};
    std::string name = std::to_string(bus) + "-";
    for (std::size_t i = 0; i < ports.size(); ++i)
        name += (i ? "." : "") + std::to_string(ports[i]);
    std::ifstream in("/sys/bus/usb/devices/" + name + "/serial");
    std::string serial;
    std::getline(in, serial);
    while (!serial.empty() && std::isspace(static_cast<unsigned char>(serial.back())))
        serial.pop_back();
    return serial;
}

// The matching devices of `list`, ordered by bus and port path so that numbering does not
// depend on the order the system happens to enumerate them in.
std::vector<ListedDevice> matchingDevices(libusb_device** list, ssize_t n,
                                          const std::vector<UsbId>& ids) {
    std::vector<ListedDevice> found;
    for (ssize_t i = 0; i < n; ++i) {
        libusb_device_descriptor d{};
        if (libusb_get_device_descriptor(list[i], &d) != 0 || !matches(ids, d))
            continue;
        ListedDevice entry{list[i], {}, libusb_get_bus_number(list[i]), {}};
        std::uint8_t ports[8] = {};
        const int depth = libusb_get_port_numbers(list[i], ports, sizeof ports);
        for (int k = 0; k < depth; ++k)
            entry.ports.push_back(ports[k]);
        entry.info.location = usbLocation(entry.bus, entry.ports);
        if (d.iSerialNumber != 0)
            entry.info.serial = sysfsSerial(entry.bus, entry.ports);
        found.push_back(std::move(entry));
    }
    std::stable_sort(found.begin(), found.end(), [](const ListedDevice& a, const ListedDevice& b) {
        return a.bus != b.bus ? a.bus < b.bus : a.ports < b.ports;
    });
    return found;
}

} // namespace

std::vector<UsbId> parseUsbIds(const std::string& text) {
    std::vector<UsbId> ids;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        const std::size_t comma = std::min(text.find(',', pos), text.size());
        const std::string item = text.substr(pos, comma - pos);
        const std::size_t colon = item.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 >= item.size() || colon > 4 ||
            item.size() - colon - 1 > 4)
            return {};
        const std::string vendorText = item.substr(0, colon);
        const std::string productText = item.substr(colon + 1);
        const auto hex = [](const std::string& t) {
            return std::all_of(t.begin(), t.end(),
                               [](unsigned char c) { return std::isxdigit(c) != 0; });
        };
        if (!hex(vendorText) || !hex(productText))
            return {};
        const unsigned long v = std::strtoul(vendorText.c_str(), nullptr, 16);
        const unsigned long p = std::strtoul(productText.c_str(), nullptr, 16);
        ids.push_back({static_cast<std::uint16_t>(v), static_cast<std::uint16_t>(p)});
        pos = comma + 1;
    }
    return ids;
}

std::string usbLocation(int bus, const std::vector<int>& ports) {
    std::string text = std::to_string(bus) + ":";
    for (std::size_t i = 0; i < ports.size(); ++i)
        text += (i ? "." : "") + std::to_string(ports[i]);
    return text;
}

std::vector<UsbId> configuredUsbIds() {
    if (const char* env = std::getenv("QUILLMARK_USB_IDS")) {
        auto ids = parseUsbIds(env);
        if (!ids.empty())
            return ids;
    }
    return {{wire::kDefaultVendorId, wire::kDefaultProductId}};
}

UsbVendorUsb::UsbVendorUsb(std::vector<UsbId> ids) : ids_(std::move(ids)) {
    if (libusb_init(&ctx_) != 0)
        ctx_ = nullptr;
}

UsbVendorUsb::~UsbVendorUsb() {
    {
        std::lock_guard lock(mutex_);
        closeLocked();
    }
    if (ctx_)
        libusb_exit(ctx_);
}

bool UsbVendorUsb::listDevices(std::vector<Device>& out) {
    out.clear();
    if (!ctx_)
        return true; // no libusb: no logger, but this backend does list
    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(ctx_, &list);
    if (n < 0)
        return true;
    for (ListedDevice& entry : matchingDevices(list, n, ids_))
        out.push_back(std::move(entry.info));
    libusb_free_device_list(list, 1);
    return true;
}

void UsbVendorUsb::noteStep(const char* step) {
    std::lock_guard lock(stepMutex_);
    failedStep_ = step;
}

std::string UsbVendorUsb::failedStep() const {
    std::lock_guard lock(stepMutex_);
    return failedStep_;
}

void UsbVendorUsb::cancel() {
    cancelled_ = true;
}

VendorUsb::Status UsbVendorUsb::openDevice(std::uint32_t deviceIndex, Handle& handle) {
    std::lock_guard lock(mutex_);
    handle = kInvalidHandle;
    noteStep("");
    if (!ctx_)
        return kDeviceNotFound;
    if (device_)
        return kIoFailed; // one opener at a time

    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(ctx_, &list);
    if (n < 0)
        return kDeviceNotFound;
    const std::vector<ListedDevice> found = matchingDevices(list, n, ids_);
    const Status status =
        deviceIndex < found.size() ? openFound(found[deviceIndex].device) : kDeviceNotFound;
    libusb_free_device_list(list, 1);
    if (status == kSuccess)
        handle = handle_;
    return status;
}

VendorUsb::Status UsbVendorUsb::openDeviceAt(const std::string& location, Handle& handle) {
    std::lock_guard lock(mutex_);
    handle = kInvalidHandle;
    noteStep("");
    if (!ctx_)
        return kDeviceNotFound;
    if (device_)
        return kIoFailed;
    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(ctx_, &list);
    if (n < 0)
        return kDeviceNotFound;
    Status status = kDeviceNotFound;
    for (const ListedDevice& entry : matchingDevices(list, n, ids_))
        if (entry.info.location == location) {
            status = openFound(entry.device);
            break;
        }
    libusb_free_device_list(list, 1);
    if (status == kSuccess)
        handle = handle_;
    return status;
}

// Opens, claims and enables the bridge; on success the device is ours and handle_ is set.
VendorUsb::Status UsbVendorUsb::openFound(libusb_device* found) {
    libusb_device_handle* dev = nullptr;
    const int rc = libusb_open(found, &dev);
    if (rc != 0) {
        noteStep("opening the USB device");
        return transferStatus(rc, kDeviceNotFound);
    }
    // Endpoints from the descriptor of interface 0, alternate setting 0.
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_active_config_descriptor(found, &config) == 0) {
        for (int i = 0; i < config->bNumInterfaces; ++i) {
            const libusb_interface& itf = config->interface[i];
            if (itf.num_altsetting < 1 ||
                itf.altsetting[0].bInterfaceNumber != wire::kInterfaceNumber)
                continue;
            const libusb_interface_descriptor& alt = itf.altsetting[0];
            for (int e = 0; e < alt.bNumEndpoints; ++e) {
                const libusb_endpoint_descriptor& ep = alt.endpoint[e];
                if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                    continue;
                const std::uint16_t size = ep.wMaxPacketSize ? ep.wMaxPacketSize : 64;
                if (ep.bEndpointAddress & LIBUSB_ENDPOINT_IN) {
                    endpointIn_ = ep.bEndpointAddress;
                    packetIn_ = size;
                } else {
                    endpointOut_ = ep.bEndpointAddress;
                    packetOut_ = size;
                }
            }
        }
        libusb_free_config_descriptor(config);
    }

    // The kernel's serial driver may have bound the same ids.
    libusb_set_auto_detach_kernel_driver(dev, 1);
    const int claim = libusb_claim_interface(dev, wire::kInterfaceNumber);
    if (claim != 0) {
        libusb_close(dev);
        noteStep("claiming interface 0");
        return transferStatus(claim, kIoFailed);
    }
    // Flush (its failure does not matter), then enable the bridge.
    libusb_control_transfer(dev, wire::kVendorRequestType, wire::kRequestFlush, wire::kFlushValue,
                            0, nullptr, 0, kControlTimeoutMs);
    const int enable =
        libusb_control_transfer(dev, wire::kVendorRequestType, wire::kRequestControl,
                                wire::kControlEnable, 0, nullptr, 0, kControlTimeoutMs);
    if (enable < 0) {
        libusb_release_interface(dev, wire::kInterfaceNumber);
        libusb_close(dev);
        noteStep("the bridge's enable request");
        return transferStatus(enable, kIoFailed);
    }
    device_ = dev;
    leftover_.clear();
    cancelled_ = false;
    handle_ = nextHandle_++;
    return kSuccess;
}

void UsbVendorUsb::closeLocked() {
    if (!device_)
        return;
    libusb_control_transfer(device_, wire::kVendorRequestType, wire::kRequestControl,
                            wire::kControlDisable, 0, nullptr, 0, kControlTimeoutMs);
    libusb_release_interface(device_, wire::kInterfaceNumber);
    libusb_close(device_);
    device_ = nullptr;
    handle_ = kInvalidHandle;
    leftover_.clear();
}

VendorUsb::Status UsbVendorUsb::closeDevice(Handle handle) {
    std::lock_guard lock(mutex_);
    if (!device_ || handle != handle_)
        return kInvalidHandleStatus;
    closeLocked();
    return kSuccess;
}

VendorUsb::Status UsbVendorUsb::read(Handle handle, std::uint8_t* buffer, std::uint32_t count,
                                     std::uint32_t& returned) {
    std::lock_guard lock(mutex_);
    returned = 0;
    noteStep("");
    if (!device_ || handle != handle_)
        return kInvalidHandleStatus;

    const std::uint32_t fromLeftover =
        std::min<std::uint32_t>(count, static_cast<std::uint32_t>(leftover_.size()));
    std::copy_n(leftover_.begin(), fromLeftover, buffer);
    leftover_.erase(leftover_.begin(), leftover_.begin() + fromLeftover);
    returned = fromLeftover;

    const std::uint32_t readMs = readTimeout();
    const bool forever = readMs == kInfinite;
    const auto deadline = Clock::now() + std::chrono::milliseconds(readMs);
    std::vector<std::uint8_t> chunk;
    while (returned < count) {
        if (cancelled_)
            return kCancelled;
        // The wait goes in slices, so cancel() is seen while the logger keeps quiet.
        unsigned timeout = kCancelSliceMs;
        if (!forever) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0 && readMs != 0)
                return kReadTimedOut;
            timeout = left > 0 ? std::min(static_cast<unsigned>(left), kCancelSliceMs) : 1;
        }
        // Whole packets, so the device never sends more than the buffer holds.
        const std::uint32_t need = count - returned;
        const std::uint32_t length = (need + packetIn_ - 1) / packetIn_ * packetIn_;
        chunk.resize(length);
        int got = 0;
        const int rc = libusb_bulk_transfer(device_, endpointIn_, chunk.data(),
                                            static_cast<int>(length), &got, timeout);
        const auto take = std::min<std::uint32_t>(need, static_cast<std::uint32_t>(got));
        std::copy_n(chunk.begin(), take, buffer + returned);
        returned += take;
        leftover_.insert(leftover_.end(), chunk.begin() + take, chunk.begin() + got);
        if (rc == LIBUSB_ERROR_TIMEOUT) {
            if (returned == count)
                break;
            if (readMs == 0)
                return kReadTimedOut;
            continue; // the deadline above decides
        }
        if (rc == LIBUSB_ERROR_PIPE)
            libusb_clear_halt(device_, endpointIn_);
        if (rc != 0)
            return transferStatus(rc, kReadError);
        if (readMs == 0 && returned < count)
            return kReadTimedOut;
    }
    return kSuccess;
}

VendorUsb::Status UsbVendorUsb::write(Handle handle, const std::uint8_t* buffer,
                                      std::uint32_t count, std::uint32_t& written) {
    std::lock_guard lock(mutex_);
    written = 0;
    noteStep("");
    if (!device_ || handle != handle_)
        return kInvalidHandleStatus;
    if (cancelled_)
        return kCancelled;
    const unsigned timeout = libusbTimeout(writeTimeout());
    int sent = 0;
    int rc = libusb_bulk_transfer(device_, endpointOut_, const_cast<std::uint8_t*>(buffer),
                                  static_cast<int>(count), &sent, timeout);
    written = static_cast<std::uint32_t>(sent);
    if (rc == LIBUSB_ERROR_TIMEOUT)
        return kWriteTimedOut;
    if (rc == LIBUSB_ERROR_PIPE)
        libusb_clear_halt(device_, endpointOut_);
    if (rc != 0)
        return transferStatus(rc, kWriteError);
    // A transfer of whole packets ends with a zero-length packet so the device sees its end.
    if (count > 0 && count % packetOut_ == 0) {
        int zero = 0;
        std::uint8_t dummy = 0;
        rc = libusb_bulk_transfer(device_, endpointOut_, &dummy, 0, &zero, timeout);
        if (rc != 0)
            noteStep("the zero-length packet after it");
        if (rc == LIBUSB_ERROR_TIMEOUT)
            return kWriteTimedOut;
        if (rc != 0)
            return transferStatus(rc, kWriteError);
    }
    return kSuccess;
}

// ---- detection ----

UsbDetector::UsbDetector(std::vector<UsbId> ids) : ids_(std::move(ids)) {
    if (libusb_init(&ctx_) != 0)
        ctx_ = nullptr;
}

UsbDetector::~UsbDetector() {
    stop();
    if (ctx_)
        libusb_exit(ctx_);
}

int UsbDetector::countLoggers() {
    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(ctx_, &list);
    if (n < 0)
        return -1;
    int found = 0;
    for (ssize_t i = 0; i < n; ++i) {
        libusb_device_descriptor d{};
        if (libusb_get_device_descriptor(list[i], &d) == 0 && matches(ids_, d))
            ++found;
    }
    libusb_free_device_list(list, 1);
    return found;
}

bool UsbDetector::enumerate() {
    return ctx_ != nullptr && countLoggers() >= 0;
}

namespace {
int LIBUSB_CALL onHotplug(libusb_context*, libusb_device*, libusb_hotplug_event event, void* user) {
    if (event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED) {
        auto* callback = static_cast<LoggerDetector::ArrivalCallback*>(user);
        if (*callback)
            (*callback)();
    }
    return 0; // stay registered
}
} // namespace

bool UsbDetector::start(ArrivalCallback onArrival) {
    stop();
    if (!ctx_)
        return false;
    onArrival_ = std::move(onArrival);
    running_ = true;
    if (libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG)) {
        for (const UsbId& id : ids_) {
            libusb_hotplug_callback_handle h = 0;
            if (libusb_hotplug_register_callback(ctx_, LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED,
                                                 LIBUSB_HOTPLUG_NO_FLAGS, id.vendor, id.product,
                                                 LIBUSB_HOTPLUG_MATCH_ANY, onHotplug, &onArrival_,
                                                 &h) == LIBUSB_SUCCESS)
                callbacks_.push_back(h);
        }
        if (!callbacks_.empty()) {
            thread_ = std::thread([this] {
                while (running_) {
                    timeval tv{0, 200000};
                    libusb_handle_events_timeout_completed(ctx_, &tv, nullptr);
                }
            });
            return true;
        }
    }
    // No hotplug: compare the number of loggers once a second.
    thread_ = std::thread([this] {
        int present = countLoggers();
        while (running_) {
            for (int i = 0; i < 10 && running_; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const int now = countLoggers();
            if (now > present && present >= 0 && running_ && onArrival_)
                onArrival_();
            if (now >= 0)
                present = now;
        }
    });
    return true;
}

void UsbDetector::stop() {
    running_ = false;
    for (int h : callbacks_)
        libusb_hotplug_deregister_callback(ctx_, h);
    callbacks_.clear();
    if (thread_.joinable())
        thread_.join();
}

} // namespace quillmark::transport
