#include "gui/app/command_line.h"

#include <QUrl>

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

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

// Length of the strict UTF-8 sequence at bytes[i] (no overlong forms, no surrogates, at most
// U+10FFFF); 0 when there is none.
qsizetype utf8Length(const QByteArray& bytes, qsizetype i) {
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b = at(i);
    if (b < 0x80)
        return 1;
    qsizetype n = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        lo = b == 0xE0 ? 0xA0 : 0x80;
        hi = b == 0xED ? 0x9F : 0xBF;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        lo = b == 0xF0 ? 0x90 : 0x80;
        hi = b == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + n > bytes.size() || at(i + 1) < lo || at(i + 1) > hi)
        return 0;
    for (qsizetype k = 2; k < n; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF)
            return 0;
    return n;
}

} // namespace

QString decodeLocalPath(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const qsizetype n = utf8Length(bytes, i);
        if (n > 0) {
            i += n;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + runStart, i - runStart);
        out += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(bytes[i])));
        runStart = ++i;
    }
    out += QString::fromUtf8(bytes.constData() + runStart, bytes.size() - runStart);
    return out;
}

QByteArray encodeLocalPath(const QString& path) {
    QByteArray out;
    out.reserve(path.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t c = path[i].unicode();
        // Only a lone low surrogate is an escaped byte; a pair is a character.
        const bool paired = i > 0 && path[i - 1].isHighSurrogate();
        if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF && !paired) {
            out += QStringView(path).mid(runStart, i - runStart).toUtf8();
            out += static_cast<char>(c - kEscapeBase);
            runStart = i + 1;
        }
    }
    out += QStringView(path).mid(runStart).toUtf8();
    return out;
}

QString localPathFromUrl(const QUrl& url) {
    if (!url.isLocalFile())
        return QString();
    // The encoded form still holds the name's bytes; toLocalFile() would replace some.
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return decodeLocalPath(bytes);
}

QStringList argumentsFromArgv(int argc, char** argv) {
    QStringList out;
    for (int i = 0; i < argc; ++i)
        out << decodeLocalPath(QByteArray(argv[i]));
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
