#pragma once
// The document: owns the one Recording and carries out the file commands on it.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "core/data/recording.h"
#include "gui/app/file_folders.h"

class QWidget;

namespace quillmark {

class CSkeinView;
class LoggerChooser;
class VendorUsb;

class CSkeinDoc : public QObject {
    Q_OBJECT
public:
    enum class SaveOutcome { Saved, NothingToSave, Cancelled, Failed };

    explicit CSkeinDoc(QObject* parent = nullptr);
    ~CSkeinDoc() override;

    Recording& recording() { return recording_; }
    const Recording& recording() const { return recording_; }
    // Path of the recording file after an Open or a standard Save; empty for a new document.
    QString path() const { return path_; }
    QString title() const { return title_; }

    void setView(CSkeinView* view) { view_ = view; }
    CSkeinView* view() const { return view_; }
    // Parent of the file dialogs and message boxes.
    void setWindow(QWidget* window) { window_ = window; }
    // The logger backend the dialogs talk through; null leaves the logger commands off.
    void setVendor(VendorUsb* usb);
    bool hasLogger() const { return usb_ != nullptr; }

    // New: forget the path and the title; the Recording stays as it is.
    void newDocument();
    // Reads a recording file into a separate Recording and replaces the document's Recording
    // and the model code only when the whole file was read and its start time is valid, and
    // `mayReplace` (when given) agrees. Reports failures itself.
    bool openDocument(const QString& path, const std::function<bool()>& mayReplace = {});
    // Where open failures go instead of a message box (print jobs from the command line never
    // open a window): the text and its detail.
    void setErrorSink(std::function<void(const QString&)> sink) { errorSink_ = std::move(sink); }
    // The recording came from the logger and has not been saved since.
    bool unsavedDownload() const { return unsavedDownload_; }

    // File, Save: the recording file and the text data file beside it.
    SaveOutcome onFileSave();
    // Ctrl+S: the recording file only, at the document's path (asking for one when needed).
    SaveOutcome onFileSaveStandard();
    // File, Export to Excel.
    SaveOutcome onExportExcel();
    // Link, Data Download: the download dialog; after View the plot shows the new recording.
    void onDataDownload();
    // Link, Logger Setting: the settings dialog.
    void onLoggerSetting();

signals:
    void titleChanged(const QString& title);
    // A standard Save or an Open gave the document this path.
    void pathAdopted(const QString& path);

private:
    void setPathAndTitle(const QString& path);
    void reportSaveFailure(const QString& detail) const;
    std::int32_t currentUnitIndex() const;

    Recording recording_;
    QString path_;
    QString title_;
    CSkeinView* view_ = nullptr;
    QWidget* window_ = nullptr;
    VendorUsb* usb_ = nullptr;
    bool unsavedDownload_ = false;
    std::function<void(const QString&)> errorSink_;
    // Which of several loggers the logger dialogs talk to.
    std::unique_ptr<LoggerChooser> chooser_;
};

// A save-file dialog with the given filter and default suffix, preset to `suggestedName` in the
// folder last used for `kind`; asks before overwriting. Empty when cancelled.
QString askSaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                        const QString& suggestedName, FileKind kind = FileKind::Recordings);
// The open dialog for recordings, starting in their last folder.
QString askOpenFileName(QWidget* parent);

// A path as a file dialog hands it back (a native dialog's URL turns bytes that are not
// UTF-8 into U+FFFD), with each such component matched against the real directory entries,
// so it names the file on disk; the path itself when it exists or a component has no single
// match.
QString resolveListedPath(const QString& path);

} // namespace quillmark
