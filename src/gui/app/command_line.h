#pragma once
// The desktop program's command line: an optional recording file, the print switches and the
// choice of logger backend.
#include <QString>
#include <QStringList>

class QUrl;

namespace quillmark {

struct CommandLine {
    enum class Action {
        Run,     // show the main window (with FILE opened when given)
        Print,   // --print FILE: print FILE on the default printer and end
        PrintTo, // --print-to FILE PRINTER: print FILE on PRINTER and end
        Help,    // --help
        Version, // --version
        Error,   // the arguments cannot be carried out; `error` says why
    };
    Action action = Action::Run;
    QString file;
    QString printer;
    QString backend = QStringLiteral("usb"); // checked by parseBackendChoice
    QString error;
};

// File names are bytes; Qt's own conversion turns bytes that are not UTF-8 into U+FFFD and
// the name is lost. These keep every byte: a byte that is not part of valid UTF-8 becomes the
// lone surrogate U+DC80..U+DCFF and turns back into that byte.
QString decodeLocalPath(const QByteArray& bytes);
QByteArray encodeLocalPath(const QString& path);
// The file of a file: URL (a drop) with its name's bytes kept; empty for other URLs.
QString localPathFromUrl(const QUrl& url);

// The program's arguments from main()'s argv (program name first), bytes kept as above.
QStringList argumentsFromArgv(int argc, char** argv);

// `arguments` as argumentsFromArgv gives them (program name first).
CommandLine parseCommandLine(const QStringList& arguments);

QString commandLineUsage();

} // namespace quillmark
