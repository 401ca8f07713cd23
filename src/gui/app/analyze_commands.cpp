#include "gui/app/analyze_commands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <string>

#include "core/app/command_ids.h"
#include "core/plot/plot_layout.h"
#include "gui/app/app_resources.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/command_line.h"
#include "gui/app/file_folders.h"
#include "gui/plot/cgraphics.h"
#include "render/plot_image.h"

namespace quillmark {
namespace {

QString translated(const char* text) {
    return QCoreApplication::translate("quillmark::AnalyzeCommands", text);
}

} // namespace

void registerAnalyzeCommands(CMainFrame& f, CGraphics& plot,
                             std::function<QString()> documentPath) {
    CGraphics* p = &plot;
    QWidget* parent = &f;
    f.setCommandHandler(ID_FIT_VALUES, [p] { p->fitValues(); });
    f.setCommandHandler(ID_PAN_LEFT, [p] { p->panTime(-0.1); });
    f.setCommandHandler(ID_PAN_RIGHT, [p] { p->panTime(0.1); });
    f.setCommandHandler(ID_PAGE_LEFT, [p] { p->panTime(-1.0); });
    f.setCommandHandler(ID_PAGE_RIGHT, [p] { p->panTime(1.0); });
    f.setCommandHandler(ID_ZOOM_TIME_IN, [p] { p->zoomTimeAboutCentre(0.5); });
    f.setCommandHandler(ID_ZOOM_TIME_OUT, [p] { p->zoomTimeAboutCentre(2.0); });
    f.setCommandHandler(ID_EXPORT_IMAGE, [p, parent, documentPath] {
        exportPlotImage(*p, parent, documentPath ? documentPath() : QString());
    });
    f.setCommandHandler(ID_COPY_IMAGE, [p, parent] {
        if (!copySelectedText(parent))
            copyPlotImage(*p);
    });
    // Without samples the plot window is hidden: nothing to analyse or show.
    for (int id : {ID_FIT_VALUES, ID_PAN_LEFT, ID_PAN_RIGHT, ID_PAGE_LEFT, ID_PAGE_RIGHT,
                   ID_ZOOM_TIME_IN, ID_ZOOM_TIME_OUT, ID_EXPORT_IMAGE, ID_COPY_IMAGE})
        f.setCommandEnabled(id, [p] { return p->scene().sampleCount >= 1; });
    f.setCommandCheck(ID_ZOOM_IN, [p] { return p->mode() == ZoomIn; });
    f.setCommandCheck(ID_MOVE_VIEW, [p] { return p->mode() == MoveView; });
    f.setCommandCheck(ID_MEASURE, [p] { return p->mode() == Measure; });
}

bool writePlotImage(const CGraphics& plot, const QString& path, QWidget* parent, double ratio) {
    std::string error;
    if (ratio <= 0.0)
        ratio = plot.devicePixelRatioF();
    if (savePlotImage(plot.scene(), screenFrame(plot.width(), plot.height(), plot.geometry()),
                      encodeLocalPath(path).toStdString(), &error, {}, ratio))
        return true;
    QMessageBox box(
        QMessageBox::Warning, kApplicationTitle,
        translated(QT_TRANSLATE_NOOP("quillmark::AnalyzeCommands", "Failed to export the image.")),
        QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("imageExportFailure"));
    box.setInformativeText(QString::fromStdString(error));
    box.exec();
    return false;
}

QString suggestedImageName(const QString& documentPath) {
    const QString base = QFileInfo(documentPath).completeBaseName();
    return (base.isEmpty() ? QStringLiteral("plot") : base) + QStringLiteral(".png");
}

bool exportPlotImage(const CGraphics& plot, QWidget* parent, const QString& documentPath) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("imageFileDialog"));
    if (const QString folder = rememberedFolder(FileKind::Images); !folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString pngFilter =
        translated(QT_TRANSLATE_NOOP("quillmark::AnalyzeCommands", "PNG Image (*.png)"));
    const QString svgFilter =
        translated(QT_TRANSLATE_NOOP("quillmark::AnalyzeCommands", "SVG Image (*.svg)"));
    // Sharper PNGs for documents printed or shown at high resolution.
    const QString png2xFilter = translated(
        QT_TRANSLATE_NOOP("quillmark::AnalyzeCommands", "PNG Image, double resolution (*.png)"));
    const QString png3xFilter = translated(
        QT_TRANSLATE_NOOP("quillmark::AnalyzeCommands", "PNG Image, triple resolution (*.png)"));
    dialog.setNameFilters({pngFilter, png2xFilter, png3xFilter, svgFilter});
    dialog.setDefaultSuffix(QStringLiteral("png"));
    // A name typed without an extension takes the chosen type's.
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, svgFilter](const QString& f) {
            dialog.setDefaultSuffix(f == svgFilter ? QStringLiteral("svg") : QStringLiteral("png"));
        });
    dialog.selectFile(suggestedImageName(documentPath));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    const QString path = dialog.selectedFiles().constFirst();
    rememberFolder(FileKind::Images, path);
    // A PNG is as sharp as the screen shows the plot, or as the chosen resolution.
    const QString filter = dialog.selectedNameFilter();
    const double ratio = filter == png2xFilter ? 2.0 : filter == png3xFilter ? 3.0 : 0.0;
    return writePlotImage(plot, path, parent, ratio);
}

bool copySelectedText(QWidget* window) {
    // The application's focus; without an active window, the window's own focus or that of
    // a panel floating beside it.
    QWidget* focus = QApplication::focusWidget();
    if (!focus && window) {
        focus = window->focusWidget();
        for (QDockWidget* dock : window->findChildren<QDockWidget*>())
            if (!focus && dock->isFloating() && dock->isVisible())
                focus = dock->focusWidget();
    }
    QString text;
    if (const auto* label = qobject_cast<QLabel*>(focus))
        text = label->selectedText();
    else if (const auto* line = qobject_cast<QLineEdit*>(focus))
        text = line->selectedText();
    if (text.isEmpty())
        return false;
    QGuiApplication::clipboard()->setText(text);
    return true;
}

void copyPlotImage(const CGraphics& plot) {
    QGuiApplication::clipboard()->setImage(plot.renderPlot(plot.devicePixelRatioF()));
}

} // namespace quillmark
