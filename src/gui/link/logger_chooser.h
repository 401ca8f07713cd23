#pragma once
// Which logger the logger dialogs talk to when several are plugged in: asked once in a list,
// then remembered for as long as that logger stays plugged in.
#include <QString>
#include <memory>
#include <string>

#include "core/link/logger_choice.h"

class QWidget;

namespace quillmark {

class LoggerChooser {
public:
    explicit LoggerChooser(VendorUsb& usb) : usb_(usb) {}

    // The backend for the next logger dialog: the backend itself when it has one logger at
    // most (or cannot list), else the chosen logger as device 0. Null when the user cancels
    // the question.
    VendorUsb* choose(QWidget* parent);
    // The remembered logger's location; empty when none.
    const std::string& remembered() const { return location_; }

private:
    VendorUsb& usb_;
    std::string location_;
    std::unique_ptr<ChosenLogger> chosen_;
};

} // namespace quillmark
