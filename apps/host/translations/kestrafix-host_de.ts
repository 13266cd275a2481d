<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>kxhost::HostWindow</name>
    <message>
        <location filename="../host_window.cpp" line="+48"/>
        <source>Kestrafix host</source>
        <translation>Kestrafix-Host</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>Search jobs (* ? # [list])</source>
        <translation>Aufträge suchen (* ? # [Liste])</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Shows the jobs that hold this text in any column, without regard to case.
* stands for any text, ? for one character, # for one digit, [abc] for one of them.</source>
        <translation>Zeigt die Aufträge, die diesen Text in einer Spalte enthalten, ohne Rücksicht auf Groß- und Kleinschreibung.
* steht für beliebigen Text, ? für ein Zeichen, # für eine Ziffer, [abc] für eines davon.</translation>
    </message>
    <message>
        <location line="+14"/>
        <location line="+164"/>
        <source>No host configuration open.</source>
        <translation>Keine Host-Konfiguration geöffnet.</translation>
    </message>
    <message>
        <location line="-158"/>
        <source>&amp;Open configuration…</source>
        <translation>Konfiguration ö&amp;ffnen …</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;New job…</source>
        <translation>&amp;Neuer Auftrag …</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Replace…</source>
        <translation>&amp;Ersetzen …</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Undo last replace…</source>
        <translation>Letztes Ersetzen &amp;rückgängig …</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Re&amp;fresh</source>
        <translation>&amp;Aktualisieren</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;User guide</source>
        <translation>&amp;Benutzerhandbuch</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;About Kestrafix host</source>
        <translation>Ü&amp;ber Kestrafix-Host</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Open &amp;recent</source>
        <translation>&amp;Zuletzt geöffnet</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>&amp;Jobs</source>
        <translation>&amp;Aufträge</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Jobs</source>
        <translation>Aufträge</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Open host configuration</source>
        <translation>Host-Konfiguration öffnen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Host configuration (*.cfg *.ini);;All files (*)</source>
        <translation>Host-Konfiguration (*.cfg *.ini);;Alle Dateien (*)</translation>
    </message>
    <message numerus="yes">
        <location line="+33"/>
        <source>%n job(s)</source>
        <translation>
            <numerusform>%n Auftrag</numerusform>
            <numerusform>%n Aufträge</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>%1 of %n job(s)</source>
        <translation>
            <numerusform>%1 von %n Auftrag</numerusform>
            <numerusform>%1 von %n Aufträgen</numerusform>
        </translation>
    </message>
    <message>
        <location line="+10"/>
        <location line="+201"/>
        <location line="+6"/>
        <source>Kestrafix add-in</source>
        <translation>Kestrafix-Add-in</translation>
    </message>
    <message>
        <location line="-201"/>
        <source>The add-in %1 is not registered (%2), and no libkestrafix.so was found beside kestrafix-host to register.</source>
        <translation>Das Add-in %1 ist nicht registriert (%2), und neben kestrafix-host liegt keine libkestrafix.so, die sich registrieren ließe.</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+6"/>
        <location line="+8"/>
        <source>Add-in not registered</source>
        <translation>Add-in nicht registriert</translation>
    </message>
    <message>
        <location line="-10"/>
        <source>The add-in %1 is not registered (%2).

Register %3 now?</source>
        <translation>Das Add-in %1 ist nicht registriert (%2).

%3 jetzt registrieren?</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>The add-in %1 could not be registered:
%2</source>
        <translation>Das Add-in %1 konnte nicht registriert werden:
%2</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>The add-in registered as %1 could not be loaded:
%2

%3</source>
        <translation>Das als %1 registrierte Add-in konnte nicht geladen werden:
%2

%3</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Add-in not loaded</source>
        <translation>Add-in nicht geladen</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Host configuration</source>
        <translation>Host-Konfiguration</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Kestrafix host - %1</source>
        <translation>Kestrafix-Host – %1</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The host configuration file %1 does not exist.</source>
        <translation>Die Host-Konfigurationsdatei %1 gibt es nicht.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The host configuration file %1 names no job database ([TORVEL] DbName).</source>
        <translation>Die Host-Konfigurationsdatei %1 nennt keine Auftragsdatenbank ([TORVEL] DbName).</translation>
    </message>
    <message>
        <location line="+1"/>
        <location line="+24"/>
        <source>No job database</source>
        <translation>Keine Auftragsdatenbank</translation>
    </message>
    <message>
        <location line="-6"/>
        <source>The job database %1 does not exist.

It is named by [TORVEL] DbName in %2. Drive letters are found through the drive map (KESTRAFIX_DRIVE_MAP).</source>
        <translation>Die Auftragsdatenbank %1 gibt es nicht.

Sie ist in %2 unter [TORVEL] DbName genannt. Laufwerksbuchstaben werden über die Laufwerkszuordnung (KESTRAFIX_DRIVE_MAP) gefunden.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The job database %1 could not be opened:
%2

It is named by [TORVEL] DbName in %3.</source>
        <translation>Die Auftragsdatenbank %1 ließ sich nicht öffnen:
%2

Sie ist in %3 unter [TORVEL] DbName genannt.</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+32"/>
        <source>Job database</source>
        <translation>Auftragsdatenbank</translation>
    </message>
    <message>
        <location line="-20"/>
        <source>Message file</source>
        <translation>Meldungsdatei</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>The message file of this configuration is missing:
%1

The new-job dialog shows empty captions and messages until it is there.</source>
        <translation>Die Meldungsdatei dieser Konfiguration fehlt:
%1

Der Dialog „Neuer Auftrag“ zeigt leere Beschriftungen und Meldungen, bis sie da ist.</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Opened %1</source>
        <translation>%1 geöffnet</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>The job table could not be read again:
%1</source>
        <translation>Die Auftragstabelle ließ sich nicht neu lesen:
%1</translation>
    </message>
    <message>
        <source>The jobs could not be sorted: %1</source>
        <translation>Die Aufträge ließen sich nicht sortieren: %1</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The search &quot;%1&quot; cannot be read: %2</source>
        <translation>Die Suche „%1“ ist kein gültiges Muster: %2</translation>
    </message>
    <message>
        <location line="+73"/>
        <location line="+49"/>
        <source>Open a host configuration with a job database first.</source>
        <translation>Öffnen Sie zuerst eine Host-Konfiguration mit einer Auftragsdatenbank.</translation>
    </message>
    <message>
        <location line="-42"/>
        <source>The add-in %1 could not create its object.
%2</source>
        <translation>Das Add-in %1 konnte sein Objekt nicht anlegen.
%2</translation>
    </message>
    <message>
        <location line="+23"/>
        <source>New job %1 created</source>
        <translation>Neuer Auftrag %1 angelegt</translation>
    </message>
    <message numerus="yes">
        <location line="+6"/>
        <source>%n job(s) changed</source>
        <translation>
            <numerusform>%n Auftrag geändert</numerusform>
            <numerusform>%n Aufträge geändert</numerusform>
        </translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Nothing changed</source>
        <translation>Nichts geändert</translation>
    </message>
    <message>
        <location line="+5"/>
        <location line="+40"/>
        <source>Cancelled</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <location line="-34"/>
        <source>Undo last replace</source>
        <translation>Letztes Ersetzen rückgängig machen</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The replace history could not be read:
%1</source>
        <translation>Der Verlauf der Ersetzungen konnte nicht gelesen werden:
%1</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>No replace to undo.</source>
        <translation>Es gibt kein Ersetzen, das rückgängig gemacht werden kann.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>No replace to undo</source>
        <translation>Kein Ersetzen rückgängig zu machen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Replace %1 of [%2] cannot be undone: every job it changed was changed again or deleted.</source>
        <translation>Ersetzen %1 in [%2] kann nicht rückgängig gemacht werden: Jeder Auftrag, den es geändert hat, wurde seitdem wieder geändert oder gelöscht.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Nothing to undo</source>
        <translation>Nichts rückgängig zu machen</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Undo replace %1 of [%2]?

%3 job(s) get their old value back.</source>
        <translation>Ersetzen %1 in [%2] rückgängig machen?

%3 Auftrag/Aufträge erhalten ihren alten Wert zurück.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>
%1 job(s) changed since or deleted are left alone.</source>
        <translation>
%1 seitdem geänderte oder gelöschte Auftrag/Aufträge bleiben unberührt.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Replace %1 could not be undone:
%2</source>
        <translation>Ersetzen %1 konnte nicht rückgängig gemacht werden:
%2</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Replace %1 undone: %2 job(s) set back, %3 left alone</source>
        <translation>Ersetzen %1 rückgängig gemacht: %2 Auftrag/Aufträge zurückgesetzt, %3 unberührt</translation>
    </message>
    <message>
        <location filename="../host_session.cpp" line="+43"/>
        <source>The host configuration used last, %1, is no longer there. Open another one with File &gt; Open configuration… (Ctrl+O).</source>
        <translation>Die zuletzt benutzte Host-Konfiguration %1 gibt es nicht mehr. Öffnen Sie eine andere mit Datei &gt; Konfiguration öffnen … (Strg+O).</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>No host configuration open, and there is no demo in this folder (%1).

Open a configuration with File &gt; Open configuration… (Ctrl+O), or make a demo with
kestrafix demo kestrafix-demo</source>
        <translation>Keine Host-Konfiguration geöffnet, und in diesem Ordner (%1) liegt keine Demo.

Öffnen Sie eine Konfiguration mit Datei &gt; Konfiguration öffnen … (Strg+O), oder legen Sie eine Demo an mit
kestrafix demo kestrafix-demo</translation>
    </message>
    <message>
        <location line="+45"/>
        <location line="+6"/>
        <source>User guide</source>
        <translation>Benutzerhandbuch</translation>
    </message>
    <message>
        <location line="-5"/>
        <source>The user guide was not found. It is docs/user-guide.md of the Kestrafix sources, and share/doc/kestrafix/user-guide.md of an installation.</source>
        <translation>Das Benutzerhandbuch wurde nicht gefunden. Es ist docs/user-guide.md in den Kestrafix-Quellen und share/doc/kestrafix/user-guide.md einer Installation.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>No program could show %1.</source>
        <translation>Kein Programm konnte %1 anzeigen.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>%1 (interface %2)</source>
        <translation>%1 (Schnittstelle %2)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>not loaded</source>
        <translation>nicht geladen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>&lt;h3&gt;Kestrafix host %1&lt;/h3&gt;&lt;p&gt;A job manager window that runs the Kestrafix add-in: new NC jobs and changes to many jobs at once.&lt;/p&gt;&lt;p&gt;Licence: %2&lt;/p&gt;&lt;p&gt;Add-in: %3&lt;br&gt;Qt %4, SQLite %5, ICU %6&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Kestrafix-Host %1&lt;/h3&gt;&lt;p&gt;Ein Auftragsverwaltungsfenster, das das Kestrafix-Add-in ausführt: neue NC-Aufträge und Änderungen an vielen Aufträgen auf einmal.&lt;/p&gt;&lt;p&gt;Lizenz: %2&lt;/p&gt;&lt;p&gt;Add-in: %3&lt;br&gt;Qt %4, SQLite %5, ICU %6&lt;/p&gt;</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>About Kestrafix host</source>
        <translation>Über Kestrafix-Host</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <location filename="../main.cpp" line="+24"/>
        <source>Host configuration file to open.</source>
        <translation>Zu öffnende Host-Konfigurationsdatei.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Save the window as a PNG image and quit; with a message shown instead of waiting for it, and exit status 1.</source>
        <translation>Das Fenster als PNG-Bild speichern und beenden; eine Meldung wird mit abgebildet statt auf sie zu warten, mit Exit-Status 1.</translation>
    </message>
    <message>
        <source>Print the time to the first screen of the job table and to the screen of its last row, then quit.</source>
        <translation>Die Zeit bis zum ersten Bild der Auftragstabelle und bis zum Bild ihrer letzten Zeile ausgeben, dann beenden.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Job manager window that runs the Kestrafix add-in. Without --config it opens
the configuration used last, or ./kestrafix-demo/torvel.cfg.</source>
        <translation>Auftragsverwaltungsfenster, das das Kestrafix-Add-in ausführt. Ohne --config
öffnet es die zuletzt benutzte Konfiguration oder ./kestrafix-demo/torvel.cfg.</translation>
    </message>
</context>
</TS>
