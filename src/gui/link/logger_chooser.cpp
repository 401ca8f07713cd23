#include "gui/link/logger_chooser.h"

#include <QInputDialog>
#include <algorithm>

#include "core/common/user_message.h"

namespace quillmark {

VendorUsb* LoggerChooser::choose(QWidget* parent) {
    std::vector<LoggerDevice> present;
    const LoggerSelection selection = selectLogger(usb_.listDevices(present), present, {});
    if (selection.kind != LoggerSelection::Kind::Several) {
        location_.clear(); // the remembered one is gone, or alone and needs no choice
        return &usb_;
    }
    const auto& list = selection.candidates;
    const bool stillThere =
        std::any_of(list.begin(), list.end(),
                    [this](const LoggerDevice& device) { return device.location == location_; });
    if (!stillThere) {
        QStringList items;
        for (const LoggerDevice& device : list)
            items << QString::fromStdString(loggerDeviceLabel(device));
        QInputDialog dialog(parent);
        dialog.setObjectName(QStringLiteral("chooseLogger"));
        dialog.setWindowTitle(QString::fromLatin1(kAppTitle));
        dialog.setLabelText(QString::fromLatin1(kSeveralLoggersText) + QLatin1Char(':'));
        dialog.setComboBoxItems(items);
        dialog.setComboBoxEditable(false);
        dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
        if (dialog.exec() != QDialog::Accepted)
            return nullptr;
        const auto index = static_cast<std::size_t>(items.indexOf(dialog.textValue()));
        if (index >= list.size())
            return nullptr;
        location_ = list[index].location;
    }
    chosen_ = std::make_unique<ChosenLogger>(usb_, location_);
    return chosen_.get();
}

} // namespace quillmark
