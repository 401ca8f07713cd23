#include "gui/app/ui_text.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QTranslator>
#include <map>
#include <memory>
#include <vector>

namespace quillmark {
namespace {

// The core's fixed texts that reach a window. Keep in step with the core: a text missing here
// shows in English.
[[maybe_unused]] const char* const kFixedTexts[] = {
    // Logger dialog captions
    QT_TRANSLATE_NOOP("quillmark", "Connecting..."),
    QT_TRANSLATE_NOOP("quillmark", "Connected"),
    QT_TRANSLATE_NOOP("quillmark", "Not Connected"),
    // Message captions
    QT_TRANSLATE_NOOP("quillmark", "Quillmark"),
    QT_TRANSLATE_NOOP("quillmark", "warning"),
    QT_TRANSLATE_NOOP("quillmark", "Tip"),
    QT_TRANSLATE_NOOP("quillmark", "Status Information"),
    // Settings dialog
    QT_TRANSLATE_NOOP("quillmark", "Please select other points!"),
    QT_TRANSLATE_NOOP("quillmark", "Any settings can't be empty!\nPlease retry!"),
    QT_TRANSLATE_NOOP("quillmark", "High Alarm must be larger than Low Alarm!\nPlease retry!"),
    // Settings upload
    QT_TRANSLATE_NOOP("quillmark", "Connecting fault. Ensure logger inserted and try again."),
    QT_TRANSLATE_NOOP("quillmark", "Failed writing data to the datalogger."),
    QT_TRANSLATE_NOOP("quillmark",
                      "To start logging, you must press the button once in housing of datalogger."),
    QT_TRANSLATE_NOOP("quillmark", "Datalogger is running..."),
    // Download
    QT_TRANSLATE_NOOP("quillmark", "Failed reading data from the datalogger."),
    QT_TRANSLATE_NOOP("quillmark", "Datalogger internal memory currently empty."),
    QT_TRANSLATE_NOOP("quillmark", "No data to view."),
    // Plot labels and readout (drawn by the render library)
    QT_TRANSLATE_NOOP("quillmark", "NO."),
    QT_TRANSLATE_NOOP("quillmark", "Value:"),
    QT_TRANSLATE_NOOP("quillmark", "Time:"),
    QT_TRANSLATE_NOOP("quillmark", "Average:"),
    // Measurements panel labels
    QT_TRANSLATE_NOOP("quillmark", "Range:"),
    QT_TRANSLATE_NOOP("quillmark", "Start:"),
    QT_TRANSLATE_NOOP("quillmark", "End:"),
    QT_TRANSLATE_NOOP("quillmark", "Duration:"),
    QT_TRANSLATE_NOOP("quillmark", "Unit:"),
    QT_TRANSLATE_NOOP("quillmark", "Min:"),
    QT_TRANSLATE_NOOP("quillmark", "Max:"),
    QT_TRANSLATE_NOOP("quillmark", "Mean:"),
    QT_TRANSLATE_NOOP("quillmark", "StdDev:"),
    QT_TRANSLATE_NOOP("quillmark", "OverRange:"),
    QT_TRANSLATE_NOOP("quillmark", "AlarmHigh:"),
    QT_TRANSLATE_NOOP("quillmark", "AlarmLow:"),
};

// The plot's right-click menu as the window shows it: the core's words with a mnemonic.
struct MenuText {
    const char* core;
    const char* shown;
};
const MenuText kPlotMenuTexts[] = {
    {"View All", QT_TRANSLATE_NOOP("quillmark", "&View All")},
    {"Move View", QT_TRANSLATE_NOOP("quillmark", "M&ove View")},
    {"Zoom In", QT_TRANSLATE_NOOP("quillmark", "&Zoom In")},
    {"ColorSetting", QT_TRANSLATE_NOOP("quillmark", "&ColorSetting")},
    {"Grid X", QT_TRANSLATE_NOOP("quillmark", "Grid &X")},
    {"Grid Y", QT_TRANSLATE_NOOP("quillmark", "Grid &Y")},
    {"MaskPoints", QT_TRANSLATE_NOOP("quillmark", "&MaskPoints")},
    {"Alarm Line", QT_TRANSLATE_NOOP("quillmark", "&Alarm Line")},
    {"Unit(m/s)", QT_TRANSLATE_NOOP("quillmark", "Unit(m/&s)")},
    {"Unit(ft/min)", QT_TRANSLATE_NOOP("quillmark", "Unit(&ft/min)")},
    {"Unit(knots)", QT_TRANSLATE_NOOP("quillmark", "Unit(&knots)")},
    {"Unit(km/h)", QT_TRANSLATE_NOOP("quillmark", "Unit(km/&h)")},
    {"Unit(MPH)", QT_TRANSLATE_NOOP("quillmark", "Unit(M&PH)")},
};

// Core texts with numbers or names filled in; %1, %2, ... stand for them.
const char* const kFilledTexts[] = {
    QT_TRANSLATE_NOOP("quillmark", "Please input between %1 and %2 %3"),
    QT_TRANSLATE_NOOP("quillmark", "Please enter no more than %1 characters."),
    QT_TRANSLATE_NOOP("quillmark", "\"%1\" was not taken: the alarm limits take whole numbers"),
    QT_TRANSLATE_NOOP("quillmark", "%1 points finished! Press View to show graph, or Cancel to "
                                   "exit."),
    QT_TRANSLATE_NOOP("quillmark",
                      "The logger reported %1 points but holds only %2; the recording keeps "
                      "those %3."),
    QT_TRANSLATE_NOOP("quillmark",
                      "The logger has taken the settings, but they could not be saved: %1"),
    QT_TRANSLATE_NOOP("quillmark", "Unit(%1)"),
};

// Words inside the Measurements panel's figures, replaced where they stand.
struct Word {
    const char* pattern; // a regular expression over the English figure
    const char* text;    // its translation key; %1 is the pattern's first capture
};
const Word kFigureWords[] = {
    {R"(\b1 sample\b)", QT_TRANSLATE_NOOP("quillmark", "1 sample")},
    {R"(\b(\d+) samples\b)", QT_TRANSLATE_NOOP("quillmark", "%1 samples")},
    {R"(\b1 excursion\b)", QT_TRANSLATE_NOOP("quillmark", "1 excursion")},
    {R"(\b(\d+) excursions\b)", QT_TRANSLATE_NOOP("quillmark", "%1 excursions")},
    {R"(\bat sample\b)", QT_TRANSLATE_NOOP("quillmark", "at sample")},
    {R"(\blongest\b)", QT_TRANSLATE_NOOP("quillmark", "longest")},
    {R"(^above\b)", QT_TRANSLATE_NOOP("quillmark", "above")},
    {R"(^below\b)", QT_TRANSLATE_NOOP("quillmark", "below")},
    {R"(^invalid$)", QT_TRANSLATE_NOOP("quillmark", "invalid")},
};

// The sample-rate list's abbreviations ("30s", "1m", "24hr").
const Word kRateWords[] = {
    {R"(^(\d+)hr$)", QT_TRANSLATE_NOOP("quillmark", "%1hr")},
    {R"(^(\d+)m$)", QT_TRANSLATE_NOOP("quillmark", "%1m")},
    {R"(^(\d+)s$)", QT_TRANSLATE_NOOP("quillmark", "%1s")},
};

// The recording-time words of the settings dialog.
const Word kDurationWords[] = {
    {R"(_Days\b)", QT_TRANSLATE_NOOP("quillmark", "_Days")},
    {R"(_Day\b)", QT_TRANSLATE_NOOP("quillmark", "_Day")},
    {R"(_Hours\b)", QT_TRANSLATE_NOOP("quillmark", "_Hours")},
    {R"(_Hour\b)", QT_TRANSLATE_NOOP("quillmark", "_Hour")},
    {R"(_Minutes\b)", QT_TRANSLATE_NOOP("quillmark", "_Minutes")},
    {R"(_Minute\b)", QT_TRANSLATE_NOOP("quillmark", "_Minute")},
    {R"(_Seconds\b)", QT_TRANSLATE_NOOP("quillmark", "_Seconds")},
};

QString tr(const char* key) {
    return QCoreApplication::translate(kCoreTextContext, key);
}

// Puts captures[n - 1] where the translation says %n; other text stays as it is.
QString fill(const QString& translated, const QStringList& captures) {
    QString out;
    for (qsizetype i = 0; i < translated.size(); ++i) {
        const QChar c = translated[i];
        if (c == QLatin1Char('%') && i + 1 < translated.size() && translated[i + 1].isDigit()) {
            const int n = translated[i + 1].digitValue();
            if (n >= 1 && n <= captures.size()) {
                out += captures[n - 1];
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

struct FilledText {
    QRegularExpression match;
    const char* key;
};

// The filled texts as expressions: the fixed parts literal, each %n any text.
const std::vector<FilledText>& filledTexts() {
    static const std::vector<FilledText> all = [] {
        std::vector<FilledText> out;
        static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
        for (const char* key : kFilledTexts) {
            const QString text = QString::fromUtf8(key);
            QString pattern = QStringLiteral("^");
            qsizetype at = 0;
            for (auto it = placeholder.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                pattern += QRegularExpression::escape(text.mid(at, m.capturedStart() - at));
                pattern += QStringLiteral("(.*?)");
                at = m.capturedEnd();
            }
            pattern += QRegularExpression::escape(text.mid(at)) + QStringLiteral("$");
            out.push_back(
                {QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption), key});
        }
        return out;
    }();
    return all;
}

// Each pattern compiled once: the figures are translated on every Measurements update.
const QRegularExpression& compiled(const char* pattern) {
    static std::map<const char*, QRegularExpression> cache;
    auto it = cache.find(pattern);
    if (it == cache.end())
        it = cache.emplace(pattern, QRegularExpression(QString::fromLatin1(pattern))).first;
    return it->second;
}

QString replaceWords(QString text, const Word* words, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const QRegularExpression& re = compiled(words[i].pattern);
        QString out;
        qsizetype at = 0;
        for (auto it = re.globalMatch(text); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            out += text.mid(at, m.capturedStart() - at);
            out += fill(tr(words[i].text), m.capturedTexts().mid(1));
            at = m.capturedEnd();
        }
        text = out + text.mid(at);
    }
    return text;
}

std::vector<std::unique_ptr<QTranslator>>& installed() {
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

} // namespace

QString uiText(const std::string& english) {
    const QString text = QString::fromStdString(english);
    if (text.isEmpty())
        return text;
    const QByteArray key = text.toUtf8();
    const QString exact = QCoreApplication::translate(kCoreTextContext, key.constData());
    if (exact != text)
        return exact;
    for (const FilledText& f : filledTexts()) {
        const QRegularExpressionMatch m = f.match.match(text);
        if (m.hasMatch())
            return fill(tr(f.key), m.capturedTexts().mid(1));
    }
    return text;
}

QString uiText(const char* english) {
    return uiText(std::string(english ? english : ""));
}

QString uiMenuText(const std::string& english) {
    for (const MenuText& m : kPlotMenuTexts)
        if (english == m.core)
            return tr(m.shown);
    return uiText(english);
}

QString uiFigure(const std::string& english) {
    return replaceWords(QString::fromStdString(english), kFigureWords, std::size(kFigureWords));
}

QString uiRate(const std::string& english) {
    return replaceWords(QString::fromStdString(english), kRateWords, std::size(kRateWords));
}

QString uiDuration(const std::string& english) {
    return replaceWords(QString::fromStdString(english), kDurationWords, std::size(kDurationWords));
}

bool installUiTranslation(const QString& locale) {
    removeUiTranslation();
    const QLocale chosen(locale);
    auto own = std::make_unique<QTranslator>();
    if (!own->load(chosen, QStringLiteral("quillmark"), QStringLiteral("_"),
                   QStringLiteral(":/i18n")))
        return false;
    QCoreApplication::installTranslator(own.get());
    installed().push_back(std::move(own));
    // Qt's own dialogs (file and colour pickers, message box buttons), where installed.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(chosen, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt.get());
        installed().push_back(std::move(qt));
    }
    return true;
}

bool installUiTranslation() {
    // uiLanguages() follows LANGUAGE, then LC_ALL, LC_MESSAGES and LANG.
    for (const QString& language : QLocale::system().uiLanguages()) {
        if (language.startsWith(QLatin1String("en")) || language == QLatin1String("C"))
            return false;
        if (installUiTranslation(QString(language).replace(QLatin1Char('-'), QLatin1Char('_'))))
            return true;
    }
    return false;
}

void removeUiTranslation() {
    for (const auto& t : installed())
        QCoreApplication::removeTranslator(t.get());
    installed().clear();
}

} // namespace quillmark
