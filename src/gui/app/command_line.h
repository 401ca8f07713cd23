#pragma once
// The desktop program's command line: an optional recording file, the print switches and the
// choice of logger backend.
#include <QString>
#include <QStringList>

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

// The program's arguments from main()'s argv (program name first).
QStringList argumentsFromArgv(int argc, char** argv);

// `arguments` as argumentsFromArgv gives them (program name first).
CommandLine parseCommandLine(const QStringList& arguments);

QString commandLineUsage();

} // namespace quillmark
