#include "gui/app/command_line.h"

#include "core/link/backend_choice.h"

namespace quillmark {

QString commandLineUsage() {
    return QStringLiteral(
        "Usage: quillmark [FILE.smpq]\n"
        "       quillmark --print FILE.smpq\n"
        "       quillmark --print-to FILE.smpq PRINTER\n"
        "Options:\n"
        "  --backend usb|sim|socket:PATH  how to reach the logger (default usb)\n"
        "  --simulate                     the same as --backend sim\n"
        "  --help                         show this text\n"
        "  --version                      show the version\n"
        "PRINTER may also name a file ending in .pdf, which receives the printed page.\n");
}

QStringList argumentsFromArgv(int argc, char** argv) {
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << QString::fromLocal8Bit(argv[i]);
    return out;
}

CommandLine parseCommandLine(const QStringList& arguments) {
    CommandLine cmd;
    auto fail = [&cmd](const QString& why) {
        cmd.action = CommandLine::Action::Error;
        cmd.error = why;
        return cmd;
    };
    bool printSwitch = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            cmd.action = CommandLine::Action::Help;
            return cmd;
        }
        if (arg == QLatin1String("--version")) {
            cmd.action = CommandLine::Action::Version;
            return cmd;
        }
        if (arg == QLatin1String("--simulate")) {
            cmd.backend = QStringLiteral("sim");
        } else if (arg == QLatin1String("--backend") ||
                   arg.startsWith(QLatin1String("--backend="))) {
            QString value;
            if (arg.size() > 9) {
                value = arg.mid(10);
            } else {
                if (i + 1 >= arguments.size())
                    return fail(QStringLiteral("--backend needs a value"));
                value = arguments[++i];
            }
            std::string why;
            if (!parseBackendChoice(value.toStdString(), &why))
                return fail(QString::fromStdString(why));
            cmd.backend = value;
        } else if (arg == QLatin1String("--print")) {
            if (printSwitch || !cmd.file.isEmpty() || i + 1 >= arguments.size())
                return fail(QStringLiteral("--print needs exactly one FILE"));
            printSwitch = true;
            cmd.action = CommandLine::Action::Print;
            cmd.file = arguments[++i];
        } else if (arg == QLatin1String("--print-to")) {
            if (printSwitch || !cmd.file.isEmpty() || i + 2 >= arguments.size())
                return fail(QStringLiteral("--print-to needs a FILE and a PRINTER"));
            printSwitch = true;
            cmd.action = CommandLine::Action::PrintTo;
            cmd.file = arguments[++i];
            cmd.printer = arguments[++i];
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return fail(QStringLiteral("unknown option %1").arg(arg));
        } else {
            if (!cmd.file.isEmpty())
                return fail(QStringLiteral("only one file can be opened"));
            cmd.file = arg;
        }
    }
    return cmd;
}

} // namespace quillmark
