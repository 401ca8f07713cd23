#pragma once
// Helpers shared by the application's Qt tests: a private settings folder, answering modal
// windows that a command opens, and building recordings.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "core/app/logger_model.h"
#include "core/data/recording.h"
#include "core/data/recording_file.h"
#include "core/data/test_support.h"

namespace quillmark::test_support {

// Watches left over from an earlier test (one that rightly saw no window) must not answer the
// windows of the next: each test's init() calls forgetWatches().
inline int& watchGeneration() {
    static int generation = 0;
    return generation;
}
inline void forgetWatches() {
    ++watchGeneration();
}

// What every application test starts from: no watch left from the last test, and the logger
// model the device scan chooses.
inline void startTest() {
    forgetWatches();
    setLoggerModel(kModelVoltage);
}

// A folder of the test program's own for the files its tests write.
class TestFolder {
public:
    QString file(const QString& name) const { return dir_.filePath(name); }
    QString folderPath() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
};

// How a watch for a modal window went: whether the window came, and whether the watch is over
// (it came and was answered, or the watch ran out).
struct Watch {
    bool seen = false;
    bool over = false;
};

// Runs `act` on the first modal window of type T that appears within `timeoutMs`, from inside
// the event loop of whatever call opens it. `seen` (optional) records whether it came. A test
// that proves a window did NOT come waits for the returned watch to be over, then checks
// that it was not seen.
template <typename T>
std::shared_ptr<Watch> whenModal(std::function<void(T*)> act, bool* seen = nullptr,
                                 int timeoutMs = 5000) {
    if (seen)
        *seen = false;
    auto watch = std::make_shared<Watch>();
    auto* timer = new QTimer(qApp); // a watch still waiting at exit goes with the application
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    timer->setInterval(10);
    const int generation = watchGeneration();
    QObject::connect(
        timer, &QTimer::timeout, [timer, clock, act, seen, timeoutMs, generation, watch] {
            const auto end = [&] {
                timer->stop();
                timer->deleteLater();
                watch->over = true;
            };
            if (generation != watchGeneration()) {
                end();
                return;
            }
            if (T* w = qobject_cast<T*>(QApplication::activeModalWidget()); w && w->isVisible()) {
                watch->seen = true;
                if (seen)
                    *seen = true;
                end();
                act(w);
                return;
            }
            if (clock->elapsed() > timeoutMs)
                end();
        });
    timer->start();
    return watch;
}

// Answers the next message box with `button` and hands back its text and caption.
struct BoxSeen {
    std::shared_ptr<Watch> watch;
    bool shown = false;
    QString text;
    QString informative;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
};

inline std::shared_ptr<BoxSeen> answerNextBox(QMessageBox::StandardButton button,
                                              int timeoutMs = 5000) {
    auto seen = std::make_shared<BoxSeen>();
    seen->watch = whenModal<QMessageBox>(
        [seen, button](QMessageBox* box) {
            seen->shown = true;
            seen->text = box->text();
            seen->informative = box->informativeText();
            seen->title = box->windowTitle();
            seen->icon = box->icon();
            for (QAbstractButton* b : box->buttons())
                seen->buttons.append(box->standardButton(b));
            if (QAbstractButton* b = box->button(button))
                b->click();
            else
                box->reject();
        },
        nullptr, timeoutMs);
    return seen;
}

// Accepts the next file dialog with `path`, or cancels it when `path` is empty.
struct FileDialogSeen {
    bool shown = false;
    QStringList filters;
    QString defaultSuffix;
    QString suggested;
};

// `then` runs just before the dialog closes with `path` (to expect the next window only once
// this one is answered, or to change the file system under the chosen name).
inline std::shared_ptr<FileDialogSeen> answerNextFileDialog(const QString& path,
                                                            std::function<void()> then = {}) {
    auto seen = std::make_shared<FileDialogSeen>();
    whenModal<QFileDialog>([seen, path, then](QFileDialog* dialog) {
        seen->shown = true;
        seen->filters = dialog->nameFilters();
        seen->defaultSuffix = dialog->defaultSuffix();
        const QStringList selected = dialog->selectedFiles();
        seen->suggested = selected.isEmpty() ? QString() : QFileInfo(selected.first()).fileName();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Type the name as a person would: selectFile() leaves a focused name field alone.
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(path);
        else
            dialog->selectFile(path);
        if (then)
            then();
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    return seen;
}

inline QString writeRecording(const QString& path, const std::vector<std::uint16_t>& raw,
                              std::int32_t model) {
    if (!writeRecordingFile(path.toStdString(), makeRecording(raw), model))
        return QString();
    return path;
}

// With QUILLMARK_SCREENSHOTS set to a folder, saves a picture of `w` there (for looking at
// the windows under a real X server); does nothing otherwise.
inline void screenshot(QWidget* w, const QString& name) {
    const QString folder = qEnvironmentVariable("QUILLMARK_SCREENSHOTS");
    if (!folder.isEmpty())
        w->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace quillmark::test_support

// A test main that points the per-user settings folders into a fresh temporary folder, so no
// test reads or writes the real user's files.
#define QUILLMARK_GUI_TEST_MAIN(TestClass)                                                         \
    int main(int argc, char** argv) {                                                              \
        QTemporaryDir home;                                                                        \
        qputenv("HOME", home.path().toLocal8Bit());                                                \
        qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toLocal8Bit());                       \
        qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toLocal8Bit());                         \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication app(argc, argv);                                                              \
        TestClass tc;                                                                              \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
