#include "gui/app/cskein_doc.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <ctime>

#include <dirent.h>
#include <unistd.h>

#include "core/app/logger_model.h"
#include "core/data/recording_file.h"
#include "core/data/sample_text.h"
#include "core/data/save_paths.h"
#include "core/data/spreadsheet_export.h"
#include "core/data/text_data_file.h"
#include "gui/app/app_resources.h"
#include "gui/app/command_line.h"
#include "gui/link/cdlg_download.h"
#include "gui/link/logger_chooser.h"
#include "gui/plot/cskein_view.h"
#include "gui/settings/cdlg_setting.h"

namespace quillmark {
namespace {

QString suggestedName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return QString();
    return QString::fromStdString(suggestedFileName(local));
}

} // namespace

QString resolveListedPath(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!absolute.contains(QChar::ReplacementCharacter) ||
        ::access(encodeLocalPath(absolute).constData(), F_OK) == 0)
        return path;
    QByteArray resolved;
    const QStringList parts = absolute.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (!part.contains(QChar::ReplacementCharacter)) {
            resolved += '/' + encodeLocalPath(part);
            continue;
        }
        DIR* dir = ::opendir(resolved.isEmpty() ? "/" : resolved.constData());
        if (dir == nullptr)
            return path;
        QByteArray match;
        int matches = 0;
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (QFile::decodeName(name) == part) {
                match = name;
                ++matches;
            }
        }
        ::closedir(dir);
        if (matches != 1)
            return path;
        resolved += '/' + match;
    }
    return decodeLocalPath(resolved);
}

QString askSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& suggested, FileKind kind) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("saveFileDialog"));
    if (const QString folder = rememberedFolder(kind); !folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!suggested.isEmpty())
        dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    rememberFolder(kind, dialog.selectedFiles().constFirst());
    return resolveListedPath(dialog.selectedFiles().constFirst());
}

QString askOpenFileName(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("openFileDialog"));
    if (const QString folder = rememberedFolder(FileKind::Recordings); !folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({CSkeinDoc::tr("Logger Files (*.smpq)"), CSkeinDoc::tr("All Files (*)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    rememberFolder(FileKind::Recordings, dialog.selectedFiles().constFirst());
    return resolveListedPath(dialog.selectedFiles().constFirst());
}

CSkeinDoc::CSkeinDoc(QObject* parent)
    : QObject(parent), recording_(newDocumentRecording(std::time(nullptr))),
      title_(kNewDocumentTitle) {}

CSkeinDoc::~CSkeinDoc() = default;

void CSkeinDoc::setPathAndTitle(const QString& path) {
    path_ = path;
    title_ = path.isEmpty() ? kNewDocumentTitle : QFileInfo(path).fileName();
    emit titleChanged(title_);
}

void CSkeinDoc::newDocument() {
    setPathAndTitle(QString());
}

bool CSkeinDoc::openDocument(const QString& path, const std::function<bool()>& mayReplace) {
    std::string error;
    std::optional<LoadedRecording> loaded =
        readRecordingFile(encodeLocalPath(path).toStdString(), &error);
    // The plot cannot show a recording without a valid start time: refuse it here, before
    // anything of the shown one changes.
    if (loaded && !startTimeOrError(loaded->recording, &error))
        loaded.reset();
    if (!loaded) {
        QString detail = QString::fromStdString(error);
        if (!detail.contains(path))
            detail = QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), detail);
        if (errorSink_) {
            errorSink_(tr("Failed to open document.\n") + detail);
            return false;
        }
        QMessageBox box(QMessageBox::Warning, kApplicationTitle, tr("Failed to open document."),
                        QMessageBox::Ok, window_);
        box.setObjectName(QStringLiteral("openFailure"));
        box.setInformativeText(detail);
        box.exec();
        return false;
    }
    if (mayReplace && !mayReplace())
        return false;
    recording_ = std::move(loaded->recording);
    unsavedDownload_ = false;
    setLoggerModel(loaded->model);
    setPathAndTitle(QFileInfo(path).absoluteFilePath());
    emit pathAdopted(path_);
    return true;
}

std::int32_t CSkeinDoc::currentUnitIndex() const {
    return view_ ? view_->unitIndex() : recording_.unitIndex;
}

void CSkeinDoc::reportSaveFailure(const QString& detail) const {
    QMessageBox box(QMessageBox::Warning, kApplicationTitle, tr("Failed to save document."),
                    QMessageBox::Ok, window_);
    box.setObjectName(QStringLiteral("saveFailure"));
    box.setInformativeText(detail);
    box.exec();
}

CSkeinDoc::SaveOutcome CSkeinDoc::onFileSave() {
    if (recording_.sampleCount < 1)
        return SaveOutcome::NothingToSave;
    const QString chosen = askSaveFileName(window_, tr("Data File(*.txt *.smpq)"),
                                           QStringLiteral("txt"), suggestedName());
    if (chosen.isEmpty())
        return SaveOutcome::Cancelled;
    const SavePaths paths = documentSavePaths(encodeLocalPath(chosen).toStdString());
    std::string error;
    if (!writeRecordingFile(paths.recordingPath, recording_, loggerModel(), &error) ||
        !writeTextDataFile(paths.textPath, recording_, currentUnitIndex(), loggerModel(), &error)) {
        reportSaveFailure(QString::fromStdString(error));
        return SaveOutcome::Failed;
    }
    unsavedDownload_ = false;
    return SaveOutcome::Saved;
}

CSkeinDoc::SaveOutcome CSkeinDoc::onFileSaveStandard() {
    QString target = path_;
    const QFileInfo info(target);
    if (target.isEmpty() || !info.exists() || !info.isWritable()) {
        target = askSaveFileName(window_, tr("Logger Files (*.smpq)"), QStringLiteral("smpq"),
                                 target.isEmpty() ? title_ : info.fileName());
        if (target.isEmpty())
            return SaveOutcome::Cancelled;
    }
    std::string error;
    if (!writeRecordingFile(encodeLocalPath(target).toStdString(), recording_, loggerModel(),
                            &error)) {
        reportSaveFailure(QString::fromStdString(error));
        return SaveOutcome::Failed;
    }
    unsavedDownload_ = false;
    setPathAndTitle(QFileInfo(target).absoluteFilePath());
    emit pathAdopted(path_);
    return SaveOutcome::Saved;
}

CSkeinDoc::SaveOutcome CSkeinDoc::onExportExcel() {
    if (recording_.sampleCount < 1)
        return SaveOutcome::NothingToSave;
    const QString suggested = suggestedName();
    const QString chosen = askSaveFileName(
        window_, tr("Data File(*.xls)"), QStringLiteral("xls"),
        suggested.isEmpty() ? QString() : suggested + QStringLiteral(".xls"), FileKind::Exports);
    if (chosen.isEmpty())
        return SaveOutcome::Cancelled;
    std::string error;
    if (!writeSpreadsheetExport(encodeLocalPath(chosen).toStdString(), recording_,
                                currentUnitIndex(), loggerModel(), &error)) {
        // The export could not create or complete its file: say so rather than stay silent.
        reportSaveFailure(QString::fromStdString(error));
        return SaveOutcome::Failed;
    }
    return SaveOutcome::Saved;
}

void CSkeinDoc::setVendor(VendorUsb* usb) {
    usb_ = usb;
    chooser_ = usb ? std::make_unique<LoggerChooser>(*usb) : nullptr;
}

// The logger dialogs belong to the main window and go when they close, or with the window.
void CSkeinDoc::onDataDownload() {
    if (!chooser_)
        return;
    VendorUsb* logger = chooser_->choose(window_);
    if (!logger)
        return;
    auto* dialog = new CDlgDownload(recording_, *logger, window_, window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (dialog->exec() == QDialog::Accepted) {
        unsavedDownload_ = true;
        if (view_)
            view_->handOverAfterDownload();
    } else if (view_)
        view_->recordingChanged();
}

void CSkeinDoc::onLoggerSetting() {
    if (!chooser_)
        return;
    VendorUsb* logger = chooser_->choose(window_);
    if (!logger)
        return;
    auto* dialog = new CDlgSetting(*logger, loggerModel(), window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->exec();
}

} // namespace quillmark
