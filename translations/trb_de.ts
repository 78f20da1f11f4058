<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>trb::gui::ConnectionDialog</name>
    <message>
        <source>database connection</source>
        <translation>Datenbankverbindung</translation>
    </message>
    <message>
        <source>The database cannot be opened:
%1</source>
        <translation>Die Datenbank kann nicht geöffnet werden:
%1</translation>
    </message>
    <message>
        <source>database file ...</source>
        <translation>Datenbankdatei ...</translation>
    </message>
    <message>
        <source>connection string:</source>
        <translation>Verbindungszeichenfolge:</translation>
    </message>
    <message>
        <source>Where is the database ?</source>
        <translation>Wo ist die Datenbank ?</translation>
    </message>
    <message>
        <source>databases (*.sqlite *.db *.mdb *.accdb);;all files (*)</source>
        <translation>Datenbanken (*.sqlite *.db *.mdb *.accdb);;alle Dateien (*)</translation>
    </message>
</context>
<context>
    <name>trb::gui::MainWindow</name>
    <message>
        <source>TRB &amp;ndash; soil organic matter balance</source>
        <translation>TRB &amp;ndash; Bilanz der organischen Bodensubstanz</translation>
    </message>
    <message>
        <source>databases (*.sqlite *.db *.mdb *.accdb);;all files (*)</source>
        <translation>Datenbanken (*.sqlite *.db *.mdb *.accdb);;alle Dateien (*)</translation>
    </message>
    <message>
        <source>Where is the database ?</source>
        <translation>Wo ist die Datenbank ?</translation>
    </message>
    <message>
        <source>Plot &amp;Selection</source>
        <translation>&amp;Daten Verarbeiten</translation>
    </message>
    <message>
        <source>&amp;Climate Data</source>
        <translation>&amp;Klimadaten</translation>
    </message>
    <message>
        <source>&amp;Parameters</source>
        <translation>&amp;Parameter</translation>
    </message>
    <message>
        <source>S&amp;QL - module</source>
        <translation>S&amp;QL-Datenrecherche</translation>
    </message>
    <message>
        <source>Data &amp;Transfer</source>
        <translation>Daten&amp;transfer</translation>
    </message>
    <message>
        <source>Settin&amp;gs</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>Change System &amp;Database</source>
        <translation>&amp;Auswahl der Datenbank</translation>
    </message>
    <message>
        <source>&amp;End</source>
        <translation>E&amp;nde</translation>
    </message>
    <message>
        <source>system database=</source>
        <translation>Systemdatenbank=</translation>
    </message>
    <message>
        <source>Where are the PDF-documents ?</source>
        <translation>Wo sind die PDF-Dokumente ?</translation>
    </message>
    <message>
        <source>PDF-files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
    <message>
        <source>Where is the PDF-reader ?</source>
        <translation>Wo ist der PDF-Leser ?</translation>
    </message>
    <message>
        <source>executables (*)</source>
        <translation>Programme (*)</translation>
    </message>
    <message>
        <source>The database %1 does not exist.</source>
        <translation>Die Datenbank %1 existiert nicht.</translation>
    </message>
    <message>
        <source>&amp;Choose another file...</source>
        <translation>Andere Datei &amp;wählen...</translation>
    </message>
    <message>
        <source>Continue &amp;without a database</source>
        <translation>&amp;Ohne Datenbank fortfahren</translation>
    </message>
    <message>
        <source>The system database is now %1.</source>
        <translation>Die Systemdatenbank ist jetzt %1.</translation>
    </message>
    <message>
        <source>R scripts reach the database through the ODBC user data source T_R_B, which is missing:</source>
        <translation>R-Skripte erreichen die Datenbank über die ODBC-Benutzerdatenquelle T_R_B, die fehlt:</translation>
    </message>
</context>
<context>
    <name>trb::gui::SimulatorWindow</name>
    <message>
        <source>R analyses are not available in this version</source>
        <translation>R-Auswertungen sind in dieser Version noch nicht verfügbar</translation>
    </message>
    <message>
        <source>messages</source>
        <translation>Meldungen</translation>
    </message>
    <message>
        <source>histogram</source>
        <translation>Histogramm</translation>
    </message>
    <message>
        <source>assessment</source>
        <translation>Bewertung</translation>
    </message>
    <message>
        <source>database cannot be opened: %1</source>
        <translation>Datenbank kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>databases (*.sqlite *.db *.mdb *.accdb);;all files (*)</source>
        <translation>Datenbanken (*.sqlite *.db *.mdb *.accdb);;alle Dateien (*)</translation>
    </message>
    <message>
        <source>database: %1</source>
        <translation>Datenbank: %1</translation>
    </message>
    <message>
        <source>%1 written in %2</source>
        <translation>%1 geschrieben in %2</translation>
    </message>
    <message>
        <source>stopped: %1 of %2 plots calculated; the other plots keep their earlier results</source>
        <translation>abgebrochen: %1 von %2 Flächen berechnet; die übrigen Flächen behalten ihre früheren Ergebnisse</translation>
    </message>
    <message>
        <source>stopped before the balance: the result tables are as they were</source>
        <translation>abgebrochen vor der Bilanz: die Ergebnistabellen sind unverändert</translation>
    </message>
    <message>
        <source>the calculation was stopped</source>
        <translation>die Berechnung wurde abgebrochen</translation>
    </message>
    <message>
        <source>calculation stopped: %1</source>
        <translation>Berechnung abgebrochen: %1</translation>
    </message>
    <message>
        <source>&amp;database</source>
        <translation>&amp;Datenbank</translation>
    </message>
    <message>
        <source>&amp;calculate</source>
        <translation>&amp;berechnen</translation>
    </message>
    <message>
        <source>recalc &amp;BAT</source>
        <translation>BAT &amp;neu berechnen</translation>
    </message>
    <message>
        <source>&amp;run r-script</source>
        <translation>&amp;R-Skript ausführen</translation>
    </message>
    <message>
        <source>&amp;close</source>
        <translation>&amp;schließen</translation>
    </message>
    <message>
        <source>database</source>
        <translation>Datenbank</translation>
    </message>
</context>
<context>
    <name>trb::gui::SettingsDialog</name>
    <message>
        <source>double click: the current folder</source>
        <translation>Doppelklick: der aktuelle Ordner</translation>
    </message>
    <message>
        <source>&amp;save + return</source>
        <translation>&amp;speichern + zurück</translation>
    </message>
    <message>
        <source>&amp;cancel</source>
        <translation>&amp;abbrechen</translation>
    </message>
    <message>
        <source>Where is the PDF-reader ?</source>
        <translation>Wo ist der PDF-Leser ?</translation>
    </message>
    <message>
        <source>Where are the PDF-documents ?</source>
        <translation>Wo sind die PDF-Dokumente ?</translation>
    </message>
    <message>
        <source>PDF-files (*.pdf)</source>
        <translation>PDF-Dateien (*.pdf)</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 bis %2</translation>
    </message>
</context>
<context>
    <name>trb::settings</name>
    <message>
        <source>TRB settings</source>
        <translation>TRB Einstellungen</translation>
    </message>
    <message>
        <source>"%1": "%2" is not a whole number.</source>
        <translation>"%1": "%2" ist keine ganze Zahl.</translation>
    </message>
    <message>
        <source>"%1": "%2" is not a number.</source>
        <translation>"%1": "%2" ist keine Zahl.</translation>
    </message>
    <message>
        <source>"%1": %2 is outside the allowed range %3 to %4.</source>
        <translation>"%1": %2 liegt außerhalb des erlaubten Bereichs %3 bis %4.</translation>
    </message>
    <message>
        <source>"%1": "%2" is none of %3.</source>
        <translation>"%1": "%2" ist keiner der Werte %3.</translation>
    </message>
</context>
<context>
    <name>trb::gui::BrowserWindow</name>
    <message>
        <source>Update-Statistics</source>
        <translation>Statistik aktualisieren</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Basic-Info</source>
        <translation>Standortdaten</translation>
    </message>
    <message>
        <source>Management</source>
        <translation>Bewirtschaftung</translation>
    </message>
    <message>
        <source>Observation</source>
        <translation>Messwerte</translation>
    </message>
    <message>
        <source>C-dynamics</source>
        <translation>Ergebnisse: Corg</translation>
    </message>
    <message>
        <source>N-dynamics</source>
        <translation>Ergebnisse: Nt</translation>
    </message>
    <message>
        <source>micr.BM</source>
        <translation>Ergebnisse: Cmic</translation>
    </message>
    <message>
        <source>misc.results</source>
        <translation>weitere Ergebnisse</translation>
    </message>
    <message>
        <source>OM-turnover</source>
        <translation>Humusbilanz</translation>
    </message>
    <message>
        <source>N-balance</source>
        <translation>N-Bilanz</translation>
    </message>
    <message>
        <source>reading the database ...</source>
        <translation>Datenbank wird gelesen ...</translation>
    </message>
    <message>
        <source>Click a plot in the tree to see its data.</source>
        <translation>Klicken Sie auf eine Fläche im Baum, um ihre Daten zu sehen.</translation>
    </message>
    <message>
        <source>choose plots for simulation</source>
        <translation>gewünschte Flächen auswählen</translation>
    </message>
    <message>
        <source>'%1' is not a valid integer value.</source>
        <translation>'%1' ist keine gültige ganze Zahl.</translation>
    </message>
</context>
<context>
    <name>trb::gui::PlotTree</name>
    <message>
        <source>experiment</source>
        <translation>Betrieb</translation>
    </message>
    <message>
        <source>delete experiment</source>
        <translation>Betrieb löschen</translation>
    </message>
    <message>
        <source>experiment simulation</source>
        <translation>Betrieb rechnen</translation>
    </message>
    <message>
        <source>experiment report</source>
        <translation>Dokumentation Betrieb</translation>
    </message>
    <message>
        <source>show references</source>
        <translation>Literatur</translation>
    </message>
    <message>
        <source>shift plots  FL_ID</source>
        <translation>Flächen ID anpassen</translation>
    </message>
    <message>
        <source>shift experiment ID</source>
        <translation>Betrieb ID anpassen</translation>
    </message>
    <message>
        <source>add a new plot</source>
        <translation>neue Fläche anlegen</translation>
    </message>
    <message>
        <source>delete active plot</source>
        <translation>akt. Fläche löschen</translation>
    </message>
    <message>
        <source>create a new experiment</source>
        <translation>neuer Betrieb</translation>
    </message>
    <message>
        <source>database simulation</source>
        <translation>Datenbank rechnen</translation>
    </message>
    <message>
        <source>site condition report</source>
        <translation>Bericht: Standorte</translation>
    </message>
    <message>
        <source>Update-Statistics</source>
        <translation>Statistik aktualisieren</translation>
    </message>
    <message>
        <source>N-balance</source>
        <translation>N-Bilanz</translation>
    </message>
    <message>
        <source>"R" interface</source>
        <translation>"R"-Schnittstelle</translation>
    </message>
    <message>
        <source>script based statistics</source>
        <translation>Skript basierte Auswertung</translation>
    </message>
    <message>
        <source>files</source>
        <translation>Tabellen</translation>
    </message>
    <message>
        <source>plots</source>
        <translation>Schläge</translation>
    </message>
</context>
<context>
    <name>trb::gui::SitePage</name>
    <message>
        <source>Site Conditions</source>
        <translation>Standortbedingungen</translation>
    </message>
    <message>
        <source>soil</source>
        <translation>Boden</translation>
    </message>
    <message>
        <source>weather</source>
        <translation>Wetter</translation>
    </message>
    <message>
        <source>1st year</source>
        <translation>Startjahr</translation>
    </message>
    <message>
        <source>area</source>
        <translation>Fläche</translation>
    </message>
    <message>
        <source>plot</source>
        <translation>Schlagname</translation>
    </message>
    <message>
        <source>source</source>
        <translation>Schlagnummer</translation>
    </message>
    <message>
        <source>state</source>
        <translation>Feldblocknummer</translation>
    </message>
    <message>
        <source>biol. active time [d/yr]</source>
        <translation>BioAktivität (BAT) (d/Jahr)</translation>
    </message>
    <message>
        <source>print site desc.</source>
        <translation>Ausgabe Standortdaten</translation>
    </message>
    <message>
        <source>update changes</source>
        <translation>Änderung Speichern</translation>
    </message>
    <message>
        <source>show references</source>
        <translation>Literatur</translation>
    </message>
    <message>
        <source>model run (plot)</source>
        <translation>Modell_Start</translation>
    </message>
</context>
<context>
    <name>trb::gui::ManagementPage</name>
    <message>
        <source>DATE</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>ACTION</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>SUBJECT</source>
        <translation>Objekt</translation>
    </message>
    <message>
        <source>INTENSITY</source>
        <translation>Menge</translation>
    </message>
    <message>
        <source>UNIT</source>
        <translation>Einheit</translation>
    </message>
    <message>
        <source>selection:</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>all</source>
        <translation>Alles</translation>
    </message>
    <message>
        <source>harvest</source>
        <translation>Anbau</translation>
    </message>
    <message>
        <source>org.amendment</source>
        <translation>org.Dünger</translation>
    </message>
    <message>
        <source>N fertilizer</source>
        <translation>min.N-Dng.</translation>
    </message>
    <message>
        <source>confirm operation</source>
        <translation>bitte bestätigen</translation>
    </message>
    <message>
        <source>delete the selected record ?</source>
        <translation>Ausgewählten Satz löschen ?</translation>
    </message>
    <message>
        <source>you are about to copy management data into plot </source>
        <translation>Sie kopieren Bewirtschaftungsdaten nach Fläche </translation>
    </message>
    <message>
        <source> - continue ?</source>
        <translation> - fortsetzen ?</translation>
    </message>
    <message>
        <source>transfer of management data               </source>
        <translation>Transfer von Bewirtschaftungsdaten</translation>
    </message>
    <message>
        <source> records copied </source>
        <translation> Sätze kopiert </translation>
    </message>
</context>
<context>
    <name>trb::gui::ObservationPage</name>
    <message>
        <source>datum</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>property</source>
        <translation>Merkmal</translation>
    </message>
    <message>
        <source>value</source>
        <translation>Messwert</translation>
    </message>
    <message>
        <source>y_nr</source>
        <translation>Jahr#</translation>
    </message>
    <message>
        <source>&amp;show this property only</source>
        <translation>nur dieses Merkmal anzeugen</translation>
    </message>
    <message>
        <source>&amp;show all properties</source>
        <translation>alle Merkmale anzeigen</translation>
    </message>
    <message>
        <source>Please choose the property first.</source>
        <translation>Bitte zuerst das Merkmal wählen.</translation>
    </message>
    <message>
        <source>confirm operation</source>
        <translation>bitte bestätigen</translation>
    </message>
    <message>
        <source>delete the selected measurement ?</source>
        <translation>Ausgewählten Messwert löschen ?</translation>
    </message>
    <message>
        <source>you are about to copy measurement data into plot </source>
        <translation>Sie kopieren Messergebnisse nach Fläche </translation>
    </message>
    <message>
        <source> - continue ?</source>
        <translation> - fortsetzen ?</translation>
    </message>
    <message>
        <source>transfer of measuremet data               </source>
        <translation>Transfer von Messwerten</translation>
    </message>
    <message>
        <source> records copied </source>
        <translation> Sätze kopiert </translation>
    </message>
</context>
<context>
    <name>trb::gui::SelectionPanel</name>
    <message>
        <source>all</source>
        <translation>alles</translation>
    </message>
    <message>
        <source>none</source>
        <translation>nichts</translation>
    </message>
    <message>
        <source>invert</source>
        <translation>invers</translation>
    </message>
    <message>
        <source>model run for selection</source>
        <translation>Modellstart für Auswahl</translation>
    </message>
</context>
<context>
    <name>trb::gui::RepeatControls</name>
    <message>
        <source>repeat</source>
        <translation>wiederholen</translation>
    </message>
    <message>
        <source>from</source>
        <translation>ab</translation>
    </message>
</context>
<context>
    <name>trb::gui::FilesView</name>
    <message>
        <source>Management</source>
        <translation>Bewirtschaftung</translation>
    </message>
    <message>
        <source>Observation</source>
        <translation>Messwerte</translation>
    </message>
    <message>
        <source>apply filter</source>
        <translation>Filter anwenden</translation>
    </message>
    <message>
        <source>filter condition</source>
        <translation>Filter</translation>
    </message>
</context>
<context>
    <name>trb::gui::PhaseDialog</name>
    <message>
        <source>select temporal phase for statistics</source>
        <translation>Zeitraum für die Statistik wählen</translation>
    </message>
    <message>
        <source>time intervall</source>
        <translation>Zeitintervall</translation>
    </message>
    <message>
        <source>all records</source>
        <translation>alle Datensätze</translation>
    </message>
    <message>
        <source>early years</source>
        <translation>frühe Jahre</translation>
    </message>
    <message>
        <source>late years</source>
        <translation>späte Jahre</translation>
    </message>
    <message>
        <source>continue</source>
        <translation>weiter</translation>
    </message>
</context>
<context>
    <name>FilesView</name>
    <message>
        <source>filter condition</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>more than one statement</source>
        <translation>mehr als eine Anweisung</translation>
    </message>
    <message>
        <source>The filter condition is empty.</source>
        <translation>Die Filterbedingung ist leer.</translation>
    </message>
    <message>
        <source>The filter condition is not one expression: %1</source>
        <translation>Die Filterbedingung ist kein einzelner Ausdruck: %1</translation>
    </message>
    <message>
        <source>The filter condition is not one expression.</source>
        <translation>Die Filterbedingung ist kein einzelner Ausdruck.</translation>
    </message>
    <message>
        <source>The filter cannot be applied: %1</source>
        <translation>Der Filter kann nicht angewendet werden: %1</translation>
    </message>
    <message>
        <source>The table cannot be opened: %1</source>
        <translation>Die Tabelle kann nicht geöffnet werden: %1</translation>
    </message>
</context>
<context>
    <name>trb::db</name>
    <message>
        <source>The database file %1 does not exist.</source>
        <translation>Die Datenbankdatei %1 existiert nicht.</translation>
    </message>
    <message>
        <source>The file %1 is not a trb database.</source>
        <translation>Die Datei %1 ist keine trb-Datenbank.</translation>
    </message>
    <message>
        <source>The database %1 is locked by another program</source>
        <translation>Die Datenbank %1 ist von einem anderen Programm gesperrt</translation>
    </message>
    <message>
        <source>The database %1 is read-only</source>
        <translation>Die Datenbank %1 ist schreibgeschützt</translation>
    </message>
    <message>
        <source>The disk of the database %1 is full</source>
        <translation>Der Datenträger der Datenbank %1 ist voll</translation>
    </message>
    <message>
        <source>The file %1 is not a trb database</source>
        <translation>Die Datei %1 ist keine trb-Datenbank</translation>
    </message>
    <message>
        <source>The database %1 is damaged</source>
        <translation>Die Datenbank %1 ist beschädigt</translation>
    </message>
    <message>
        <source>The database %1 cannot be read or written</source>
        <translation>Die Datenbank %1 kann nicht gelesen oder geschrieben werden</translation>
    </message>
    <message>
        <source>The database %1 is read-only: it can be read, but nothing can be stored in it.</source>
        <translation>Die Datenbank %1 ist schreibgeschützt: Sie kann gelesen, aber nichts darin gespeichert werden.</translation>
    </message>
</context>
<context>
    <name>trb::engine</name>
    <message>
        <source>the last run finished: %1 of %2 plots</source>
        <translation>der letzte Lauf ist fertig: %1 von %2 Flächen</translation>
    </message>
    <message>
        <source>the last run was stopped after %1 of %2 plots</source>
        <translation>der letzte Lauf wurde nach %1 von %2 Flächen angehalten</translation>
    </message>
    <message>
        <source>the last run ended after %1 of %2 plots (loopback not possible)</source>
        <translation>der letzte Lauf endete nach %1 von %2 Flächen (loopback nicht möglich)</translation>
    </message>
</context>
<context>
    <name>trb::gui::MessagesPage</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Select &amp;all</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
</context>
<context>
    <name>trb::gui::AssessmentPairsModel</name>
    <message>
        <source>year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>measured C (%)</source>
        <translation>gemessen C (%)</translation>
    </message>
    <message>
        <source>simulated C (%)</source>
        <translation>simuliert C (%)</translation>
    </message>
    <message>
        <source>measured - simulated</source>
        <translation>gemessen - simuliert</translation>
    </message>
    <message>
        <source>measurement</source>
        <translation>Messung</translation>
    </message>
</context>
<context>
    <name>trb::gui::SiteListModel</name>
    <message>
        <source>plot</source>
        <translation>Fläche</translation>
    </message>
    <message>
        <source>site</source>
        <translation>Standort</translation>
    </message>
    <message>
        <source>location</source>
        <translation>Ort</translation>
    </message>
    <message>
        <source>climate station</source>
        <translation>Klimastation</translation>
    </message>
    <message>
        <source>soil profile</source>
        <translation>Bodenprofil</translation>
    </message>
</context>
<context>
    <name>trb::gui::SheetExport</name>
    <message>
        <source>export to XLS</source>
        <translation>nach XLS exportieren</translation>
    </message>
    <message>
        <source>Excel workbook (*.xlsx)</source>
        <translation>Excel-Arbeitsmappe (*.xlsx)</translation>
    </message>
</context>
<context>
    <name>trb::evaluation</name>
    <message>
        <source>YEAR_</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>MEAS_VALUE</source>
        <translation>gemessen</translation>
    </message>
    <message>
        <source>SIM_VALUE</source>
        <translation>modelliert</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>C-dynamics</source>
        <translation>Ergebnisse: Corg</translation>
    </message>
    <message>
        <source>N-dynamics</source>
        <translation>Ergebnisse: Nt</translation>
    </message>
    <message>
        <source>micr.BM</source>
        <translation>Ergebnisse: Cmic</translation>
    </message>
    <message>
        <source>dynamics of microbial Biomass</source>
        <translation>Dynamik der mikrobiellen Biomasse</translation>
    </message>
    <message>
        <source>misc.results</source>
        <translation>weitere Ergebnisse</translation>
    </message>
    <message>
        <source>OM-turnover</source>
        <translation>Humusbilanz</translation>
    </message>
    <message>
        <source>year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>SOM gain [kgC/ha/a]</source>
        <translation>Hum.aufb[kgC/ha/a]</translation>
    </message>
    <message>
        <source>SOM loss [kgC/ha/a]</source>
        <translation>Hum.abb[kgC/ha/a]</translation>
    </message>
    <message>
        <source>saldo [kgC/ha/a]</source>
        <translation>Saldo[kgC/ha/a]</translation>
    </message>
    <message>
        <source>CO2 prod. [kgC/ha/a]</source>
        <translation>CO2-Prod. [kgC/ha/a]</translation>
    </message>
    <message>
        <source>soil C storage [t/ha]</source>
        <translation>C im Boden [t/ha]</translation>
    </message>
    <message>
        <source>annual C-flux [kg/ha]</source>
        <translation>jährl. C-Fluss [kg/ha]</translation>
    </message>
    <message>
        <source>C-storage(top soil) [t/ha]</source>
        <translation>C-Vorrat der Krume  [t/ha]</translation>
    </message>
    <message>
        <source>N-balance</source>
        <translation>N-Bilanz</translation>
    </message>
    <message>
        <source>uptake</source>
        <translation>Aufnahme</translation>
    </message>
    <message>
        <source>fertilizer</source>
        <translation>min.Zufuhr</translation>
    </message>
    <message>
        <source>mineralisation</source>
        <translation>Mineralisierung</translation>
    </message>
    <message>
        <source>deposition</source>
        <translation>Deposition</translation>
    </message>
    <message>
        <source>div. sources</source>
        <translation>sonstiges</translation>
    </message>
    <message>
        <source>saldo</source>
        <translation>Saldo</translation>
    </message>
    <message>
        <source>crop</source>
        <translation>Fruchtart </translation>
    </message>
    <message>
        <source>SOM - reproduction</source>
        <translation>Humus-Aufbau</translation>
    </message>
    <message>
        <source>SOM - decomposition</source>
        <translation>Humus-Abbau</translation>
    </message>
    <message>
        <source>total C loss </source>
        <translation>CO2-Produktion</translation>
    </message>
    <message>
        <source>total C in soil</source>
        <translation>C-Vorrat (total) </translation>
    </message>
    <message>
        <source>SOM saldo</source>
        <translation>Humussaldo</translation>
    </message>
    <message>
        <source>saldo</source>
        <translation>Saldo</translation>
    </message>
    <message>
        <source>SOM- mineralisation</source>
        <translation>Humus- mineralisierung</translation>
    </message>
    <message>
        <source>fertilizer</source>
        <translation>Mineral-N Zufuhr</translation>
    </message>
    <message>
        <source>deposition</source>
        <translation>Deposition</translation>
    </message>
    <message>
        <source>other sources</source>
        <translation>sonstige Quellen </translation>
    </message>
    <message>
        <source>crop uptake</source>
        <translation>Pflanzen- aufnahme</translation>
    </message>
</context>
<context>
    <name>trb::gui::ResultPage</name>
    <message>
        <source>selection</source>
        <translation>Auswahl</translation>
    </message>
    <message>
        <source>create report</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>save as PDF; skip preview</source>
        <translation>als PDF; ohne Ansicht</translation>
    </message>
</context>
<context>
    <name>trb::render::ChartPicture</name>
    <message>
        <source>simulated</source>
        <translation>modelliert</translation>
    </message>
    <message>
        <source>observed</source>
        <translation>gemessen</translation>
    </message>
</context>
<context>
    <name>trb::gui::NBalanceWindow</name>
    <message>
        <source>TRB N balance</source>
        <translation>TRB N-Bilanz</translation>
    </message>
    <message>
        <source>&lt;=    year    &lt;=</source>
        <translation>&lt;=    Jahr    &lt;=</translation>
    </message>
    <message>
        <source>&lt;= Dg-N-inp &lt;=</source>
        <translation>&lt;= Dg-N-inp &lt;=</translation>
    </message>
    <message>
        <source>&amp;plot (FL_ID, * for all)</source>
        <translation>&amp;Fläche (FL_ID, * für alle)</translation>
    </message>
    <message>
        <source>&amp;run N-Balance</source>
        <translation>N-Bilanz &amp;rechnen</translation>
    </message>
    <message>
        <source>&amp;copy to XLS</source>
        <translation>nach XLS &amp;kopieren</translation>
    </message>
    <message>
        <source>'%1' is not a number (%2).</source>
        <translation>'%1' ist keine Zahl (%2).</translation>
    </message>
    <message>
        <source>first year</source>
        <translation>erstes Jahr</translation>
    </message>
    <message>
        <source>last year</source>
        <translation>letztes Jahr</translation>
    </message>
    <message>
        <source>lowest mineral N input</source>
        <translation>kleinste mineralische N-Düngung</translation>
    </message>
    <message>
        <source>highest mineral N input</source>
        <translation>größte mineralische N-Düngung</translation>
    </message>
    <message>
        <source>'%1' is neither * nor the FL_ID of a plot.</source>
        <translation>'%1' ist weder * noch die FL_ID einer Fläche.</translation>
    </message>
    <message>
        <source>No database is open.</source>
        <translation>Es ist keine Datenbank geöffnet.</translation>
    </message>
</context>
<context>
    <name>trb::sites</name>
    <message>
        <source>create new experiment folder</source>
        <translation>Neuen Betrieb anlegen</translation>
    </message>
    <message>
        <source>Please enter a short name.</source>
        <translation>Bitte einen Namen eingeben.</translation>
    </message>
    <message>
        <source>The short name must not contain "&lt;".</source>
        <translation>Der Name darf kein "&lt;" enthalten.</translation>
    </message>
    <message>
        <source>An experiment named "%1" exists already.</source>
        <translation>Ein Betrieb "%1" existiert bereits.</translation>
    </message>
    <message>
        <source>adapt experiment ID</source>
        <translation>Betrieb ID anpassen</translation>
    </message>
    <message>
        <source>The new ID must be a positive whole number.</source>
        <translation>Die neue ID muss eine positive ganze Zahl sein.</translation>
    </message>
    <message>
        <source>The ID %1 belongs to another experiment.</source>
        <translation>Die ID %1 gehört zu einem anderen Betrieb.</translation>
    </message>
    <message>
        <source>Please enter a location.</source>
        <translation>Bitte einen Standort eingeben.</translation>
    </message>
    <message>
        <source>The location must not contain "&lt;".</source>
        <translation>Der Standort darf kein "&lt;" enthalten.</translation>
    </message>
    <message>
        <source>shift plots  FL_ID</source>
        <translation>Flächen ID anpassen</translation>
    </message>
    <message>
        <source>A plot key cannot be below 0.</source>
        <translation>Ein Flächenschlüssel kann nicht unter 0 liegen.</translation>
    </message>
    <message>
        <source>update changes</source>
        <translation>Änderung Speichern</translation>
    </message>
    <message>
        <source>"area" is not a number: %1</source>
        <translation>"Fläche" ist keine Zahl: %1</translation>
    </message>
    <message>
        <source>There is no plot %1.</source>
        <translation>Es gibt keine Fläche %1.</translation>
    </message>
    <message>
        <source>"%1" is not a number: %2</source>
        <translation>"%1" ist keine Zahl: %2</translation>
    </message>
    <message>
        <source>clay</source>
        <translation>Tongehalt (%)</translation>
    </message>
    <message>
        <source>silt</source>
        <translation>Schluffgehalt (%)</translation>
    </message>
    <message>
        <source>gravel</source>
        <translation>Steingehalt (%)</translation>
    </message>
</context>
<context>
    <name>trb::gui::SimpleSoilDialog</name>
    <message>
        <source>simple soil description</source>
        <translation>Bodendaten</translation>
    </message>
    <message>
        <source>name of soil</source>
        <translation>Bezeichner</translation>
    </message>
    <message>
        <source>soil type</source>
        <translation>Bodenart</translation>
    </message>
    <message>
        <source>clay</source>
        <translation>Tongehalt (%)</translation>
    </message>
    <message>
        <source>silt</source>
        <translation>Schluffgehalt (%)</translation>
    </message>
    <message>
        <source>gravel</source>
        <translation>Steingehalt (%)</translation>
    </message>
    <message>
        <source>save this soil</source>
        <translation>Satz Speichern</translation>
    </message>
    <message>
        <source>esc</source>
        <translation>Abbruch</translation>
    </message>
    <message>
        <source>delete this soil</source>
        <translation>Satz Löschen</translation>
    </message>
</context>
<context>
    <name>trb::gui::NewExperimentDialog</name>
    <message>
        <source>create new experiment folder</source>
        <translation>Neuen Betrieb anlegen</translation>
    </message>
    <message>
        <source>internal code</source>
        <translation>interner Code</translation>
    </message>
    <message>
        <source>short name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>cancel</source>
        <translation>Abbruch</translation>
    </message>
</context>
<context>
    <name>trb::gui::DeleteExperimentDialog</name>
    <message>
        <source>ATTENTION !</source>
        <translation>ACHTUNG !</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>esc</source>
        <translation>Abbruch</translation>
    </message>
    <message>
        <source>: The Folder will be deleted!</source>
        <translation>: Der Betrieb wird mit allen Daten gelöscht !</translation>
    </message>
</context>
<context>
    <name>trb::gui::ExperimentIdDialog</name>
    <message>
        <source>adapt experiment ID</source>
        <translation>Betrieb ID anpassen</translation>
    </message>
    <message>
        <source>new ID</source>
        <translation>neue ID</translation>
    </message>
    <message>
        <source>old</source>
        <translation>alt</translation>
    </message>
    <message>
        <source>new</source>
        <translation>neu</translation>
    </message>
    <message>
        <source>location</source>
        <translation>Standort</translation>
    </message>
    <message>
        <source>unique ID</source>
        <translation>eindeutige ID</translation>
    </message>
    <message>
        <source>adapt ID</source>
        <translation>ID anpassen</translation>
    </message>
    <message>
        <source>no changes</source>
        <translation>keine Änderung</translation>
    </message>
    <message>
        <source>The new ID must be a positive whole number.</source>
        <translation>Die neue ID muss eine positive ganze Zahl sein.</translation>
    </message>
</context>
<context>
    <name>trb::gui::ShiftPlotsDialog</name>
    <message>
        <source>shift plots  FL_ID</source>
        <translation>Flächen ID anpassen</translation>
    </message>
    <message>
        <source>current range</source>
        <translation>aktueller Bereich</translation>
    </message>
    <message>
        <source>shift</source>
        <translation>verschieben um</translation>
    </message>
    <message>
        <source>adapt ID</source>
        <translation>ID anpassen</translation>
    </message>
    <message>
        <source>close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>trb::gui::SiteCommands</name>
    <message>
        <source>update changes</source>
        <translation>Änderung Speichern</translation>
    </message>
    <message>
        <source> Confirm Delete</source>
        <translation>Löschen Bestätigen!</translation>
    </message>
    <message>
        <source> Do you really want to delete ALL data of plot %1 ?</source>
        <translation>Wollen Sie wirklich ALLE Daten löschen von Fläche: %1 ?</translation>
    </message>
</context>
<context>
    <name>trb::gui::ManagementEditor</name>
    <message>
        <source>Management Event</source>
        <translation>Maßnahme</translation>
    </message>
    <message>
        <source>Insert Record</source>
        <translation>Satz einfügen</translation>
    </message>
    <message>
        <source>Overwrite Record</source>
        <translation>Satz überschreiben</translation>
    </message>
    <message>
        <source>insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>delete record</source>
        <translation>Satz Löschen</translation>
    </message>
    <message>
        <source>print management</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>save as PDF; no preview</source>
        <translation>als PDF; ohne Ansicht</translation>
    </message>
    <message>
        <source>non default</source>
        <translation>kein Standardwert</translation>
    </message>
    <message>
        <source>date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>object</source>
        <translation>Objekt</translation>
    </message>
</context>
<context>
    <name>trb::gui::MeasurementEditor</name>
    <message>
        <source>edit data</source>
        <translation>Bodenuntersuchung</translation>
    </message>
    <message>
        <source>Insert Record</source>
        <translation>Messwert einfügen</translation>
    </message>
    <message>
        <source>Overwrite Record</source>
        <translation>Messwert überschreiben</translation>
    </message>
    <message>
        <source>insert</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>update</source>
        <translation>Aktualisieren</translation>
    </message>
    <message>
        <source>delete record</source>
        <translation>Satz Löschen</translation>
    </message>
    <message>
        <source>initial value</source>
        <translation>als Startwert</translation>
    </message>
    <message>
        <source>Shift + click enables this box</source>
        <translation>Umschalt + Klick gibt dieses Feld frei</translation>
    </message>
    <message>
        <source>print</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>save as PDF; no preview</source>
        <translation>als PDF; ohne Ansicht</translation>
    </message>
    <message>
        <source>sampling date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>--------------- observation ----------</source>
        <translation> Merkmal </translation>
    </message>
    <message>
        <source>value</source>
        <translation>Messwert</translation>
    </message>
</context>
<context>
    <name>trb::records</name>
    <message>
        <source>'%1' is not a valid number for "%2".</source>
        <translation>'%1' ist keine gültige Zahl für "%2".</translation>
    </message>
    <message>
        <source>'%1' is not a valid whole number for "%2".</source>
        <translation>'%1' ist keine gültige ganze Zahl für "%2".</translation>
    </message>
    <message>
        <source>input error</source>
        <translation>Eingabefehler</translation>
    </message>
    <message>
        <source>The date cannot be read; nothing was saved.</source>
        <translation>Das Datum ist nicht lesbar; nichts wurde gespeichert.</translation>
    </message>
    <message>
        <source>lower calc. layer</source>
        <translation>untere Rechenschicht</translation>
    </message>
    <message>
        <source>N-uptake (kg/ha)=</source>
        <translation>N-Entzug (kg/ha)=</translation>
    </message>
    <message>
        <source>C-input (kg/ha)=</source>
        <translation>C-Zufuhr (kg/ha)=</translation>
    </message>
    <message>
        <source>NH4-amount (%)=</source>
        <translation>NH4-Anteil (%)=</translation>
    </message>
    <message>
        <source>No record is selected to overwrite.</source>
        <translation>Kein Satz zum Überschreiben ausgewählt.</translation>
    </message>
    <message>
        <source>The record to overwrite no longer exists; nothing was saved.</source>
        <translation>Der zu überschreibende Satz existiert nicht mehr; nichts wurde gespeichert.</translation>
    </message>
    <message>
        <source>amount</source>
        <translation>Menge</translation>
    </message>
    <message>
        <source>area share</source>
        <translation>Flächenanteil</translation>
    </message>
    <message>
        <source>please edit first the initial value</source>
        <translation>Bitte zuerst einen Startwert definieren !</translation>
    </message>
    <message>
        <source>OPERATION DENIED</source>
        <translation>Operation nicht durchführbar</translation>
    </message>
    <message>
        <source>The sampling date cannot be read; nothing was saved.</source>
        <translation>Das Datum ist nicht lesbar; nichts wurde gespeichert.</translation>
    </message>
    <message>
        <source>value</source>
        <translation>Messwert</translation>
    </message>
    <message>
        <source>No measurement is selected to overwrite.</source>
        <translation>Kein Messwert zum Überschreiben ausgewählt.</translation>
    </message>
    <message>
        <source>The measurement to overwrite no longer exists; nothing was saved.</source>
        <translation>Der zu überschreibende Messwert existiert nicht mehr; nichts wurde gespeichert.</translation>
    </message>
</context>
<context>
    <name>trb::gui::RPanel</name>
    <message>
        <source>run script</source>
        <translation>Skript starten</translation>
    </message>
    <message>
        <source>output file</source>
        <translation>Ausgabedatei</translation>
    </message>
    <message>
        <source>pictures</source>
        <translation>Bilder</translation>
    </message>
    <message>
        <source>script</source>
        <translation>Skript</translation>
    </message>
    <message>
        <source>R script</source>
        <translation>R-Skript</translation>
    </message>
    <message>
        <source>directory</source>
        <translation>Verzeichnis</translation>
    </message>
    <message>
        <source>"R" interface</source>
        <translation>"R"-Schnittstelle</translation>
    </message>
    <message>
        <source>file for R script not found</source>
        <translation>Datei für R-Skript nicht gefunden</translation>
    </message>
    <message>
        <source>The setting "R result" names no file for R's output.</source>
        <translation>Die Einstellung "R result" nennt keine Datei für die Ausgabe von R.</translation>
    </message>
    <message>
        <source>R</source>
        <translation>R</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
</context>
<context>
    <name>trb::gui::PictureView</name>
    <message>
        <source>%1 cannot be shown here; open it with a program of its kind.</source>
        <translation>%1 kann hier nicht angezeigt werden; bitte mit einem passenden Programm öffnen.</translation>
    </message>
</context>
<context>
    <name>trb::gui::ScriptStatisticsWindow</name>
    <message>
        <source>Datenanalyse mit R</source>
        <translation>Datenanalyse mit R</translation>
    </message>
    <message>
        <source>doubleclick green edit fields to view file content</source>
        <translation>Doppelklick auf die grünen Felder zeigt den Dateiinhalt</translation>
    </message>
    <message>
        <source>go</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>SQL-Script</source>
        <translation>SQL-Skript</translation>
    </message>
    <message>
        <source>R-script</source>
        <translation>R-Skript</translation>
    </message>
    <message>
        <source>directory</source>
        <translation>Verzeichnis</translation>
    </message>
    <message>
        <source>all files (*)</source>
        <translation>alle Dateien (*)</translation>
    </message>
    <message>
        <source>SQL scripts (*.txt *.sql)</source>
        <translation>SQL-Skripte (*.txt *.sql)</translation>
    </message>
    <message>
        <source>R scripts (*.r *.R *.txt)</source>
        <translation>R-Skripte (*.r *.R *.txt)</translation>
    </message>
    <message>
        <source>Choose an SQL script and an R script first.</source>
        <translation>Bitte zuerst ein SQL-Skript und ein R-Skript wählen.</translation>
    </message>
    <message>
        <source>The SQL script failed for the plot FL_ID=%1; the run ends here.</source>
        <translation>Das SQL-Skript ist für die Fläche FL_ID=%1 gescheitert; der Lauf endet hier.</translation>
    </message>
    <message>
        <source>No plot was done.</source>
        <translation>Keine Fläche wurde ausgewertet.</translation>
    </message>
    <message>
        <source>Plots done: %1</source>
        <translation>Ausgewertete Flächen: %1</translation>
    </message>
    <message>
        <source>script based statistics</source>
        <translation>Skript basierte Auswertung</translation>
    </message>
    <message>
        <source>file for R script not found</source>
        <translation>Datei für R-Skript nicht gefunden</translation>
    </message>
</context>
<context>
    <name>trb::gui::RRunner</name>
    <message>
        <source>ODBC error</source>
        <translation>ODBC-Fehler</translation>
    </message>
    <message>
        <source>R scripts reach the database through the ODBC user data source T_R_B, which is missing.</source>
        <translation>R-Skripte erreichen die Datenbank über die ODBC-Benutzerdatenquelle T_R_B, die fehlt.</translation>
    </message>
    <message>
        <source>Add it now?</source>
        <translation>Jetzt hinzufügen?</translation>
    </message>
    <message>
        <source>R cannot be started: %1
%2 (error %3)</source>
        <translation>R kann nicht gestartet werden: %1
%2 (Fehler %3)</translation>
    </message>
</context>
<context>
    <name>trb::external</name>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>%1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>file not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>%1 kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>trb::gui::ReferenceListWindow</name>
    <message>
        <source>reference list</source>
        <translation>Literaturliste</translation>
    </message>
    <message>
        <source>compact</source>
        <translation>kompakt</translation>
    </message>
    <message>
        <source>detail</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>titel</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>journal/book</source>
        <translation>Zeitschrift/Buch</translation>
    </message>
    <message>
        <source>pp</source>
        <translation>S.</translation>
    </message>
    <message>
        <source>type</source>
        <translation>Art</translation>
    </message>
    <message>
        <source>delete this relation</source>
        <translation>diese Verknüpfung löschen</translation>
    </message>
    <message>
        <source>keyword selection:</source>
        <translation>Schlagwortauswahl:</translation>
    </message>
    <message>
        <source>all</source>
        <translation>alle</translation>
    </message>
    <message>
        <source>soil parm</source>
        <translation>Bodenparameter</translation>
    </message>
    <message>
        <source>climate</source>
        <translation>Klima</translation>
    </message>
    <message>
        <source>management</source>
        <translation>Bewirtschaftung</translation>
    </message>
    <message>
        <source>edit keyword relation</source>
        <translation>Schlagworte bearbeiten</translation>
    </message>
    <message>
        <source>show pdf-file</source>
        <translation>PDF-Datei zeigen</translation>
    </message>
    <message>
        <source>add  new  reference</source>
        <translation>neue Literatur hinzufügen</translation>
    </message>
    <message>
        <source>a lit_id</source>
        <translation>eine lit_id</translation>
    </message>
    <message>
        <source>close</source>
        <translation>schließen</translation>
    </message>
    <message>
        <source>not found!</source>
        <translation>nicht gefunden!</translation>
    </message>
    <message>
        <source>No PDF reader is set (settings: PDF-reader).</source>
        <translation>Kein PDF-Betrachter eingestellt (Einstellungen: PDF-reader).</translation>
    </message>
    <message>
        <source>The PDF file %1 does not exist.</source>
        <translation>Die PDF-Datei %1 gibt es nicht.</translation>
    </message>
    <message>
        <source>%1 could not be started.</source>
        <translation>%1 konnte nicht gestartet werden.</translation>
    </message>
</context>
<context>
    <name>trb::gui::RelationsWindow</name>
    <message>
        <source> relations of  this reference</source>
        <translation> Verknüpfungen dieser Literaturstelle</translation>
    </message>
    <message>
        <source>return</source>
        <translation>zurück</translation>
    </message>
    <message>
        <source>reference_id:</source>
        <translation>reference_id:</translation>
    </message>
</context>
<context>
    <name>trb::gui::ExperimentRelationsWindow</name>
    <message>
        <source>related experiments</source>
        <translation>verknüpfte Versuche</translation>
    </message>
    <message>
        <source>add reference</source>
        <translation>Literatur zuordnen</translation>
    </message>
    <message>
        <source>delete reference</source>
        <translation>Zuordnung löschen</translation>
    </message>
</context>
<context>
    <name>trb::gui::KeywordRelationsWindow</name>
    <message>
        <source>related keywords</source>
        <translation>verknüpfte Schlagworte</translation>
    </message>
    <message>
        <source>add this keyword</source>
        <translation>dieses Schlagwort hinzufügen</translation>
    </message>
    <message>
        <source>delete this keyword</source>
        <translation>dieses Schlagwort löschen</translation>
    </message>
</context>
<context>
    <name>trb::gui::RisImportDialog</name>
    <message>
        <source>import from RIS-file</source>
        <translation>Import aus RIS-Datei</translation>
    </message>
    <message>
        <source>open RIS file</source>
        <translation>RIS-Datei öffnen</translation>
    </message>
    <message>
        <source>import RIS content</source>
        <translation>RIS-Inhalt importieren</translation>
    </message>
    <message>
        <source>Close import tool</source>
        <translation>Import schließen</translation>
    </message>
    <message>
        <source>RIS files (*.ris *.txt);;all (*)</source>
        <translation>RIS-Dateien (*.ris *.txt);;alle (*)</translation>
    </message>
</context>
<context>
    <name>trb::gui::UpdateCheckWindow</name>
    <message>
        <source>update check</source>
        <translation>Update-Prüfung</translation>
    </message>
    <message>
        <source>check KELDA web site for updates</source>
        <translation>KELDA-Webseite auf Updates prüfen</translation>
    </message>
    <message>
        <source>no update address is set</source>
        <translation>keine Update-Adresse eingestellt</translation>
    </message>
    <message>
        <source>Set update_page and update_folder in the settings file.</source>
        <translation>Bitte update_page und update_folder in der Einstellungsdatei setzen.</translation>
    </message>
    <message>
        <source>no version found</source>
        <translation>keine Version gefunden</translation>
    </message>
    <message>
        <source>the currently available TRB version is:</source>
        <translation>die aktuell verfügbare TRB-Version ist:</translation>
    </message>
    <message>
        <source>your trb is up to date</source>
        <translation>Ihr trb ist aktuell</translation>
    </message>
    <message>
        <source>do you want a donwload of the new version ?</source>
        <translation>wollen Sie die neue Version herunterladen ?</translation>
    </message>
    <message>
        <source>no update folder is set</source>
        <translation>kein Update-Ordner eingestellt</translation>
    </message>
    <message>
        <source>new zip-file available on ==&gt;</source>
        <translation>neue zip-Datei verfügbar unter ==&gt;</translation>
    </message>
</context>
<context>
    <name>trb::gui::TransferWindow</name>
    <message>
        <source>data transfer</source>
        <translation>Datentransfer</translation>
    </message>
    <message>
        <source>select destination</source>
        <translation>Ziel auswählen</translation>
    </message>
    <message>
        <source>all</source>
        <translation>alle</translation>
    </message>
    <message>
        <source>none</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>invert</source>
        <translation>umkehren</translation>
    </message>
    <message>
        <source>copy</source>
        <translation>kopieren</translation>
    </message>
    <message>
        <source>go on</source>
        <translation>weiter</translation>
    </message>
    <message>
        <source>end</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>no wait on key check</source>
        <translation>ohne Warten bei der Schlüsselprüfung</translation>
    </message>
    <message>
        <source>copy anyway where soil or station differ</source>
        <translation>trotzdem kopieren, wo Boden oder Station abweichen</translation>
    </message>
    <message>
        <source>A plot whose soil or climate station differs from the one the destination has under the same key is not copied; ticked, it is copied and uses the destination's.</source>
        <translation>Eine Parzelle, deren Boden oder Klimastation von dem/der gleichen Schlüssels im Ziel abweicht, wird nicht kopiert; angekreuzt wird sie kopiert und verwendet die des Ziels.</translation>
    </message>
    <message>
        <source>The backup %1 of a transfer that did not finish is kept.</source>
        <translation>Die Sicherung %1 eines nicht beendeten Transfers bleibt erhalten.</translation>
    </message>
    <message>
        <source>Tick &quot;%1&quot; to copy them with the destination's soil and station.</source>
        <translation>&quot;%1&quot; ankreuzen, um sie mit Boden und Station des Ziels zu kopieren.</translation>
    </message>
    <message>
        <source>The destination is older than the open database and lacks %1.

Add them to the destination before copying? Without them these values are not copied, and the copied plots may calculate otherwise there.</source>
        <translation>Die Zieldatenbank ist älter als die geöffnete und es fehlen %1.

Vor dem Kopieren ergänzen? Ohne sie werden diese Werte nicht kopiert, und die kopierten Parzellen können dort anders rechnen.</translation>
    </message>
    <message>
        <source>no destination chosen</source>
        <translation>kein Ziel gewählt</translation>
    </message>
    <message>
        <source>plots of the open database</source>
        <translation>Flächen der geöffneten Datenbank</translation>
    </message>
    <message>
        <source>plots of the destination</source>
        <translation>Flächen der Zieldatenbank</translation>
    </message>
    <message>
        <source>trb databases (*.sqlite *.db);;all files (*)</source>
        <translation>trb-Datenbanken (*.sqlite *.db);;alle Dateien (*)</translation>
    </message>
    <message>
        <source> (backup: %1)</source>
        <translation> (Sicherung: %1)</translation>
    </message>
    <message>
        <source>no plot is marked</source>
        <translation>keine Fläche markiert</translation>
    </message>
    <message>
        <source>%1 of %2 plots copied</source>
        <translation>%1 von %2 Flächen kopiert</translation>
    </message>
</context>
<context>
    <name>trb::gui::SqlWindow</name>
    <message>
        <source>SQL - module</source>
        <translation>SQL - Modul</translation>
    </message>
    <message>
        <source>SQL script</source>
        <translation>SQL-Skript</translation>
    </message>
    <message>
        <source>execute</source>
        <translation>ausführen</translation>
    </message>
    <message>
        <source>load from file</source>
        <translation>aus Datei laden</translation>
    </message>
    <message>
        <source>save to file</source>
        <translation>in Datei speichern</translation>
    </message>
    <message>
        <source>update sql code with parameter values</source>
        <translation>SQL-Code mit Parameterwerten aktualisieren</translation>
    </message>
    <message>
        <source>clear grid</source>
        <translation>Tabelle leeren</translation>
    </message>
    <message>
        <source>export to XLS</source>
        <translation>nach XLS exportieren</translation>
    </message>
    <message>
        <source>data change</source>
        <translation>Datenänderung</translation>
    </message>
    <message>
        <source>parameter</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>result data set</source>
        <translation>Ergebnisdatensatz</translation>
    </message>
    <message>
        <source>parameters</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>%1 of 10</source>
        <translation>%1 von 10</translation>
    </message>
    <message>
        <source>the script is running ...</source>
        <translation>das Skript läuft ...</translation>
    </message>
    <message>
        <source>stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>the result shows its first %1 rows</source>
        <translation>das Ergebnis zeigt seine ersten %1 Zeilen</translation>
    </message>
    <message>
        <source>no result to export</source>
        <translation>kein Ergebnis zum Exportieren</translation>
    </message>
</context>
<context>
    <name>trb::transfer::PlotTransfer</name>
    <message>
        <source>%1 is an Access file: such files are only read. Open it as the system database once (it is imported into a SQLite file beside it) and choose that file as the destination.</source>
        <translation>%1 ist eine Access-Datei: solche Dateien werden nur gelesen. Öffnen Sie sie einmal als Systemdatenbank (sie wird in eine SQLite-Datei daneben importiert) und wählen Sie diese Datei als Ziel.</translation>
    </message>
    <message>
        <source>%1 is the open database; choose another file as the destination.</source>
        <translation>%1 ist die geöffnete Datenbank; wählen Sie eine andere Datei als Ziel.</translation>
    </message>
    <message>
        <source>Choose the destination database first.</source>
        <translation>Wählen Sie zuerst die Zieldatenbank.</translation>
    </message>
    <message>
        <source>The backup %1 cannot be replaced.</source>
        <translation>Die Sicherung %1 kann nicht ersetzt werden.</translation>
    </message>
    <message>
        <source>The backup %1 cannot be written.</source>
        <translation>Die Sicherung %1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>The file %1 does not exist.</source>
        <translation>Die Datei %1 existiert nicht.</translation>
    </message>
    <message>
        <source>The file %1 is not a trb database.</source>
        <translation>Die Datei %1 ist keine trb-Datenbank.</translation>
    </message>
    <message>
        <source>data transfer</source>
        <translation>Datentransfer</translation>
    </message>
    <message>
        <source>experiment %1 gets the key %2 in the destination (%3 is taken there)</source>
        <translation>Versuch %1 erhält im Ziel den Schlüssel %2 (%3 ist dort vergeben)</translation>
    </message>
    <message>
        <source>plot %1 copied: %2</source>
        <translation>Fläche %1 kopiert: %2</translation>
    </message>
    <message>
        <source>plot %1 is not copied</source>
        <translation>Fläche %1 wird nicht kopiert</translation>
    </message>
    <message>
        <source>plot %1 is not copied: the destination has a plot with this FL_ID</source>
        <translation>Fläche %1 wird nicht kopiert: das Ziel hat eine Fläche mit dieser FL_ID</translation>
    </message>
    <message>
        <source>plot %1 uses: %2</source>
        <translation>Fläche %1 verwendet: %2</translation>
    </message>
    <message>
        <source>soil %1</source>
        <translation>Boden %1</translation>
    </message>
    <message>
        <source>station %1 with %2 weather rows</source>
        <translation>Station %1 mit %2 Wetterzeilen</translation>
    </message>
    <message>
        <source>transaction canceled: non unique experiment ID %1</source>
        <translation>transaction canceled: non unique experiment ID %1</translation>
    </message>
    <message>
        <source>transfer stopped: %1 of %2 plots done</source>
        <translation>Transfer angehalten: %1 von %2 Flächen erledigt</translation>
    </message>
</context>
<context>
    <name>trb::sqlmodule</name>
    <message>
        <source>The script %1 cannot be read: %2</source>
        <translation>Das Skript %1 kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>The script %1 cannot be written: %2</source>
        <translation>Das Skript %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>batch %1 (line %2) failed: %3</source>
        <translation>Block %1 (Zeile %2) fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>batch %1 (line %2) was stopped; the batches before it are done</source>
        <translation>Block %1 (Zeile %2) wurde angehalten; die Blöcke davor sind ausgeführt</translation>
    </message>
    <message>
        <source>batch %1 (line %2): %3 (ignored)</source>
        <translation>Block %1 (Zeile %2): %3 (ignoriert)</translation>
    </message>
    <message>
        <source>batch %1 (line %2): %3 rows affected</source>
        <translation>Block %1 (Zeile %2): %3 Zeilen betroffen</translation>
    </message>
    <message>
        <source>batch %1 (line %2): query opened</source>
        <translation>Block %1 (Zeile %2): Abfrage geöffnet</translation>
    </message>
    <message>
        <source>stopped before batch %1 (line %2); the batches before it are done</source>
        <translation>vor Block %1 (Zeile %2) angehalten; die Blöcke davor sind ausgeführt</translation>
    </message>
</context>
<context>
    <name>trb::render::ReportLayout</name>
    <message>
        <source>TRB management data</source>
        <translation>TRB Bewirtschaftungsdaten</translation>
    </message>
    <message>
        <source>Management Report </source>
        <translation>Bewirtschaftungsbericht </translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Standort:</translation>
    </message>
    <message>
        <source>plot:</source>
        <translation>Parzelle:</translation>
    </message>
    <message>
        <source>DATE</source>
        <translation>DATUM</translation>
    </message>
    <message>
        <source>ACTION</source>
        <translation>MASSNAHME</translation>
    </message>
    <message>
        <source>OBJECT</source>
        <translation>OBJEKT</translation>
    </message>
    <message>
        <source>VALUE</source>
        <translation>WERT</translation>
    </message>
    <message>
        <source>measurement report</source>
        <translation>Messwertbericht</translation>
    </message>
    <message>
        <source>date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>year#</source>
        <translation>Jahr#</translation>
    </message>
    <message>
        <source>property</source>
        <translation>Merkmal</translation>
    </message>
    <message>
        <source>value</source>
        <translation>Wert</translation>
    </message>
    <message>
        <source>site conditions</source>
        <translation>Standortbedingungen</translation>
    </message>
    <message>
        <source>site description</source>
        <translation>Standortbeschreibung</translation>
    </message>
    <message>
        <source>source:</source>
        <translation>Herkunft:</translation>
    </message>
    <message>
        <source>state:</source>
        <translation>Zustand:</translation>
    </message>
    <message>
        <source>years</source>
        <translation>Jahre</translation>
    </message>
    <message>
        <source>mean temperature:</source>
        <translation>mittlere Temperatur:</translation>
    </message>
    <message>
        <source>precipitation:</source>
        <translation>Niederschlag:</translation>
    </message>
    <message>
        <source>profile:</source>
        <translation>Profil:</translation>
    </message>
    <message>
        <source>TEXTURE:</source>
        <translation>TEXTUR:</translation>
    </message>
    <message>
        <source>clay=</source>
        <translation>Ton=</translation>
    </message>
    <message>
        <source>silt=</source>
        <translation>Schluff=</translation>
    </message>
    <message>
        <source>sand=</source>
        <translation>Sand=</translation>
    </message>
    <message>
        <source>POROSITY:</source>
        <translation>PORENRAUM:</translation>
    </message>
    <message>
        <source>PVOL=</source>
        <translation>GPV=</translation>
    </message>
    <message>
        <source>FCAP=</source>
        <translation>FK=</translation>
    </message>
    <message>
        <source>PWP=</source>
        <translation>PWP=</translation>
    </message>
    <message>
        <source>literature</source>
        <translation>Literatur</translation>
    </message>
    <message>
        <source>author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>source</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>product</source>
        <translation>Produkt</translation>
    </message>
    <message>
        <source>pages</source>
        <translation>Seiten</translation>
    </message>
    <message>
        <source>issue</source>
        <translation>Ausgabe</translation>
    </message>
    <message>
        <source>Model-Results</source>
        <translation>Modellergebnisse</translation>
    </message>
    <message>
        <source>Statistics:</source>
        <translation>Statistik:</translation>
    </message>
    <message>
        <source>Year ,   Month</source>
        <translation>Jahr ,   Monat</translation>
    </message>
    <message>
        <source>Observation</source>
        <translation>Beobachtung</translation>
    </message>
    <message>
        <source>Model-Output</source>
        <translation>Modellwert</translation>
    </message>
</context>
<context>
    <name>trb::gui::ReportEngine</name>
    <message>
        <source>Output Options</source>
        <translation>Ausgabeoptionen</translation>
    </message>
    <message>
        <source>The printer could not be started for the report %1.</source>
        <translation>Der Drucker konnte für den Bericht %1 nicht gestartet werden.</translation>
    </message>
    <message>
        <source>report</source>
        <translation>Bericht</translation>
    </message>
</context>
<context>
    <name>trb::render::ReportWriter</name>
    <message>
        <source>The report file %1 cannot be written: %2</source>
        <translation>Die Berichtsdatei %1 kann nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>report</source>
        <translation>Bericht</translation>
    </message>
    <message>
        <source>There is no printer for the reports.</source>
        <translation>Für die Berichte ist kein Drucker vorhanden.</translation>
    </message>
</context>
<context>
    <name>trb::gui::ExperimentReportWindow</name>
    <message>
        <source>experiment report</source>
        <translation>Versuchsbericht</translation>
    </message>
    <message>
        <source>report generation for </source>
        <translation>Berichte erstellen für </translation>
    </message>
    <message>
        <source>management</source>
        <translation>Bewirtschaftung</translation>
    </message>
    <message>
        <source>observation</source>
        <translation>Beobachtungen</translation>
    </message>
    <message>
        <source>basics</source>
        <translation>Grunddaten</translation>
    </message>
    <message>
        <source>skip options</source>
        <translation>ohne Optionen</translation>
    </message>
    <message>
        <source>output to printer</source>
        <translation>Ausgabe auf Drucker</translation>
    </message>
    <message>
        <source>output to pdf</source>
        <translation>Ausgabe als PDF</translation>
    </message>
    <message>
        <source>execute reports</source>
        <translation>Berichte ausführen</translation>
    </message>
    <message>
        <source>close</source>
        <translation>schließen</translation>
    </message>
</context>
<context>
    <name>trb::reports</name>
    <message>
        <source>There is no plot with FL_ID %1.</source>
        <translation>Es gibt keine Parzelle mit FL_ID %1.</translation>
    </message>
    <message>
        <source>report</source>
        <translation>Bericht</translation>
    </message>
</context>
<context>
    <name>trb::gui::ClimateWindow</name>
    <message>
        <source>TRB climate data</source>
        <translation>TRB Klimadaten</translation>
    </message>
    <message>
        <source>station overview</source>
        <translation>Stationsübersicht</translation>
    </message>
    <message>
        <source>create new station</source>
        <translation>Neue Station</translation>
    </message>
    <message>
        <source>delete current station</source>
        <translation>aktuelle Station löschen</translation>
    </message>
    <message>
        <source>close</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>weather</source>
        <translation>Wetterdaten</translation>
    </message>
    <message>
        <source>annual N-deposition</source>
        <translation>gemessene N-Deposition</translation>
    </message>
    <message>
        <source>historic N-Deposisition</source>
        <translation>historische N-Deposition</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>station</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>day</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>temperature [°C]</source>
        <translation>Temperatur [°C]</translation>
    </message>
    <message>
        <source>precipitation [mm]</source>
        <translation>Niederschlag [mm]</translation>
    </message>
    <message>
        <source>N-dep. [kg/ha]</source>
        <translation>N-Dep. [kg/ha]</translation>
    </message>
    <message>
        <source>basic year</source>
        <translation>NDEP Anf.Jahr</translation>
    </message>
    <message>
        <source>N-dep(basic)</source>
        <translation>NDEP Anf.Wert</translation>
    </message>
    <message>
        <source>final year</source>
        <translation>NDEP End.Jahr</translation>
    </message>
    <message>
        <source>N-dep(modern)</source>
        <translation>NDEP End.Wert</translation>
    </message>
    <message>
        <source>ALL data of the station will be deleted. proceed anyway ?</source>
        <translation>ALLE Daten der gewählten Station werden gelöscht ! Wollen Sie das ?</translation>
    </message>
    <message>
        <source>please confirm wipe off</source>
        <translation>Löschbestätigung erforderlich</translation>
    </message>
    <message>
        <source>1 plot uses this station and will have no weather.</source>
        <translation>1 Fläche verwendet diese Station und hat dann keine Wetterdaten.</translation>
    </message>
    <message>
        <source>%1 plots use this station and will have no weather.</source>
        <translation>%1 Flächen verwenden diese Station und haben dann keine Wetterdaten.</translation>
    </message>
    <message>
        <source>HINT</source>
        <translation>HINWEIS</translation>
    </message>
    <message>
        <source> is already used ! continue anyway ?</source>
        <translation> wird bereits verwendet ! trotzdem fortfahren ?</translation>
    </message>
</context>
<context>
    <name>trb::gui::TableNavigator</name>
    <message>
        <source>first record</source>
        <translation>erster Datensatz</translation>
    </message>
    <message>
        <source>prior record</source>
        <translation>vorheriger Datensatz</translation>
    </message>
    <message>
        <source>next record</source>
        <translation>nächster Datensatz</translation>
    </message>
    <message>
        <source>last record</source>
        <translation>letzter Datensatz</translation>
    </message>
    <message>
        <source>insert record</source>
        <translation>Datensatz einfügen</translation>
    </message>
    <message>
        <source>delete record</source>
        <translation>Datensatz löschen</translation>
    </message>
    <message>
        <source>edit record</source>
        <translation>Datensatz bearbeiten</translation>
    </message>
    <message>
        <source>post edit</source>
        <translation>Änderung speichern</translation>
    </message>
    <message>
        <source>cancel edit</source>
        <translation>Änderung verwerfen</translation>
    </message>
    <message>
        <source>refresh data</source>
        <translation>Daten aktualisieren</translation>
    </message>
</context>
<context>
    <name>trb::gui::TableGrid</name>
    <message>
        <source>Delete record?</source>
        <translation>Datensatz löschen?</translation>
    </message>
</context>
<context>
    <name>trb::db::TableEditor</name>
    <message>
        <source>The table %1 does not exist.</source>
        <translation>Die Tabelle %1 existiert nicht.</translation>
    </message>
    <message>
        <source>table</source>
        <translation>Tabelle</translation>
    </message>
    <message>
        <source>The rows of table %1 cannot be told apart for editing.</source>
        <translation>Die Zeilen der Tabelle %1 lassen sich zum Bearbeiten nicht unterscheiden.</translation>
    </message>
    <message>
        <source>The table %1 has no column %2.</source>
        <translation>Die Tabelle %1 hat keine Spalte %2.</translation>
    </message>
    <message>
        <source>The row no longer exists in table %1.</source>
        <translation>Die Zeile existiert in der Tabelle %1 nicht mehr.</translation>
    </message>
    <message>
        <source>"%1" is not a number: column %2 takes numbers only.</source>
        <translation>"%1" ist keine Zahl: Spalte %2 nimmt nur Zahlen auf.</translation>
    </message>
    <message>
        <source>"%1" is not a date: column %2 takes dates only.</source>
        <translation>"%1" ist kein Datum: Spalte %2 nimmt nur Daten auf.</translation>
    </message>
    <message>
        <source>"%1" does not fit column %2.</source>
        <translation>"%1" passt nicht in Spalte %2.</translation>
    </message>
    <message>
        <source>value refused</source>
        <translation>Wert abgelehnt</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
</context>
<context>
    <name>trb::gui::OrganicMatterPage</name>
    <message>
        <source>all</source>
        <translation>alle</translation>
    </message>
    <message>
        <source>residues</source>
        <translation>Ernterückstände</translation>
    </message>
    <message>
        <source>substrates</source>
        <translation>Substrate</translation>
    </message>
</context>
<context>
    <name>trb::gui::SoilProfilePage</name>
    <message>
        <source>soil  parameters - underlined items are mandatory</source>
        <translation>Bodenparameter - unterstrichene Angaben sind Pflicht</translation>
    </message>
    <message>
        <source>profile</source>
        <translation>Profil</translation>
    </message>
    <message>
        <source>soil_ID</source>
        <translation>soil_ID</translation>
    </message>
    <message>
        <source>ENTER</source>
        <translation>ENTER</translation>
    </message>
    <message>
        <source>Bulk Density</source>
        <translation>Lagerungsdichte</translation>
    </message>
    <message>
        <source>bulk density in g/cm³</source>
        <translation>Lagerungsdichte in g/cm³</translation>
    </message>
    <message>
        <source>PoreVolume</source>
        <translation>Porenvolumen</translation>
    </message>
    <message>
        <source>porosity in VOL%</source>
        <translation>Porosität in Vol.-%</translation>
    </message>
    <message>
        <source>Field Capacity</source>
        <translation>Feldkapazität</translation>
    </message>
    <message>
        <source>top soil water capacity on field [VOL%]</source>
        <translation>Feldkapazität des Oberbodens [Vol.-%]</translation>
    </message>
    <message>
        <source>Permanent Wilting Point</source>
        <translation>Permanenter Welkepunkt</translation>
    </message>
    <message>
        <source>top soil wilting point [Vol%]</source>
        <translation>Welkepunkt des Oberbodens [Vol.-%]</translation>
    </message>
    <message>
        <source>Fine Particles</source>
        <translation>Feinanteil</translation>
    </message>
    <message>
        <source>particles &lt;6 microns [%]</source>
        <translation>Teilchen &lt;6 µm [%]</translation>
    </message>
    <message>
        <source>Silt</source>
        <translation>Schluff</translation>
    </message>
    <message>
        <source>silt content in %</source>
        <translation>Schluffgehalt in %</translation>
    </message>
    <message>
        <source>Clay</source>
        <translation>Ton</translation>
    </message>
    <message>
        <source>clay content in %</source>
        <translation>Tongehalt in %</translation>
    </message>
    <message>
        <source>soil type (ReichsBodenSchätzung)</source>
        <translation>Bodenart (Reichsbodenschätzung)</translation>
    </message>
    <message>
        <source>german Reichsbodenschätzung</source>
        <translation>Bodenart nach Reichsbodenschätzung</translation>
    </message>
    <message>
        <source>Skelett</source>
        <translation>Skelett</translation>
    </message>
    <message>
        <source>content of stones etc</source>
        <translation>Steingehalt usw.</translation>
    </message>
    <message>
        <source>C-Inert-Factor (CIF)</source>
        <translation>C-Inert-Faktor (CIF)</translation>
    </message>
    <message>
        <source>use this CIF</source>
        <translation>diesen CIF verwenden</translation>
    </message>
    <message>
        <source>Delete record?</source>
        <translation>Datensatz löschen?</translation>
    </message>
    <message>
        <source>confirm append</source>
        <translation>Anfügen bestätigen</translation>
    </message>
    <message>
        <source>create new profile ?</source>
        <translation>neues Profil anlegen ?</translation>
    </message>
</context>
<context>
    <name>trb::gui::TableBrowserPage</name>
    <message>
        <source>export to XLS</source>
        <translation>nach XLS exportieren</translation>
    </message>
</context>
<context>
    <name>trb::gui::ReferencesPage</name>
    <message>
        <source>import from RIS-file</source>
        <translation>aus RIS-Datei importieren</translation>
    </message>
    <message>
        <source>print references</source>
        <translation>Literatur drucken</translation>
    </message>
</context>
<context>
    <name>trb::gui::ParameterEditor</name>
    <message>
        <source>INDEX</source>
        <translation>INDEX</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>UNIT</source>
        <translation>EINHEIT</translation>
    </message>
    <message>
        <source>Fertilizers</source>
        <translation>Mineraldünger</translation>
    </message>
    <message>
        <source>Actions</source>
        <translation>Maßnahmen</translation>
    </message>
    <message>
        <source>Properties</source>
        <translation>Merkmale</translation>
    </message>
    <message>
        <source>Soil Profiles</source>
        <translation>Bodenprofile</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
    <message>
        <source>references</source>
        <translation>Literatur</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Ende</translation>
    </message>
</context>
</TS>
