#pragma once
// The application object: creates the one document, the main frame and the view, carries out
// the command line, and handles New, Open, Print Setup and About (plus printing and help).
#include <QObject>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

#include "gui/app/command_line.h"
#include "gui/app/recent_file_list.h"

class QPrinter;
class QUrl;

namespace quillmark {

class LoggerDetector;
class VendorUsb;

class CMainFrame;
class CSkeinDoc;
class CSkeinView;

// The window size to open with: `wanted`, cut to the screen's free area less the window
// manager's frame.
QSize fitWindowSize(QSize wanted, QSize available);

class CSkeinApp : public QObject {
    Q_OBJECT
public:
    explicit CSkeinApp(QObject* parent = nullptr);
    ~CSkeinApp() override;

    // The logger backend (set before initInstance). Without one the logger commands are off.
    void setBackend(std::unique_ptr<VendorUsb> usb, std::unique_ptr<LoggerDetector> detector);
    VendorUsb* vendor() const { return usb_.get(); }

    // The start-up steps. False when start-up fails (the process then ends). For the print
    // switches the file is printed here and printedAndDone() becomes true.
    bool initInstance(const CommandLine& cmd);
    bool printedAndDone() const { return printedAndDone_; }
    // Why initInstance failed, for the terminal (empty when a message box said it already).
    QString startError() const { return startError_; }

    CMainFrame* mainFrame() const { return frame_.get(); }
    CSkeinDoc* document() const { return doc_; }
    CSkeinView* view() const { return view_; }
    QPrinter& printer() { return *printer_; }
    const RecentFileList& recentFiles() const { return recent_; }

    // Open as by File, Open with a known path (command line, recent list, dropped files).
    bool openDocumentFile(const QString& path);

    void onFileNew();
    void onFileOpen();
    void onFilePrint();
    void onFilePrintPreview();
    void onFilePrintSetup();
    void onAppAbout();
    void onHelpContents();
    // How Help, Contents hands the manual to the desktop; true when it was opened.
    // QDesktopServices::openUrl unless replaced (tests).
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { openUrl_ = std::move(opener); }

    // Prints the view's page on `printer` (no dialog); false when the printer cannot start.
    bool printDocument(QPrinter& printer);

private:
    void registerCommands();
    void addRecent(const QString& path);

    void startDetection();

    std::unique_ptr<VendorUsb> usb_;
    std::unique_ptr<LoggerDetector> detector_;
    std::unique_ptr<QPrinter> printer_;
    CSkeinDoc* doc_ = nullptr; // a child of this object
    // After the backend: the frame and the logger dialogs in it go first, and their exchanges
    // end before the backend does.
    std::unique_ptr<CMainFrame> frame_;
    CSkeinView* view_ = nullptr; // a child of the frame
    RecentFileList recent_;
    bool printedAndDone_ = false;
    QString startError_;
    std::function<bool(const QUrl&)> openUrl_;
};

} // namespace quillmark
