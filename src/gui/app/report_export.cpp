#include "gui/app/report_export.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <ctime>
#include <string>

#include "core/app/logger_model.h"
#include "gui/app/app_resources.h"
#include "gui/app/command_line.h"
#include "gui/app/cskein_doc.h"
#include "gui/app/file_folders.h"
#include "gui/plot/cgraphics.h"
#include "render/run_report_pdf.h"

namespace quillmark {

bool writeRunReport(const CGraphics& plot, const Recording& rec, const QString& path,
                    const QString& documentPath, QWidget* parent) {
    const auto range = plot.measuredRange();
    if (!range)
        return false;
    ReportJob job(rec);
    job.model = loggerModel();
    job.first = range->first;
    job.last = range->last;
    job.unitIndex = plot.unitIndex();
    job.colours = plot.scene().colours;
    job.fileName = documentPath.isEmpty()
                       ? QCoreApplication::translate("ReportExport", "(not saved)").toStdString()
                       : QFileInfo(documentPath).fileName().toStdString();
    job.createdAt = static_cast<std::int64_t>(std::time(nullptr));
    std::string error;
    if (saveRunReport(job, encodeLocalPath(path).toStdString(), &error))
        return true;
    QMessageBox box(QMessageBox::Warning, kApplicationTitle,
                    QCoreApplication::translate("ReportExport", "Failed to export the report."),
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("reportExportFailure"));
    box.setInformativeText(QString::fromStdString(error));
    box.exec();
    return false;
}

bool exportRunReport(const CGraphics& plot, const Recording& rec, QWidget* parent,
                     const QString& documentPath) {
    if (!plot.measuredRange())
        return false;
    const QString base = QFileInfo(documentPath).completeBaseName();
    const QString path = askSaveFileName(
        parent, QCoreApplication::translate("ReportExport", "PDF Document (*.pdf)"),
        QStringLiteral("pdf"), (base.isEmpty() ? QStringLiteral("report") : base) + ".pdf",
        FileKind::Reports);
    if (path.isEmpty())
        return false;
    return writeRunReport(plot, rec, path, documentPath, parent);
}

} // namespace quillmark
