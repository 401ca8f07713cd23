#include "gui/analysis/measurements_panel.h"

#include <QAction>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QVBoxLayout>

#include "gui/app/ui_text.h"
#include "gui/plot/cgraphics.h"

namespace quillmark {

MeasurementsPanel::MeasurementsPanel(QWidget* parent) : QDockWidget(tr("Measurements"), parent) {
    setObjectName(QStringLiteral("measurementsPanel"));
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);
    caption_ = new QLabel(body);
    caption_->setObjectName(QStringLiteral("measurementsCaption"));
    column->addWidget(caption_);
    grid_ = new QGridLayout();
    grid_->setColumnStretch(1, 1);
    column->addLayout(grid_);
    column->addStretch(1);
    setWidget(body);
    // The figures are there to be taken elsewhere: all at once from the context menu.
    auto* copy = new QAction(tr("&Copy Figures"), body);
    copy->setObjectName(QStringLiteral("copyFigures"));
    // From the keyboard too, wherever the focus is inside the panel.
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, &MeasurementsPanel::copyFigures);
    body->addAction(copy);
    body->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
        if (shown)
            refreshFigures();
    });
}

void MeasurementsPanel::follow(CGraphics* plot) {
    plot_ = plot;
    connect(plot, &CGraphics::measurementChanged, this, [this] {
        // Nobody reads a hidden panel; it catches up when shown.
        if (isVisible())
            refreshFigures();
    });
    refreshFigures();
}

void MeasurementsPanel::refreshFigures() {
    if (plot_)
        setLines(plot_->measurement(), plot_->selection().has_value());
}

void MeasurementsPanel::setLines(const std::vector<MeasurementLine>& lines, bool selection) {
    caption_->setText(lines.empty() ? tr("No samples")
                      : selection   ? tr("Selection")
                                    : tr("Visible window"));
    // Rows are made once and reused: the panel updates on every pan step.
    while (labels_.size() < static_cast<qsizetype>(lines.size())) {
        const int row = static_cast<int>(labels_.size());
        auto* label = new QLabel(widget());
        auto* value = new QLabel(widget());
        // Selectable by mouse and keyboard, so a figure can be copied alone.
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        // Keyboard selection alone gives click focus only; Tab has to reach the figure too.
        value->setFocusPolicy(Qt::StrongFocus);
        value->setContextMenuPolicy(Qt::NoContextMenu); // the panel's menu, with Copy Figures
        grid_->addWidget(label, row, 0, Qt::AlignTop);
        grid_->addWidget(value, row, 1, Qt::AlignTop);
        labels_.append(label);
        values_.append(value);
    }
    for (qsizetype i = 0; i < labels_.size(); ++i) {
        const bool used = i < static_cast<qsizetype>(lines.size());
        if (used) {
            const auto& line = lines[static_cast<std::size_t>(i)];
            labels_[i]->setText(uiText(line.label));
            values_[i]->setText(uiFigure(line.value));
            // Tab reaches each value; a screen reader says which figure it is.
            values_[i]->setAccessibleName(QString(labels_[i]->text()).remove(QLatin1Char(':')));
        }
        labels_[i]->setVisible(used);
        values_[i]->setVisible(used);
    }
}

QString MeasurementsPanel::caption() const {
    return caption_->text();
}

QStringList MeasurementsPanel::rows() const {
    QStringList out;
    for (qsizetype i = 0; i < labels_.size(); ++i)
        if (!labels_[i]->isHidden())
            out.append(labels_[i]->text() + QLatin1Char(' ') + values_[i]->text());
    return out;
}

} // namespace quillmark

namespace quillmark {

QString MeasurementsPanel::figuresText() const {
    QString out;
    for (qsizetype i = 0; i < labels_.size(); ++i)
        if (!labels_[i]->isHidden())
            out += labels_[i]->text() + QLatin1Char('\t') + values_[i]->text() + QLatin1Char('\n');
    return out;
}

void MeasurementsPanel::copyFigures() const {
    QGuiApplication::clipboard()->setText(figuresText());
}

} // namespace quillmark
