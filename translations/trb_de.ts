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
        <translation>Daten Verarbeiten</translation>
    </message>
    <message>
        <source>&amp;Climate Data</source>
        <translation>Klimadaten</translation>
    </message>
    <message>
        <source>&amp;Parameters</source>
        <translation>Parameter</translation>
    </message>
    <message>
        <source>S&amp;QL - module</source>
        <translation>SQL-Datenrecherche</translation>
    </message>
    <message>
        <source>Data &amp;Transfer</source>
        <translation>Datentransfer</translation>
    </message>
    <message>
        <source>Settin&amp;gs</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Change System &amp;Database</source>
        <translation>Auswahl der Datenbank</translation>
    </message>
    <message>
        <source>&amp;End</source>
        <translation>Ende</translation>
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
</context>
<context>
    <name>trb::gui::SimulatorWindow</name>
    <message>
        <source>database</source>
        <translation>Datenbank</translation>
    </message>
    <message>
        <source>calculate</source>
        <translation>berechnen</translation>
    </message>
    <message>
        <source>recalc BAT</source>
        <translation>BAT neu berechnen</translation>
    </message>
    <message>
        <source>run r-script</source>
        <translation>R-Skript ausführen</translation>
    </message>
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
        <source>close</source>
        <translation>schließen</translation>
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
        <source>&quot;%1&quot;: &quot;%2&quot; is not a whole number.</source>
        <translation>&quot;%1&quot;: &quot;%2&quot; ist keine ganze Zahl.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;%2&quot; is not a number.</source>
        <translation>&quot;%1&quot;: &quot;%2&quot; ist keine Zahl.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: %2 is outside the allowed range %3 to %4.</source>
        <translation>&quot;%1&quot;: %2 liegt außerhalb des erlaubten Bereichs %3 bis %4.</translation>
    </message>
    <message>
        <source>&quot;%1&quot;: &quot;%2&quot; is none of %3.</source>
        <translation>&quot;%1&quot;: &quot;%2&quot; ist keiner der Werte %3.</translation>
    </message>
</context>
</TS>
