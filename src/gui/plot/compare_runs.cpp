#include "gui/plot/compare_runs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>
#include <vector>

#include "core/app/command_ids.h"
#include "core/data/recording_file.h"
#include "gui/app/app_resources.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/command_line.h"
#include "gui/plot/cgraphics.h"
#include "render/qt_colour.h"

namespace quillmark {

namespace {

void openFailure(QWidget* parent, const QString& detail) {
    QMessageBox box(QMessageBox::Warning, kApplicationTitle,
                    QCoreApplication::translate("CompareRuns", "Failed to open document."),
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("openFailure"));
    box.setInformativeText(detail);
    box.exec();
}

} // namespace

bool addComparedRuns(CGraphics& plot, const QStringList& paths, QWidget* parent) {
    if (paths.isEmpty()) {
        return false;
    }
    if (plot.view().runs().size() + static_cast<std::size_t>(paths.size()) > kMaxComparedRuns) {
        openFailure(parent,
                    QCoreApplication::translate("CompareRuns", "At most %1 runs can be compared.")
                        .arg(kMaxComparedRuns));
        return false;
    }
    std::vector<std::shared_ptr<const Recording>> runs;
    for (const QString& path : paths) {
        std::string error;
        auto loaded = readRecordingFile(encodeLocalPath(path).toStdString(), &error);
        if (!loaded) {
            openFailure(parent, QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path),
                                                             QString::fromStdString(error)));
            return false;
        }
        runs.push_back(std::make_shared<const Recording>(std::move(loaded->recording)));
    }
    for (auto& run : runs) {
        plot.addRun(std::move(run));
    }
    return true;
}

void registerCompareCommands(CMainFrame& f, CGraphics& plot) {
    CGraphics* p = &plot;
    QWidget* parent = &f;
    f.setCommandHandler(ID_COMPARE_WITH, [p, parent] {
        const QStringList paths = QFileDialog::getOpenFileNames(
            parent, QCoreApplication::translate("CompareRuns", "Compare With"), QString(),
            QCoreApplication::translate("CompareRuns", "Logger Files (*.smpq)"));
        addComparedRuns(*p, paths, parent);
    });
    f.setCommandHandler(ID_CLEAR_COMPARISON, [p] { p->clearRuns(); });
    f.setCommandHandler(ID_ALIGN_START, [p] { p->setAlignment(RunAlignment::AtStart); });
    f.setCommandHandler(ID_ALIGN_CLOCK, [p, parent] {
        p->setAlignment(RunAlignment::ByClock);
        for (const auto& run : p->view().runs()) {
            if (!run->startTime) {
                QMessageBox::information(
                    parent, kApplicationTitle,
                    QCoreApplication::translate(
                        "CompareRuns",
                        "Runs without a valid start time stay aligned at the start."));
                break;
            }
        }
    });
    f.setCommandEnabled(ID_COMPARE_WITH, [p] { return p->scene().sampleCount >= 1; });
    f.setCommandEnabled(ID_CLEAR_COMPARISON, [p] { return !p->view().runs().empty(); });
    f.setCommandCheck(ID_ALIGN_START,
                      [p] { return p->view().alignment() == RunAlignment::AtStart; });
    f.setCommandCheck(ID_ALIGN_CLOCK,
                      [p] { return p->view().alignment() == RunAlignment::ByClock; });
}

RunsPanel::RunsPanel(CGraphics& plot, QWidget* parent)
    : QDockWidget(QCoreApplication::translate("CompareRuns", "Runs"), parent), plot_(plot) {
    setObjectName(QStringLiteral("runsPanel"));
    auto* body = new QWidget(this);
    // The list beside its button and only as tall as its rows: the panel sits under the plot
    // and must not take the plot's room.
    auto* layout = new QHBoxLayout(body);
    list_ = new QListWidget(body);
    list_->setAccessibleName(QCoreApplication::translate("CompareRuns", "Compared runs"));
    list_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto* remove = new QPushButton(QCoreApplication::translate("CompareRuns", "&Remove"), body);
    layout->addWidget(list_);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(remove);
    buttons->addStretch();
    layout->addLayout(buttons);
    setWidget(body);
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = list_->currentRow();
        if (row >= 0) {
            plot_.removeRun(static_cast<std::size_t>(row));
        }
    });
    // The check box of a row shows or hides its run.
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!rebuilding_) {
            plot_.setRunVisible(static_cast<std::size_t>(list_->row(item)),
                                item->checkState() == Qt::Checked);
        }
    });
    connect(&plot_, &CGraphics::runsChanged, this, &RunsPanel::rebuild);
    rebuild();
}

QStringList RunsPanel::rows() const {
    QStringList out;
    for (int i = 0; i < list_->count(); ++i) {
        out << list_->item(i)->text();
    }
    return out;
}

void RunsPanel::rebuild() {
    rebuilding_ = true;
    const int current = list_->currentRow();
    list_->clear();
    const auto& runs = plot_.view().runs();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const ComparedRun& r = *runs[i];
        QPixmap swatch(14, 14);
        swatch.fill(toQColor(plot_.view().runColour(i)));
        const QString start = r.startTime
                                  ? QString::fromStdString(formatLocalTime(*r.startTime))
                                  : QCoreApplication::translate("CompareRuns", "no start time");
        const QString text = QCoreApplication::translate("CompareRuns", "%1  %2  %3 samples  %4 s")
                                 .arg(QString::fromStdString(r.loggerName), start)
                                 .arg(r.summary.count())
                                 .arg(QString::fromStdString(r.recording->intervalText()));
        auto* item = new QListWidgetItem(QIcon(swatch), text, list_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(r.visible ? Qt::Checked : Qt::Unchecked);
    }
    list_->setCurrentRow(std::min(current, list_->count() - 1));
    const int rowHeight = std::max(list_->sizeHintForRow(0), list_->fontMetrics().height());
    list_->setFixedHeight(2 * list_->frameWidth() + std::max(list_->count(), 1) * rowHeight);
    rebuilding_ = false;
}

} // namespace quillmark
