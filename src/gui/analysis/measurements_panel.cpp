#include "gui/analysis/measurements_panel.h"

#include <QAction>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include "core/common/model_units.h"
#include "core/data/recording.h"
#include "gui/app/ui_text.h"
#include "gui/plot/cgraphics.h"
#include "render/qt_colour.h"

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
    runsGrid_ = new QGridLayout();
    runsGrid_->setHorizontalSpacing(8);
    column->addLayout(runsGrid_);
    const QStringList heading = {QString(),       tr("Run"),        tr("Samples"),
                                 tr("Min"),       tr("Max"),        tr("Mean"),
                                 tr("Std. dev."), tr("Over range"), tr("At pointer")};
    for (qsizetype c = 0; c < heading.size(); ++c) {
        auto* label = new QLabel(heading[c], body);
        label->setVisible(false);
        runsGrid_->addWidget(label, 0, static_cast<int>(c));
        runHeading_.append(label);
    }
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
    connect(plot, &CGraphics::pointerMoved, this, [this] {
        if (isVisible())
            refreshPointer();
    });
    refreshFigures();
}

void MeasurementsPanel::refreshFigures() {
    if (!plot_)
        return;
    setLines(plot_->measurement(), plot_->selection().has_value());
    setRunRows(plot_->view().runMeasurements(plot_->pointerSample()));
}

void MeasurementsPanel::refreshPointer() {
    // Only the last column follows the pointer; the span's figures stay.
    const std::optional<std::int64_t> pointer = plot_->pointerSample();
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        RunMeasurement& m = runs_[r];
        m.pointerSample = pointer ? plot_->view().runSampleAt(m.run, static_cast<double>(*pointer))
                                  : std::nullopt;
        runCells_[static_cast<qsizetype>(r)].last()->setText(pointerText(m));
    }
}

QString MeasurementsPanel::pointerText(const RunMeasurement& m) const {
    if (!plot_ || !m.pointerSample || m.run >= plot_->view().runs().size())
        return QString();
    std::string text;
    appendSampleValueText(text, plot_->view().runs()[m.run]->summary.samples()[*m.pointerSample],
                          unitFactor(plot_->unitIndex()));
    return QString::fromStdString(text);
}

void MeasurementsPanel::setRunRows(const std::vector<RunMeasurement>& runs) {
    runs_ = runs;
    const int columns = static_cast<int>(runHeading_.size());
    while (runCells_.size() < static_cast<qsizetype>(runs.size())) {
        const int row = static_cast<int>(runCells_.size()) + 1;
        QList<QLabel*> cells;
        for (int c = 0; c < columns; ++c) {
            auto* cell = new QLabel(widget());
            if (c > 1)
                cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            runsGrid_->addWidget(cell, row, c);
            cells.append(cell);
        }
        runCells_.append(cells);
    }
    for (QLabel* h : runHeading_)
        h->setVisible(!runs.empty());
    for (qsizetype r = 0; r < runCells_.size(); ++r) {
        const bool used = r < static_cast<qsizetype>(runs.size());
        QList<QLabel*>& cells = runCells_[r];
        if (used && plot_ && runs[static_cast<std::size_t>(r)].run < plot_->view().runs().size()) {
            const RunMeasurement& m = runs[static_cast<std::size_t>(r)];
            const ComparedRun& run = *plot_->view().runs()[m.run];
            QPixmap swatch(12, 12);
            swatch.fill(toQColor(plot_->view().runColour(m.run)));
            cells[0]->setPixmap(swatch);
            const RangeStatistics& f = m.figures;
            const QStringList texts = {QString::fromStdString(run.loggerName),
                                       QString::number(f.count),
                                       QString::fromStdString(figureValue(f.min)),
                                       QString::fromStdString(figureValue(f.max)),
                                       QString::fromStdString(figureValue(f.mean)),
                                       QString::fromStdString(figureValue(f.stddev)),
                                       QString::number(f.overRange),
                                       pointerText(m)};
            for (qsizetype c = 0; c < texts.size(); ++c)
                cells[c + 1]->setText(texts[c]);
        }
        for (QLabel* cell : cells)
            cell->setVisible(used);
    }
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

QStringList MeasurementsPanel::runRows() const {
    QStringList out;
    const auto line = [](const QList<QLabel*>& cells) {
        QStringList texts;
        for (qsizetype c = 1; c < cells.size(); ++c)
            texts.append(cells[c]->text());
        return texts.join(QLatin1Char('\t'));
    };
    if (runHeading_.isEmpty() || runHeading_.first()->isHidden())
        return out;
    out.append(line(runHeading_));
    for (const QList<QLabel*>& cells : runCells_)
        if (!cells.first()->isHidden())
            out.append(line(cells));
    return out;
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
    for (const QString& row : runRows())
        out += row + QLatin1Char('\n');
    return out;
}

void MeasurementsPanel::copyFigures() const {
    QGuiApplication::clipboard()->setText(figuresText());
}

} // namespace quillmark
