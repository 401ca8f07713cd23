<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>CompareRuns</name>
    <message>
        <source>Failed to open document.</source>
        <translation>Das Dokument konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>At most %1 runs can be compared.</source>
        <translation>Höchstens %1 Läufe können verglichen werden.</translation>
    </message>
    <message>
        <source>Compare With</source>
        <translation>Vergleichen mit</translation>
    </message>
    <message>
        <source>Logger Files (*.smpq)</source>
        <translation>Logger-Dateien (*.smpq)</translation>
    </message>
    <message>
        <source>Runs without a valid start time stay aligned at the start.</source>
        <translation>Läufe ohne gültige Startzeit bleiben am Anfang ausgerichtet.</translation>
    </message>
    <message>
        <source>Runs</source>
        <translation>Läufe</translation>
    </message>
    <message>
        <source>Compared runs</source>
        <translation>Verglichene Läufe</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Entfernen</translation>
    </message>
    <message>
        <source>no start time</source>
        <translation>keine Startzeit</translation>
    </message>
    <message>
        <source>%1  %2  %3 samples  %4 s</source>
        <translation>%1  %2  %3 Messwerte  %4 s</translation>
    </message>
</context>
<context>
    <name>ReportExport</name>
    <message>
        <source>(not saved)</source>
        <translation>(nicht gespeichert)</translation>
    </message>
    <message>
        <source>Failed to export the report.</source>
        <translation>Der Bericht konnte nicht exportiert werden.</translation>
    </message>
    <message>
        <source>PDF Document (*.pdf)</source>
        <translation>PDF-Dokument (*.pdf)</translation>
    </message>
</context>
<context>
    <name>quillmark</name>
    <message>
        <source>Connecting...</source>
        <translation>Verbindung wird hergestellt...</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>Verbunden</translation>
    </message>
    <message>
        <source>Not Connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Quillmark</source>
        <translation>Quillmark</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Status Information</source>
        <translation>Statusinformation</translation>
    </message>
    <message>
        <source>Please select other points!</source>
        <translation>Bitte eine andere Anzahl Messpunkte wählen!</translation>
    </message>
    <message>
        <source>Any settings can&apos;t be empty!
Please retry!</source>
        <translation>Keine Einstellung darf leer sein!
Bitte erneut versuchen!</translation>
    </message>
    <message>
        <source>High Alarm must be larger than Low Alarm!
Please retry!</source>
        <translation>Der obere Alarmwert muss größer als der untere sein!
Bitte erneut versuchen!</translation>
    </message>
    <message>
        <source>Connecting fault. Ensure logger inserted and try again.</source>
        <translation>Verbindungsfehler. Bitte prüfen, ob der Logger eingesteckt ist, und erneut versuchen.</translation>
    </message>
    <message>
        <source>Failed writing data to the datalogger.</source>
        <translation>Die Daten konnten nicht zum Datenlogger geschrieben werden.</translation>
    </message>
    <message>
        <source>To start logging, you must press the button once in housing of datalogger.</source>
        <translation>Um die Aufzeichnung zu starten, drücken Sie einmal die Taste am Gehäuse des Datenloggers.</translation>
    </message>
    <message>
        <source>Datalogger is running...</source>
        <translation>Der Datenlogger zeichnet auf...</translation>
    </message>
    <message>
        <source>Failed reading data from the datalogger.</source>
        <translation>Die Daten konnten nicht vom Datenlogger gelesen werden.</translation>
    </message>
    <message>
        <source>Datalogger internal memory currently empty.</source>
        <translation>Der interne Speicher des Datenloggers ist zurzeit leer.</translation>
    </message>
    <message>
        <source>No data to view.</source>
        <translation>Keine Daten zum Anzeigen.</translation>
    </message>
    <message>
        <source>Range:</source>
        <translation>Bereich:</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Beginn:</translation>
    </message>
    <message>
        <source>End:</source>
        <translation>Ende:</translation>
    </message>
    <message>
        <source>Duration:</source>
        <translation>Dauer:</translation>
    </message>
    <message>
        <source>Unit:</source>
        <translation>Einheit:</translation>
    </message>
    <message>
        <source>Min:</source>
        <translation>Min.:</translation>
    </message>
    <message>
        <source>Max:</source>
        <translation>Max.:</translation>
    </message>
    <message>
        <source>Mean:</source>
        <translation>Mittelwert:</translation>
    </message>
    <message>
        <source>StdDev:</source>
        <translation>Standardabw.:</translation>
    </message>
    <message>
        <source>OverRange:</source>
        <translation>Überlauf:</translation>
    </message>
    <message>
        <source>AlarmHigh:</source>
        <translation>Alarm oben:</translation>
    </message>
    <message>
        <source>AlarmLow:</source>
        <translation>Alarm unten:</translation>
    </message>
    <message>
        <source>Please input between %1 and %2 %3</source>
        <translation>Bitte einen Wert zwischen %1 und %2 %3 eingeben</translation>
    </message>
    <message>
        <source>Please enter no more than %1 characters.</source>
        <translation>Bitte höchstens %1 Zeichen eingeben.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was not taken: the alarm limits take whole numbers</source>
        <translation>„%1“ wurde nicht übernommen: Die Alarmgrenzen sind ganze Zahlen</translation>
    </message>
    <message>
        <source>%1 points finished! Press View to show graph, or Cancel to exit.</source>
        <translation>%1 Messpunkte geladen! „Anzeigen“ zeigt das Diagramm, „Abbrechen“ schließt.</translation>
    </message>
    <message>
        <source>The logger reported %1 points but holds only %2; the recording keeps those %3.</source>
        <translation>Der Logger meldete %1 Messpunkte, enthält aber nur %2; die Aufzeichnung behält diese %3.</translation>
    </message>
    <message>
        <source>The logger has taken the settings, but they could not be saved: %1</source>
        <translation>Der Logger hat die Einstellungen übernommen, aber sie konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Unit(%1)</source>
        <translation>Einheit(%1)</translation>
    </message>
    <message>
        <source>1 sample</source>
        <translation>1 Messwert</translation>
    </message>
    <message>
        <source>%1 samples</source>
        <translation>%1 Messwerte</translation>
    </message>
    <message>
        <source>1 excursion</source>
        <translation>1 Überschreitung</translation>
    </message>
    <message>
        <source>%1 excursions</source>
        <translation>%1 Überschreitungen</translation>
    </message>
    <message>
        <source>at sample</source>
        <translation>bei Messwert</translation>
    </message>
    <message>
        <source>longest</source>
        <translation>längste</translation>
    </message>
    <message>
        <source>above</source>
        <translation>über</translation>
    </message>
    <message>
        <source>below</source>
        <translation>unter</translation>
    </message>
    <message>
        <source>invalid</source>
        <translation>ungültig</translation>
    </message>
    <message>
        <source>_Days</source>
        <translation>_Tage</translation>
    </message>
    <message>
        <source>_Day</source>
        <translation>_Tag</translation>
    </message>
    <message>
        <source>_Hours</source>
        <translation>_Stunden</translation>
    </message>
    <message>
        <source>_Hour</source>
        <translation>_Stunde</translation>
    </message>
    <message>
        <source>_Minutes</source>
        <translation>_Minuten</translation>
    </message>
    <message>
        <source>_Minute</source>
        <translation>_Minute</translation>
    </message>
    <message>
        <source>_Seconds</source>
        <translation>_Sekunden</translation>
    </message>
    <message>
        <source>&amp;View All</source>
        <translation>&amp;Alles anzeigen</translation>
    </message>
    <message>
        <source>M&amp;ove View</source>
        <translation>Ansicht &amp;verschieben</translation>
    </message>
    <message>
        <source>&amp;Zoom In</source>
        <translation>Ver&amp;größern</translation>
    </message>
    <message>
        <source>&amp;ColorSetting</source>
        <translation>&amp;Farbeinstellung</translation>
    </message>
    <message>
        <source>Grid &amp;X</source>
        <translation>Gitter &amp;X</translation>
    </message>
    <message>
        <source>Grid &amp;Y</source>
        <translation>Gitter &amp;Y</translation>
    </message>
    <message>
        <source>&amp;MaskPoints</source>
        <translation>&amp;Messpunkte markieren</translation>
    </message>
    <message>
        <source>&amp;Alarm Line</source>
        <translation>Alarm&amp;linien</translation>
    </message>
    <message>
        <source>Unit(m/&amp;s)</source>
        <translation>Einheit(m/&amp;s)</translation>
    </message>
    <message>
        <source>Unit(&amp;ft/min)</source>
        <translation>Einheit(f&amp;t/min)</translation>
    </message>
    <message>
        <source>Unit(&amp;knots)</source>
        <translation>Einheit(&amp;knots)</translation>
    </message>
    <message>
        <source>Unit(km/&amp;h)</source>
        <translation>Einheit(km/&amp;h)</translation>
    </message>
    <message>
        <source>Unit(M&amp;PH)</source>
        <translation>Einheit(M&amp;PH)</translation>
    </message>
    <message>
        <source>NO.</source>
        <translation>Nr.</translation>
    </message>
    <message>
        <source>Value:</source>
        <translation>Wert:</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Zeit:</translation>
    </message>
    <message>
        <source>Average:</source>
        <translation>Mittelwert:</translation>
    </message>
    <message>
        <source>%1hr</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <source>%1m</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <source>%1s</source>
        <translation>%1 s</translation>
    </message>
</context>
<context>
    <name>quillmark::AnalyzeCommands</name>
    <message>
        <source>Failed to export the image.</source>
        <translation>Das Bild konnte nicht exportiert werden.</translation>
    </message>
    <message>
        <source>PNG Image (*.png)</source>
        <translation>PNG-Bild (*.png)</translation>
    </message>
    <message>
        <source>PNG Image, double resolution (*.png)</source>
        <translation>PNG-Bild, doppelte Auflösung (*.png)</translation>
    </message>
    <message>
        <source>PNG Image, triple resolution (*.png)</source>
        <translation>PNG-Bild, dreifache Auflösung (*.png)</translation>
    </message>
    <message>
        <source>SVG Image (*.svg)</source>
        <translation>SVG-Bild (*.svg)</translation>
    </message>
</context>
<context>
    <name>quillmark::CAboutDlg</name>
    <message>
        <source>About Quillmark</source>
        <translation>Über Quillmark</translation>
    </message>
    <message>
        <source>Quillmark Version %1</source>
        <translation>Quillmark Version %1</translation>
    </message>
</context>
<context>
    <name>quillmark::CColorSetting</name>
    <message>
        <source>Color Setting</source>
        <translation>Farbeinstellung</translation>
    </message>
    <message>
        <source>&amp;Background Color</source>
        <translation>&amp;Hintergrundfarbe</translation>
    </message>
    <message>
        <source>Choose the background color</source>
        <translation>Hintergrundfarbe wählen</translation>
    </message>
    <message>
        <source>B&amp;order Color</source>
        <translation>&amp;Randfarbe</translation>
    </message>
    <message>
        <source>Choose the border color</source>
        <translation>Randfarbe wählen</translation>
    </message>
    <message>
        <source>&amp;Grid Color</source>
        <translation>&amp;Gitterfarbe</translation>
    </message>
    <message>
        <source>Choose the grid color</source>
        <translation>Gitterfarbe wählen</translation>
    </message>
    <message>
        <source>&amp;Line Color</source>
        <translation>&amp;Linienfarbe</translation>
    </message>
    <message>
        <source>Choose the line color</source>
        <translation>Linienfarbe wählen</translation>
    </message>
    <message>
        <source>&amp;Default</source>
        <translation>&amp;Standard</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>The colours could not be saved.
%1</source>
        <translation>Die Farben konnten nicht gespeichert werden.
%1</translation>
    </message>
</context>
<context>
    <name>quillmark::CDlgDownload</name>
    <message>
        <source>&amp;Download</source>
        <translation>&amp;Herunterladen</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Anzeigen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Press Download to stop logging and load data from logger,or Cancel to exit</source>
        <translation>„Herunterladen“ beendet die Aufzeichnung und lädt die Daten aus dem Logger, „Abbrechen“ schließt.</translation>
    </message>
    <message>
        <source>Reading the logger&apos;s memory; Cancel stops the download.</source>
        <translation>Der Speicher des Loggers wird gelesen; „Abbrechen“ beendet das Herunterladen.</translation>
    </message>
    <message>
        <source>Download cancelled; the recording is unchanged.
</source>
        <translation>Herunterladen abgebrochen; die Aufzeichnung ist unverändert.
</translation>
    </message>
    <message>
        <source>Stopping the download...</source>
        <translation>Herunterladen wird beendet...</translation>
    </message>
</context>
<context>
    <name>quillmark::CDlgProgress</name>
    <message>
        <source>%1 of %2 pages read</source>
        <translation>%1 von %2 Seiten gelesen</translation>
    </message>
</context>
<context>
    <name>quillmark::CDlgSetting</name>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Basic Settings</source>
        <translation>Grundeinstellungen</translation>
    </message>
    <message>
        <source>Logger&amp;Name:</source>
        <translation>Logger&amp;name:</translation>
    </message>
    <message>
        <source>Logger name</source>
        <translation>Loggername</translation>
    </message>
    <message>
        <source>Max.15 characters!</source>
        <translation>Max. 15 Zeichen!</translation>
    </message>
    <message>
        <source>Model Select:</source>
        <translation>Startmodus:</translation>
    </message>
    <message>
        <source>&amp;Manual</source>
        <translation>&amp;Manuell</translation>
    </message>
    <message>
        <source>&amp;Instant</source>
        <translation>&amp;Sofort</translation>
    </message>
    <message>
        <source>Ca&amp;libration</source>
        <translation>Ka&amp;librierung</translation>
    </message>
    <message>
        <source>Start mode: Manual</source>
        <translation>Startmodus: Manuell</translation>
    </message>
    <message>
        <source>Start mode: Instant</source>
        <translation>Startmodus: Sofort</translation>
    </message>
    <message>
        <source>Start mode: Calibration</source>
        <translation>Startmodus: Kalibrierung</translation>
    </message>
    <message>
        <source>&amp;Current Time:</source>
        <translation>&amp;Aktuelle Zeit:</translation>
    </message>
    <message>
        <source>Current time</source>
        <translation>Aktuelle Zeit</translation>
    </message>
    <message>
        <source>Simple &amp;Points:</source>
        <translation>Mess&amp;punkte:</translation>
    </message>
    <message>
        <source>Sample points</source>
        <translation>Messpunkte</translation>
    </message>
    <message>
        <source>Sample &amp;Rate:</source>
        <translation>Mess&amp;rate:</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Messrate</translation>
    </message>
    <message>
        <source>Recording &amp;Time:</source>
        <translation>Aufzeichnungs&amp;dauer:</translation>
    </message>
    <message>
        <source>Recording time</source>
        <translation>Aufzeichnungsdauer</translation>
    </message>
    <message>
        <source>LED Flash Cycle::</source>
        <translation>LED-Blinkintervall:</translation>
    </message>
    <message>
        <source>&amp;%1s</source>
        <translation>&amp;%1 s</translation>
    </message>
    <message>
        <source>LED flash cycle: %1 seconds</source>
        <translation>LED-Blinkintervall: %1 Sekunden</translation>
    </message>
    <message>
        <source>Alarm Settings</source>
        <translation>Alarmeinstellungen</translation>
    </message>
    <message>
        <source>LED &amp;flash for high and low alarm</source>
        <translation>LED &amp;blinkt bei oberem und unterem Alarm</translation>
    </message>
    <message>
        <source>L&amp;ow Alarm:</source>
        <translation>&amp;Unterer Alarm:</translation>
    </message>
    <message>
        <source>Low alarm</source>
        <translation>Unterer Alarm</translation>
    </message>
    <message>
        <source>&amp;High Alarm:</source>
        <translation>&amp;Oberer Alarm:</translation>
    </message>
    <message>
        <source>High alarm</source>
        <translation>Oberer Alarm</translation>
    </message>
    <message>
        <source>&amp;Unit:</source>
        <translation>&amp;Einheit:</translation>
    </message>
    <message>
        <source>Alarm unit</source>
        <translation>Alarmeinheit</translation>
    </message>
    <message>
        <source>&amp;Default</source>
        <translation>S&amp;tandard</translation>
    </message>
    <message>
        <source>&amp;Setup</source>
        <translation>&amp;Übertragen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>quillmark::CGraphics</name>
    <message>
        <source>Plot</source>
        <translation>Diagramm</translation>
    </message>
    <message>
        <source>Logger model %1; no recording.</source>
        <translation>Loggermodell %1; keine Aufzeichnung.</translation>
    </message>
    <message>
        <source>Logger model %1; %2 samples; unit %3; values in view from %4 to %5.</source>
        <translation>Loggermodell %1; %2 Messwerte; Einheit %3; sichtbare Werte von %4 bis %5.</translation>
    </message>
    <message>
        <source>Readout: NO. %1, Value: %2, Time: %3.</source>
        <translation>Anzeige: Nr. %1, Wert: %2, Zeit: %3.</translation>
    </message>
</context>
<context>
    <name>quillmark::CMainFrame</name>
    <message>
        <source>Tip</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Save Data?</source>
        <translation>Daten speichern?</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>download data</source>
        <translation>Daten herunterladen</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>Einstellung</translation>
    </message>
    <message>
        <source>setting</source>
        <translation>Loggereinstellung</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <source>Open an existing document</source>
        <translation>Ein vorhandenes Dokument öffnen</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Speichern unter</translation>
    </message>
    <message>
        <source>Save the active document with a new name</source>
        <translation>Das aktive Dokument unter einem neuen Namen speichern</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Print the active document</source>
        <translation>Das aktive Dokument drucken</translation>
    </message>
    <message>
        <source>View all</source>
        <translation>Alles anzeigen</translation>
    </message>
    <message>
        <source>view all graph</source>
        <translation>Das ganze Diagramm anzeigen</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>zoom in</source>
        <translation>Ausschnitt vergrößern</translation>
    </message>
    <message>
        <source>Move</source>
        <translation>Verschieben</translation>
    </message>
    <message>
        <source>move view</source>
        <translation>Ansicht verschieben</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright</source>
        <translation>Programminformation, Versionsnummer und Copyright anzeigen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Open...	Ctrl+O</source>
        <translation>Ö&amp;ffnen...	Strg+O</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Export to Excel</source>
        <translation>Nach &amp;Excel exportieren</translation>
    </message>
    <message>
        <source>Expor&amp;t Report...	Ctrl+R</source>
        <translation>Beric&amp;ht exportieren...	Strg+R</translation>
    </message>
    <message>
        <source>&amp;Print...	Ctrl+P</source>
        <translation>&amp;Drucken...	Strg+P</translation>
    </message>
    <message>
        <source>Print Pre&amp;view</source>
        <translation>Druck&amp;vorschau</translation>
    </message>
    <message>
        <source>P&amp;rint Setup...</source>
        <translation>Druckeinrich&amp;tung...</translation>
    </message>
    <message>
        <source>Recent &amp;File</source>
        <translation>&amp;Zuletzt geöffnete Datei</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Symbolleiste</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>Status&amp;leiste</translation>
    </message>
    <message>
        <source>&amp;ColorSetting</source>
        <translation>&amp;Farbeinstellung</translation>
    </message>
    <message>
        <source>&amp;GridLines</source>
        <translation>&amp;Gitterlinien</translation>
    </message>
    <message>
        <source>&amp;X Axis</source>
        <translation>&amp;X-Achse</translation>
    </message>
    <message>
        <source>&amp;Y Axis</source>
        <translation>&amp;Y-Achse</translation>
    </message>
    <message>
        <source>&amp;Mask Points</source>
        <translation>&amp;Messpunkte markieren</translation>
    </message>
    <message>
        <source>&amp;Alarm Line</source>
        <translation>&amp;Alarmlinien</translation>
    </message>
    <message>
        <source>&amp;View All</source>
        <translation>Alles a&amp;nzeigen</translation>
    </message>
    <message>
        <source>M&amp;ove View</source>
        <translation>Ansicht versc&amp;hieben</translation>
    </message>
    <message>
        <source>&amp;Zoom In</source>
        <translation>&amp;Vergrößern</translation>
    </message>
    <message>
        <source>&amp;Link</source>
        <translation>&amp;Verbindung</translation>
    </message>
    <message>
        <source>&amp;Logger Setting</source>
        <translation>&amp;Loggereinstellung</translation>
    </message>
    <message>
        <source>&amp;Data Download</source>
        <translation>&amp;Daten herunterladen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Inhalt</translation>
    </message>
    <message>
        <source>&amp;About Quillmark...</source>
        <translation>&amp;Über Quillmark...</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Neu</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>&amp;Analyze</source>
        <translation>A&amp;nalyse</translation>
    </message>
    <message>
        <source>&amp;Fit Values</source>
        <translation>Werte ein&amp;passen</translation>
    </message>
    <message>
        <source>Fit the value axis to the samples in view</source>
        <translation>Die Werteachse an die sichtbaren Messwerte anpassen</translation>
    </message>
    <message>
        <source>&amp;Measure</source>
        <translation>&amp;Messen</translation>
    </message>
    <message>
        <source>Drag across the plot to measure a range of samples</source>
        <translation>Über das Diagramm ziehen, um einen Bereich von Messwerten zu messen</translation>
    </message>
    <message>
        <source>Pan &amp;Left</source>
        <translation>Nach &amp;links</translation>
    </message>
    <message>
        <source>Move the view back by a tenth of its width</source>
        <translation>Die Ansicht um ein Zehntel ihrer Breite zurückschieben</translation>
    </message>
    <message>
        <source>Pan &amp;Right</source>
        <translation>Nach &amp;rechts</translation>
    </message>
    <message>
        <source>Move the view on by a tenth of its width</source>
        <translation>Die Ansicht um ein Zehntel ihrer Breite weiterschieben</translation>
    </message>
    <message>
        <source>&amp;Page Left</source>
        <translation>&amp;Seite nach links</translation>
    </message>
    <message>
        <source>Move the view back by its whole width</source>
        <translation>Die Ansicht um ihre ganze Breite zurückschieben</translation>
    </message>
    <message>
        <source>Page Ri&amp;ght</source>
        <translation>Seite nach rec&amp;hts</translation>
    </message>
    <message>
        <source>Move the view on by its whole width</source>
        <translation>Die Ansicht um ihre ganze Breite weiterschieben</translation>
    </message>
    <message>
        <source>Zoom Time &amp;In</source>
        <translation>Zeitachse &amp;vergrößern</translation>
    </message>
    <message>
        <source>Show half the time span about the middle</source>
        <translation>Die halbe Zeitspanne um die Mitte zeigen</translation>
    </message>
    <message>
        <source>Zoom Time &amp;Out</source>
        <translation>Zeitachse ver&amp;kleinern</translation>
    </message>
    <message>
        <source>Show twice the time span about the middle</source>
        <translation>Die doppelte Zeitspanne um die Mitte zeigen</translation>
    </message>
    <message>
        <source>&amp;Export Image...</source>
        <translation>Bild &amp;exportieren...</translation>
    </message>
    <message>
        <source>Save the plot as shown as a PNG or SVG image</source>
        <translation>Das Diagramm wie angezeigt als PNG- oder SVG-Bild speichern</translation>
    </message>
    <message>
        <source>&amp;Copy Image</source>
        <translation>Bild k&amp;opieren</translation>
    </message>
    <message>
        <source>Copy the plot as shown to the clipboard</source>
        <translation>Das Diagramm wie angezeigt in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Symbolleiste</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>Compare &amp;With...</source>
        <translation>Ver&amp;gleichen mit...</translation>
    </message>
    <message>
        <source>Lay other recordings over the shown one</source>
        <translation>Andere Aufzeichnungen über die angezeigte legen</translation>
    </message>
    <message>
        <source>Clear Compari&amp;son</source>
        <translation>Vergleich &amp;aufheben</translation>
    </message>
    <message>
        <source>Remove every compared run</source>
        <translation>Alle verglichenen Läufe entfernen</translation>
    </message>
    <message>
        <source>&amp;Align Runs</source>
        <translation>Läufe a&amp;usrichten</translation>
    </message>
    <message>
        <source>At &amp;Start</source>
        <translation>Am &amp;Start</translation>
    </message>
    <message>
        <source>By &amp;Clock</source>
        <translation>Nach &amp;Uhrzeit</translation>
    </message>
    <message>
        <source>Start every compared run with the shown recording</source>
        <translation>Jeden verglichenen Lauf mit der angezeigten Aufzeichnung beginnen</translation>
    </message>
    <message>
        <source>Place every compared run by its own start time</source>
        <translation>Jeden verglichenen Lauf nach seiner eigenen Startzeit platzieren</translation>
    </message>
</context>
<context>
    <name>quillmark::CSkeinApp</name>
    <message>
        <source>Failed to print the document.</source>
        <translation>Das Dokument konnte nicht gedruckt werden.</translation>
    </message>
    <message>
        <source>The manual could not be opened. It is installed at:
%1</source>
        <translation>Das Handbuch konnte nicht geöffnet werden. Es ist installiert unter:
%1</translation>
    </message>
</context>
<context>
    <name>quillmark::CSkeinDoc</name>
    <message>
        <source>Logger Files (*.smpq)</source>
        <translation>Logger-Dateien (*.smpq)</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Failed to open document.
</source>
        <translation>Das Dokument konnte nicht geöffnet werden.
</translation>
    </message>
    <message>
        <source>Failed to open document.</source>
        <translation>Das Dokument konnte nicht geöffnet werden.</translation>
    </message>
    <message>
        <source>Failed to save document.</source>
        <translation>Das Dokument konnte nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>Data File(*.txt *.smpq)</source>
        <translation>Datendatei (*.txt *.smpq)</translation>
    </message>
    <message>
        <source>Data File(*.xls)</source>
        <translation>Datendatei (*.xls)</translation>
    </message>
</context>
<context>
    <name>quillmark::CSkeinView</name>
    <message>
        <source>The command could not be carried out: the recording&apos;s start time is not valid.</source>
        <translation>Der Befehl konnte nicht ausgeführt werden: Die Startzeit der Aufzeichnung ist ungültig.</translation>
    </message>
    <message>
        <source>Tip</source>
        <translation>Hinweis</translation>
    </message>
    <message>
        <source>Close Window?</source>
        <translation>Fenster schließen?</translation>
    </message>
</context>
<context>
    <name>quillmark::MeasurementsPanel</name>
    <message>
        <source>Measurements</source>
        <translation>Messungen</translation>
    </message>
    <message>
        <source>&amp;Copy Figures</source>
        <translation>Werte &amp;kopieren</translation>
    </message>
    <message>
        <source>No samples</source>
        <translation>Keine Messwerte</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Auswahl</translation>
    </message>
    <message>
        <source>Visible window</source>
        <translation>Sichtbarer Ausschnitt</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>Messreihe</translation>
    </message>
    <message>
        <source>Samples</source>
        <translation>Messwerte</translation>
    </message>
    <message>
        <source>Min</source>
        <translation>Min.</translation>
    </message>
    <message>
        <source>Max</source>
        <translation>Max.</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>Mittelwert</translation>
    </message>
    <message>
        <source>Std. dev.</source>
        <translation>Standardabw.</translation>
    </message>
    <message>
        <source>Over range</source>
        <translation>Überlauf</translation>
    </message>
    <message>
        <source>At pointer</source>
        <translation>Am Zeiger</translation>
    </message>
</context>
</TS>
