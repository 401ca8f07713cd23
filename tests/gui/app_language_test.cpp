// The windows in German and back, the names a screen reader reads, and the files that must not
// change with the language.
#include <QAbstractButton>
#include <QAccessible>
#include <QClipboard>
#include <QComboBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>
#include <clocale>

#include "app_test_support.h"
#include "core/app/logger_model.h"
#include "core/data/recording.h"
#include "core/data/spreadsheet_export.h"
#include "core/data/text_data_file.h"
#include "core/link/download.h"
#include "core/link/logger_link.h"
#include "core/link/upload.h"
#include "core/settings/ini_store.h"
#include "core/settings/logger_settings.h"
#include "gui/analysis/measurements_panel.h"
#include "gui/app/cabout_dlg.h"
#include "gui/app/cmain_frame.h"
#include "gui/app/command_line.h"
#include "gui/app/cskein_app.h"
#include "gui/app/ui_text.h"
#include "gui/plot/ccolor_setting.h"
#include "gui/plot/cgraphics.h"
#include "gui/settings/cdlg_setting.h"
#include "sim/simulated_logger.h"

using namespace quillmark;

namespace {

// Texts that read the same in German.
const QStringList kSameInGerman = {
    "OK", "Quillmark", "CAP", "NUM", "SCRL", "Status", "Quillmark Version 2.2", "_Minute", "..."};

QString plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

Recording someRecording() {
    Recording rec = newDocumentRecording(1700000000);
    rec.samples = {12000, 45000, 2500, 30999, 31000, 7, 0, 29999};
    rec.sampleCount = static_cast<std::int32_t>(rec.samples.size());
    rec.maxIndex = 1;
    rec.minIndex = 6;
    rec.average = 13.5;
    return rec;
}

// Every text a user reads in the menus, the toolbar, the dialogs and the About box, each with
// where it stands, in a fixed order.
QList<QPair<QString, QString>> shownTexts() {
    QList<QPair<QString, QString>> out;
    const auto add = [&out](const QString& where, const QString& text) {
        if (!text.isEmpty())
            out.append({where, text});
    };
    const auto addWidgets = [&](const QString& where, QWidget* top) {
        add(where + QStringLiteral(" title"), top->windowTitle());
        for (QWidget* w : top->findChildren<QWidget*>()) {
            const QString at = where + QLatin1Char('/') + w->objectName();
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().trimmed().isEmpty())
                add(at + QStringLiteral(" label"), l->text());
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                add(at + QStringLiteral(" button"), b->text());
            if (auto* g = qobject_cast<QGroupBox*>(w))
                add(at + QStringLiteral(" group"), g->title());
            add(at + QStringLiteral(" name"), w->accessibleName());
            add(at + QStringLiteral(" tip"), w->toolTip());
        }
    };

    setLoggerModel(kModelAirSpeed);
    CSkeinApp app;
    if (!app.initInstance(parseCommandLine({QStringLiteral("quillmark")})))
        return {};
    CMainFrame* f = app.mainFrame();
    for (QMenu* m : f->menuBar()->findChildren<QMenu*>()) {
        if (!m->objectName().startsWith(QLatin1String("menu")))
            continue; // Qt's own popups
        add(m->objectName(), m->title());
        for (QAction* a : m->actions())
            if (!a->isSeparator() && a->isVisible()) {
                add(m->objectName() + QStringLiteral(" item"), a->text());
                add(m->objectName() + QStringLiteral(" prompt"), a->statusTip());
            }
    }
    for (QAction* a : f->findChild<QToolBar*>()->actions())
        add(QStringLiteral("toolbar"), a->toolTip());
    add(QStringLiteral("status"), f->statusBar()->currentMessage());
    for (QDockWidget* d : f->findChildren<QDockWidget*>())
        add(QStringLiteral("dock"), d->windowTitle());

    const Recording rec = someRecording();
    CGraphics plot;
    plot.setData(&rec);
    const std::unique_ptr<QMenu> menu = plot.createContextMenu();
    for (QAction* a : menu->actions())
        add(QStringLiteral("plot menu"), a->text());
    add(QStringLiteral("plot"),
        QAccessible::queryAccessibleInterface(&plot)->text(QAccessible::Name));

    sim::SimulatedLogger logger;
    CDlgSetting settings(logger, kModelAirSpeed, nullptr);
    addWidgets(QStringLiteral("settings"), &settings);
    CColorSetting colours(plot, rec, nullptr);
    addWidgets(QStringLiteral("colours"), &colours);
    CAboutDlg about(nullptr);
    addWidgets(QStringLiteral("about"), &about);
    return out;
}

// The mnemonic letters of `texts` that appear more than once.
QStringList clashes(const QStringList& texts) {
    QStringList seen, twice;
    for (const QString& t : texts) {
        const qsizetype at = t.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= t.size())
            continue;
        const QString key = t.mid(at + 1, 1).toLower();
        (seen.contains(key) ? twice : seen) << key;
    }
    return twice;
}

// Writes every kind of file the program writes into `dir`.
void writeFiles(const QString& dir) {
    const Recording rec = someRecording();
    const auto at = [&dir](const char* name) {
        return (dir + QLatin1Char('/') + name).toStdString();
    };
    QVERIFY(writeTextDataFile(at("data.txt"), rec, 1, kModelAirSpeed));
    QVERIFY(writeSpreadsheetExport(at("data.xls"), rec, 2, kModelAirSpeed));
    QVERIFY(writeCsvExport(at("data.csv"), rec, 3, kModelAirSpeed));
    IniStore ini;
    LoggerSettings s;
    s.alarmLow = 1.25f;
    s.alarmHigh = 20.5f;
    s.save(ini);
    CGraphics plot;
    SaveColours(plot, ini);
    QVERIFY(ini.save(at("SettingConfig.ini")));
}

} // namespace

class LanguageTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        removeUiTranslation();
        std::setlocale(LC_ALL, "C");
        QLocale::setDefault(QLocale::c());
    }

    // German covers every text, and back in English every text is as it was.
    void germanAndBack() {
        const auto english = shownTexts();
        QVERIFY(english.size() > 140);
        QVERIFY(installUiTranslation(QStringLiteral("de_DE")));
        const auto german = shownTexts();
        removeUiTranslation();
        QCOMPARE(shownTexts(), english);

        QStringList germanPlaces, englishPlaces;
        for (const auto& t : german)
            germanPlaces << t.first;
        for (const auto& t : english)
            englishPlaces << t.first;
        QCOMPARE(germanPlaces, englishPlaces);
        QStringList untranslated;
        for (qsizetype i = 0; i < english.size(); ++i) {
            QCOMPARE(german[i].first, english[i].first);
            if (german[i].second == english[i].second &&
                !kSameInGerman.contains(plain(english[i].second)))
                untranslated << english[i].first + QStringLiteral(": ") + english[i].second;
        }
        QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('\n'))));
    }

    // Core texts with figures in them come through in German with their figures.
    void filledCoreTexts() {
        QVERIFY(installUiTranslation(QStringLiteral("de_DE")));
        QCOMPARE(uiText("Please input between 0 and 5906 ft/min"),
                 QStringLiteral("Bitte einen Wert zwischen 0 und 5906 ft/min eingeben"));
        QCOMPARE(uiText("Not Connected"), QStringLiteral("Nicht verbunden"));
        QCOMPARE(uiText("Unit(m/s)"), QStringLiteral("Einheit(m/s)"));
        QCOMPARE(
            uiFigure("above 20 V: 1 sample, 2 s, 11 excursions, longest 3 samples"),
            QStringLiteral("über 20 V: 1 Messwert, 2 s, 11 Überschreitungen, längste 3 Messwerte"));
        QCOMPARE(uiDuration(" 1_Day, 20_Hours, 1_Minute, 40_Seconds"),
                 QStringLiteral(" 1_Tag, 20_Stunden, 1_Minute, 40_Sekunden"));
        QCOMPARE(uiText("no such text 42"), QStringLiteral("no such text 42"));
        for (const auto& [rate, german] : {std::pair{"24hr", "24 h"},
                                           {"5m", "5 min"},
                                           {"30s", "30 s"},
                                           {"2.5ms(400Hz)", "2.5ms(400Hz)"}})
            QCOMPARE(uiRate(rate), QString::fromUtf8(german));
        // What the core says reaches the window in German: a core text that no longer matches
        // its listed key would show in English.
        UploadOutcome written;
        UploadOutcome refused;
        refused.result = UploadResult::WriteFault;
        refused.showMessageBox = true;
        std::vector<std::string> core = {probeCaption(ProbeState::Connecting),
                                         probeCaption(ProbeState::Connected),
                                         probeCaption(ProbeState::NotConnected),
                                         uploadStatusText(UploadResult::ConnectionFault),
                                         uploadMessage(refused, kStartInstant)->text,
                                         uploadMessage(written, kStartManual)->text,
                                         uploadMessage(written, kStartInstant)->text,
                                         uploadMessage(written, kStartInstant)->caption,
                                         settingsNotSavedMessage("disk full").text,
                                         downloadFinishedText(500),
                                         noDataToViewMessage().text,
                                         noDataToViewMessage().caption};
        for (DownloadResult r : {DownloadResult::ReadFailure, DownloadResult::EmptyLogger})
            core.push_back(downloadMessage(r)->text);
        for (const std::string& text : core)
            QVERIFY2(uiText(text) != QString::fromStdString(text), text.c_str());
        removeUiTranslation();
        QCOMPARE(uiRate("24hr"), QStringLiteral("24hr"));
        QCOMPARE(uiText("Please input between 0 and 30 V"),
                 QStringLiteral("Please input between 0 and 30 V"));
    }

    // Each menu and each dialog offers its mnemonics once, in both languages.
    void mnemonicsInMenusAndDialogs() {
        for (bool german : {false, true}) {
            if (german)
                QVERIFY(installUiTranslation(QStringLiteral("de_DE")));
            setLoggerModel(kModelAirSpeed);
            CSkeinApp app;
            QVERIFY(app.initInstance(parseCommandLine({QStringLiteral("quillmark")})));
            QStringList tops;
            for (QAction* a : app.mainFrame()->menuBar()->actions())
                tops << a->text();
            QVERIFY2(clashes(tops).isEmpty(), qPrintable(tops.join(' ')));
            for (QMenu* m : app.mainFrame()->menuBar()->findChildren<QMenu*>()) {
                QStringList items;
                for (QAction* a : m->actions()) {
                    if (a->isSeparator() || !a->isVisible())
                        continue;
                    QVERIFY2(a->text().contains(QLatin1Char('&')), qPrintable(a->text()));
                    items << a->text();
                }
                QVERIFY2(clashes(items).isEmpty(), qPrintable(items.join(' ')));
            }
            const Recording rec = someRecording();
            CGraphics plot;
            const std::unique_ptr<QMenu> menu = plot.createContextMenu();
            QStringList items;
            for (QAction* a : menu->actions()) {
                QVERIFY2(a->text().contains(QLatin1Char('&')), qPrintable(a->text()));
                items << a->text();
            }
            QCOMPARE(items.size(), qsizetype(13));
            QVERIFY2(clashes(items).isEmpty(), qPrintable(items.join(' ')));
            sim::SimulatedLogger logger;
            CDlgSetting settings(logger, kModelAirSpeed, nullptr);
            CColorSetting colours(plot, rec, nullptr);
            for (QDialog* dlg : std::initializer_list<QDialog*>{&settings, &colours}) {
                QStringList keys;
                for (QLabel* l : dlg->findChildren<QLabel*>())
                    if (l->buddy() && !l->isHidden()) {
                        QVERIFY2(l->text().contains(QLatin1Char('&')), qPrintable(l->text()));
                        keys << l->text();
                    }
                for (QAbstractButton* b : dlg->findChildren<QAbstractButton*>())
                    if (!b->isHidden() && b->text().contains(QLatin1Char('&')))
                        keys << b->text();
                QVERIFY2(keys.size() >= 4, qPrintable(keys.join(' ')));
                QVERIFY2(clashes(keys).isEmpty(), qPrintable(keys.join(' ')));
            }
            removeUiTranslation();
        }
    }

    // A screen reader names every control of both dialogs by what it is, and hears the plot's
    // state.
    void accessibleNames() {
        setLoggerModel(kModelAirSpeed);
        const Recording rec = someRecording();
        CGraphics plot;
        plot.setData(&rec);
        sim::SimulatedLogger logger;
        CDlgSetting settings(logger, kModelAirSpeed, nullptr);
        CColorSetting colours(plot, rec, nullptr);
        for (QDialog* dlg : std::initializer_list<QDialog*>{&settings, &colours}) {
            QStringList groups;
            for (QGroupBox* g : dlg->findChildren<QGroupBox*>())
                groups << plain(g->title());
            int controls = 0;
            for (QWidget* w : dlg->findChildren<QWidget*>()) {
                const bool combo = qobject_cast<QComboBox*>(w) != nullptr;
                if (!qobject_cast<QAbstractButton*>(w) && !qobject_cast<QLineEdit*>(w) && !combo &&
                    !qobject_cast<CGraphics*>(w))
                    continue;
                if (qobject_cast<QComboBox*>(w->parentWidget()))
                    continue; // a combo box's own editor
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
                QVERIFY(a);
                // Qt 6.4 names a combo box by its current entry; its own name sits beside it.
                const QString name = combo ? w->accessibleName() : a->text(QAccessible::Name);
                const QString what = dlg->objectName() + QLatin1Char('/') + w->objectName();
                QVERIFY2(!plain(name).trimmed().isEmpty(), qPrintable(what));
                QVERIFY2(name != QStringLiteral("..."), qPrintable(what));
                QVERIFY2(!groups.contains(plain(name)), qPrintable(what + ": " + name));
                ++controls;
            }
            QVERIFY(controls >= 7);
        }

        plot.resize(800, 500);
        plot.ResetView();
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(&plot);
        QVERIFY(a);
        QCOMPARE(a->text(QAccessible::Name), QStringLiteral("Plot"));
        QString description = a->text(QAccessible::Description);
        QVERIFY2(description.contains(QStringLiteral("Logger model 86")) &&
                     description.contains(QStringLiteral("8 samples")) &&
                     description.contains(QStringLiteral("unit m/s")) &&
                     !description.contains(QStringLiteral("Readout")),
                 qPrintable(description));
        // Over sample 0 (the plot area's left edge) the description reads out its value.
        QTest::mouseMove(&plot, QPoint(plot.geometry().leftMargin, 200));
        description = a->text(QAccessible::Description);
        QVERIFY2(description.contains(QStringLiteral("Readout: NO. 0, Value: 12.00, Time: ")),
                 qPrintable(description));
    }

    // The Measurements panel's figures are reached with Tab, named, and copied from the keyboard.
    void measurementsByKeyboard() {
        MeasurementsPanel panel;
        panel.setLines({{"Min:", "1.0000 V at sample 3, x"}, {"Max:", "2.0000 V"}}, false);
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QStringList names;
        for (QLabel* l : panel.findChildren<QLabel*>()) {
            if (l->text().startsWith(QLatin1Char('1')) || l->text().startsWith(QLatin1Char('2'))) {
                QVERIFY(l->focusPolicy() & Qt::TabFocus);
                names << l->accessibleName();
            }
        }
        names.sort();
        QCOMPARE(names, (QStringList{"Max", "Min"}));
        QGuiApplication::clipboard()->clear();
        panel.widget()->setFocus();
        QTest::keyClick(panel.widget(), Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), panel.figuresText());
        QVERIFY(panel.figuresText().contains(QStringLiteral("Min:\t1.0000 V at sample 3")));
    }

    // The files the program writes are the same bytes under a German locale and language.
    void filesKeepTheirBytesInGerman() {
        QTemporaryDir english, german;
        std::setlocale(LC_ALL, "C");
        writeFiles(english.path());
        if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
            QSKIP("no de_DE.UTF-8 locale (scripts/install-deps.sh makes one)");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QVERIFY(installUiTranslation(QStringLiteral("de_DE")));
        writeFiles(german.path());
        for (const char* name : {"data.txt", "data.xls", "data.csv", "SettingConfig.ini"}) {
            const QByteArray a = test_support::readAll(english.path() + '/' + name);
            QVERIFY2(!a.isEmpty(), name);
            QVERIFY2(a == test_support::readAll(german.path() + '/' + name), name);
        }
    }
};

QUILLMARK_GUI_TEST_MAIN(LanguageTest)
#include "app_language_test.moc"
