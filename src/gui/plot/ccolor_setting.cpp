#include "gui/plot/ccolor_setting.h"

#include <QColorDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "core/common/user_message.h"
#include "core/data/recording.h"
#include "core/settings/ini_store.h"
#include "gui/app/ui_text.h"
#include "gui/plot/cgraphics.h"
#include "render/qt_colour.h"

namespace quillmark {

void LoadColours(CGraphics& plot, const IniStore& ini) {
    plot.setColours(readPlotColours(ini));
}

void SaveColours(const CGraphics& plot, IniStore& ini) {
    writePlotColours(plot.colours(), ini);
}

void LoadColours(CGraphics& plot, const std::string& iniPath) {
    IniStore ini;
    ini.load(iniPath);
    LoadColours(plot, ini);
}

bool SaveColours(const CGraphics& plot, const std::string& iniPath, std::string* error) {
    IniStore ini;
    // Keep the logger settings and anything else in the file; a file that cannot be read is
    // left as it is rather than replaced by the colours alone.
    if (!ini.load(iniPath, error)) {
        return false;
    }
    SaveColours(plot, ini);
    return ini.save(iniPath, error);
}

CColorSetting::CColorSetting(const CGraphics& mainPlot, const Recording& rec, QWidget* parent)
    : QDialog(parent), colours_(mainPlot.colours()) {
    setWindowTitle(tr("Color Setting"));
    picker = [](QWidget* owner) { return QColorDialog::getColor(QColor(0, 0, 0), owner); };

    // Dialog units to pixels from the dialog font, as dialog templates are laid out.
    const QFontMetrics fm(font());
    const int bx = std::max(1, fm.averageCharWidth());
    const int by = std::max(1, fm.height());
    const auto r = [&](int x, int y, int w, int h) {
        return QRect(x * bx / 4, y * by / 8, w * bx / 4, h * by / 8);
    };
    setFixedSize(r(0, 0, 333, 234).size());

    preview_ = new CGraphics(this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setShowGridX(mainPlot.showGridX());
    preview_->setShowGridY(mainPlot.showGridY());
    preview_->setShowMaskPoints(mainPlot.showMaskPoints());
    const auto count = static_cast<std::int32_t>(std::min<std::size_t>(
        static_cast<std::size_t>(std::max(rec.sampleCount, 0)), rec.samples.size()));
    preview_->setSamples(rec.samples.empty() ? nullptr : rec.samples.data(), count);
    preview_->setStatistics(rec.maxIndex, rec.minIndex, rec.average);
    preview_->setAlarmLevels(rec.alarmLow(), rec.alarmHigh());
    // The header's whole seconds, not the effective interval.
    preview_->setSampleInterval(static_cast<float>(rec.intervalSeconds()));
    preview_->copyViewFrom(mainPlot);
    preview_->setHideStatistics(true);
    preview_->setEnabled(false);
    preview_->setGeometry(r(14, 2, 304, 141));

    auto* group = new QGroupBox(tr("Color Setting"), this);
    group->setGeometry(r(14, 147, 303, 45));
    group->lower();

    struct Row {
        const char* label;
        const char* pick; // what the "..." button says to a screen reader
        QRect labelRect;
        ControlId swatch;
        QRect swatchRect;
        ControlId button;
        QRect buttonRect;
        int slot;
    };
    const Row rows[4] = {
        {QT_TR_NOOP("&Background Color"), QT_TR_NOOP("Choose the background color"),
         r(24, 158, 57, 8), IDC_SWATCH_BACKGROUND, r(86, 158, 31, 8), IDC_PICK_BACKGROUND,
         r(128, 155, 29, 15), 0},
        {QT_TR_NOOP("B&order Color"), QT_TR_NOOP("Choose the border color"), r(40, 175, 41, 8),
         IDC_SWATCH_BORDER, r(85, 175, 31, 8), IDC_PICK_BORDER, r(128, 172, 29, 14), 1},
        {QT_TR_NOOP("&Grid Color"), QT_TR_NOOP("Choose the grid color"), r(190, 158, 32, 8),
         IDC_SWATCH_GRID, r(226, 158, 31, 8), IDC_PICK_GRID, r(263, 155, 29, 15), 2},
        {QT_TR_NOOP("&Line Color"), QT_TR_NOOP("Choose the line color"), r(190, 176, 32, 8),
         IDC_SWATCH_LINE, r(226, 176, 31, 8), IDC_PICK_LINE, r(263, 172, 30, 15), 3},
    };
    // The labels end just left of their swatches, however wide this font makes them; a
    // column whose widest label would reach the group's frame moves right as a whole, and the
    // rows move down if the frame's title needs it.
    const QRect inside = group->contentsRect().translated(group->pos());
    QWidget* placed[4][3] = {};
    for (const Row& row : rows) {
        auto* label = new QLabel(tr(row.label), this);
        const int labelWidth = std::max(row.labelRect.width(), label->sizeHint().width());
        const int labelRight = row.swatchRect.left() - 4;
        label->setGeometry(labelRight - labelWidth, row.labelRect.top() - 2, labelWidth,
                           std::max(row.labelRect.height() + 4, label->sizeHint().height()));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* sw = new QLabel(QString(14, QLatin1Char(' ')), this);
        sw->setObjectName(QStringLiteral("swatch%1").arg(int(row.swatch)));
        sw->setGeometry(row.swatchRect);
        sw->setAutoFillBackground(true);
        swatches_[row.slot] = sw;
        auto* button = new QPushButton(QStringLiteral("..."), this);
        button->setObjectName(QStringLiteral("pick%1").arg(int(row.button)));
        button->setGeometry(row.buttonRect);
        button->setAutoDefault(false);
        // The label's mnemonic presses the button; "..." alone says nothing to a screen reader.
        label->setBuddy(button);
        button->setAccessibleName(tr(row.pick));
        button->setToolTip(tr(row.pick));
        sw->setAccessibleName(label->text().remove(QLatin1Char('&')));
        const int id = row.button;
        connect(button, &QPushButton::clicked, this, [this, id] { pickColour(id); });
        placed[row.slot][0] = label;
        placed[row.slot][1] = sw;
        placed[row.slot][2] = button;
    }
    int top = inside.bottom();
    for (const auto& widgets : placed)
        top = std::min(top, widgets[0]->y());
    const int down = std::max(0, inside.top() - top);
    // Slots 0 and 1 are the left column, 2 and 3 the right one.
    for (int column = 0; column < 2; ++column) {
        const int left = std::min(placed[2 * column][0]->x(), placed[2 * column + 1][0]->x());
        const int right = std::max(0, inside.left() + 2 - left);
        for (int slot = 2 * column; slot < 2 * column + 2; ++slot)
            for (QWidget* w : placed[slot])
                w->move(w->pos() + QPoint(right, down));
    }

    auto* defaults = new QPushButton(tr("&Default"), this);
    defaults->setObjectName(QStringLiteral("defaultButton"));
    defaults->setGeometry(r(84, 202, 50, 17));
    defaults->setAutoDefault(false);
    connect(defaults, &QPushButton::clicked, this, &CColorSetting::restoreDefaults);
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setGeometry(r(144, 202, 50, 17));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    cancel->setGeometry(r(203, 202, 50, 17));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    applyColours();
}

QLabel* CColorSetting::swatch(ControlId id) const {
    switch (id) {
    case IDC_SWATCH_BACKGROUND:
        return swatches_[0];
    case IDC_SWATCH_BORDER:
        return swatches_[1];
    case IDC_SWATCH_GRID:
        return swatches_[2];
    case IDC_SWATCH_LINE:
        return swatches_[3];
    default:
        return nullptr;
    }
}

void CColorSetting::applyColours() {
    const ColourRef values[4] = {colours_.background, colours_.border, colours_.grid,
                                 colours_.line};
    for (int i = 0; i < 4; ++i) {
        QPalette pal = swatches_[i]->palette();
        pal.setColor(QPalette::Window, toQColor(values[i]));
        swatches_[i]->setPalette(pal);
        swatches_[i]->update();
    }
    preview_->setColours(colours_);
}

void CColorSetting::pickColour(int controlId) {
    const QColor chosen = picker ? picker(this) : QColor();
    if (!chosen.isValid()) {
        return; // a cancelled picker changes nothing
    }
    const ColourRef c = fromQColor(chosen);
    switch (controlId) {
    case IDC_PICK_BACKGROUND:
        colours_.background = c;
        break;
    case IDC_PICK_BORDER:
        colours_.border = c;
        break;
    case IDC_PICK_GRID:
        colours_.grid = c;
        break;
    case IDC_PICK_LINE:
        colours_.line = c;
        break;
    default:
        return;
    }
    applyColours();
}

void CColorSetting::restoreDefaults() {
    colours_ = PlotColours{};
    applyColours();
}

bool runColourSetting(CGraphics& plot, const Recording& rec, const std::string& iniPath,
                      QWidget* parent) {
    CColorSetting dlg(plot, rec, parent);
    if (dlg.exec() != QDialog::Accepted) {
        return false;
    }
    plot.setColours(dlg.colours());
    std::string error;
    if (!SaveColours(plot, iniPath, &error)) {
        QMessageBox::warning(parent, uiText(kAppTitle),
                             CColorSetting::tr("The colours could not be saved.\n%1")
                                 .arg(QString::fromLocal8Bit(error.c_str())));
    }
    return true;
}

} // namespace quillmark
