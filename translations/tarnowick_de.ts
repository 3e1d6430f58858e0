<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>tw::CAboutDlg</name>
    <message>
        <source>About Tarnowick Secure Delete</source>
        <translation>Über Tarnowick – Sicheres Löschen</translation>
    </message>
    <message>
        <source>Tarnowick Version %1</source>
        <translation>Tarnowick Version %1</translation>
    </message>
    <message>
        <source>Made by the Tarnowick developers.</source>
        <translation>Entwickelt von den Tarnowick-Entwicklern.</translation>
    </message>
    <message>
        <source>Free software under the GNU General Public License, version 3 or later.
It comes with no warranty: check what it destroys before you start it.</source>
        <translation>Freie Software unter der GNU General Public License, Version 3 oder später.
Ohne jede Gewährleistung: Prüfen Sie, was vernichtet wird, bevor Sie beginnen.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>tw::CCommandRunner</name>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>tw::CConfirm</name>
    <message>
        <source>Secure Delete Confirm</source>
        <translation>Sicheres Löschen bestätigen</translation>
    </message>
    <message>
        <source>Secure Delete File:</source>
        <translation>Datei sicher löschen:</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>Yes To All</source>
        <translation>Ja, alle</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>tw::CDiskError</name>
    <message>
        <source>Tarnowick Secure Delete</source>
        <translation>Tarnowick – Sicheres Löschen</translation>
    </message>
    <message>
        <source>Error During Secure Disk</source>
        <translation>Fehler beim Überschreiben des Laufwerks</translation>
    </message>
    <message>
        <source>Ignore Disk</source>
        <translation>Laufwerk übergehen</translation>
    </message>
</context>
<context>
    <name>tw::CDriveTree</name>
    <message>
        <source>Drives</source>
        <translation>Laufwerke</translation>
    </message>
    <message>
        <source>Click a drive or press Space to mark it or clear its mark</source>
        <translation>Klicken Sie auf ein Laufwerk oder drücken Sie die Leertaste, um es zu markieren oder die Markierung aufzuheben</translation>
    </message>
</context>
<context>
    <name>tw::CDropTarget</name>
    <message>
        <source>A command is running: nothing can be dropped until it ends</source>
        <translation>Ein Befehl läuft: Bis er endet, kann nichts abgelegt werden</translation>
    </message>
    <message>
        <source>Only files can be dropped here</source>
        <translation>Hier können nur Dateien abgelegt werden</translation>
    </message>
    <message>
        <source>Only files on this computer can be destroyed</source>
        <translation>Nur Dateien auf diesem Computer können vernichtet werden</translation>
    </message>
    <message>
        <source>This drag only offers to move the files: drop them without Shift</source>
        <translation>Dieses Ziehen bietet nur das Verschieben an: Legen Sie die Dateien ohne Umschalttaste ab</translation>
    </message>
    <message>
        <source>Drop to securely delete 1 item (asked first)</source>
        <translation>Ablegen, um 1 Eintrag sicher zu löschen (mit Rückfrage)</translation>
    </message>
    <message numerus="yes">
        <source>Drop to securely delete %n items (each asked first)</source>
        <translation>
            <numerusform>Ablegen, um %n Eintrag sicher zu löschen (mit Rückfrage)</numerusform>
            <numerusform>Ablegen, um %n Einträge sicher zu löschen (jeder mit Rückfrage)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %n remote left alone</source>
        <translation>
            <numerusform>; %n entfernter bleibt unberührt</numerusform>
            <numerusform>; %n entfernte bleiben unberührt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %n malformed file address left alone</source>
        <translation>
            <numerusform>; %n fehlerhafte Dateiadresse nicht angetastet</numerusform>
            <numerusform>; %n fehlerhafte Dateiadressen nicht angetastet</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>; %n not a file left alone</source>
        <translation>
            <numerusform>; %n Adresse ohne Datei nicht angetastet</numerusform>
            <numerusform>; %n Adressen ohne Datei nicht angetastet</numerusform>
        </translation>
    </message>
    <message>
        <source>This file address is malformed: it names no file, so nothing can be dropped</source>
        <translation>Diese Dateiadresse ist fehlerhaft: Sie nennt keine Datei, daher kann nichts abgelegt werden</translation>
    </message>
    <message>
        <source>These file addresses are malformed: they name no file, so nothing can be dropped</source>
        <translation>Diese Dateiadressen sind fehlerhaft: Sie nennen keine Datei, daher kann nichts abgelegt werden</translation>
    </message>
</context>
<context>
    <name>tw::CFileError</name>
    <message>
        <source>Secure Delete Error</source>
        <translation>Fehler beim sicheren Löschen</translation>
    </message>
    <message>
        <source>Error During Secure Delete - File:</source>
        <translation>Fehler beim sicheren Löschen – Datei:</translation>
    </message>
    <message>
        <source>Ignore File</source>
        <translation>Datei übergehen</translation>
    </message>
</context>
<context>
    <name>tw::CHelpWindow</name>
    <message>
        <source>Tarnowick Help</source>
        <translation>Tarnowick-Hilfe</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Vorwärts</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
</context>
<context>
    <name>tw::CKeyIndicators</name>
    <message>
        <source>CAP</source>
        <translation>UF</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>SCRL</source>
        <translation>RF</translation>
    </message>
</context>
<context>
    <name>tw::CMainFrame</name>
    <message>
        <source>Tarnowick Secure Delete</source>
        <translation>Tarnowick – Sicheres Löschen</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Bereit</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>Save Destruction Report</source>
        <translation>Vernichtungsbericht speichern</translation>
    </message>
    <message>
        <source>The report could not be saved as %1.

%2</source>
        <translation>Der Bericht konnte nicht als %1 gespeichert werden.

%2</translation>
    </message>
    <message>
        <source>Report saved as %1</source>
        <translation>Bericht gespeichert als %1</translation>
    </message>
</context>
<context>
    <name>tw::COpenFileDialog</name>
    <message>
        <source>Look in</source>
        <translation>Suchen in</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>Übergeordnetes Verzeichnis</translation>
    </message>
    <message>
        <source>Home Directory</source>
        <translation>Persönliches Verzeichnis</translation>
    </message>
    <message>
        <source>Look &amp;in:</source>
        <translation>&amp;Suchen in:</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Geändert am</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Show &amp;hidden files</source>
        <translation>&amp;Versteckte Dateien anzeigen</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Öffnen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>File &amp;name:</source>
        <translation>Datei&amp;name:</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>Dateityp:</translation>
    </message>
    <message>
        <source>Link to folder</source>
        <translation>Verknüpfung auf Ordner</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Verknüpfung</translation>
    </message>
    <message>
        <source>Special</source>
        <translation>Spezialdatei</translation>
    </message>
    <message>
        <source>%1 is not a directory.</source>
        <translation>%1 ist kein Verzeichnis.</translation>
    </message>
    <message>
        <source>The file names are not in pairs of double quotes: %1</source>
        <translation>Die Dateinamen stehen nicht paarweise in doppelten Anführungszeichen: %1</translation>
    </message>
    <message>
        <source>%1 is a directory. Pick the files in it.</source>
        <translation>%1 ist ein Verzeichnis. Wählen Sie die Dateien darin.</translation>
    </message>
    <message>
        <source>%1 was not found.</source>
        <translation>%1 wurde nicht gefunden.</translation>
    </message>
    <message>
        <source>Pick one file.</source>
        <translation>Wählen Sie eine Datei.</translation>
    </message>
    <message>
        <source>A file name cannot hold a NUL character.</source>
        <translation>Ein Dateiname kann kein NUL-Zeichen enthalten.</translation>
    </message>
</context>
<context>
    <name>tw::CPreferences</name>
    <message>
        <source>Tarnowick Preferences</source>
        <translation>Tarnowick-Einstellungen</translation>
    </message>
    <message>
        <source>Path: %1 Does Not Exist</source>
        <translation>Pfad: %1 existiert nicht</translation>
    </message>
    <message>
        <source>Tarnowick Secure Delete</source>
        <translation>Tarnowick – Sicheres Löschen</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>%1 invalid</source>
        <translation>%1 ungültig</translation>
    </message>
    <message>
        <source>%1 Already Used</source>
        <translation>%1 bereits verwendet</translation>
    </message>
    <message>
        <source>No Items to Delete</source>
        <translation>Keine Einträge zum Entfernen</translation>
    </message>
    <message>
        <source>No Item Selected</source>
        <translation>Kein Eintrag ausgewählt</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>Alle Dateien</translation>
    </message>
    <message>
        <source>Path To Internet Cache</source>
        <translation>Pfad zum Internet-Cache</translation>
    </message>
    <message>
        <source>Path To Temp Directory</source>
        <translation>Pfad zum Temp-Verzeichnis</translation>
    </message>
    <message>
        <source>Other Path</source>
        <translation>Weiterer Pfad</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Search in</source>
        <translation>Suchen in</translation>
    </message>
    <message>
        <source>These Directories only</source>
        <translation>Nur diese Verzeichnisse</translation>
    </message>
    <message>
        <source>All Directories</source>
        <translation>Alle Verzeichnisse</translation>
    </message>
    <message>
        <source>Include Subdirectories</source>
        <translation>Unterverzeichnisse einbeziehen</translation>
    </message>
    <message>
        <source>File Types</source>
        <translation>Dateitypen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Drives To Scan</source>
        <translation>Zu durchsuchende Laufwerke</translation>
    </message>
    <message>
        <source>Tarnowick Secure Delete</source>
        <comment>the product&apos;s name</comment>
        <translation>Tarnowick – Sicheres Löschen</translation>
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
        <source>Tarnowick Parameters</source>
        <translation>Tarnowick-Parameter</translation>
    </message>
    <message>
        <source>%1 matches every file, whatever its name. A sweep with it destroys every file in its location, and with All Directories every file on the marked drives.

Add %1?</source>
        <translation>%1 passt auf jede Datei, wie immer sie heißt. Ein Durchlauf damit vernichtet jede Datei an seinem Ort und mit „Alle Verzeichnisse“ jede Datei auf den markierten Laufwerken.

%1 hinzufügen?</translation>
    </message>
    <message>
        <source>All Files: %1</source>
        <translation>Alle Dateien: %1</translation>
    </message>
</context>
<context>
    <name>tw::CPreviewModel</name>
    <message numerus="yes">
        <source>%n more files (%1) are not listed</source>
        <translation>
            <numerusform>%n weitere Datei (%1) ist nicht aufgeführt</numerusform>
            <numerusform>%n weitere Dateien (%1) sind nicht aufgeführt</numerusform>
        </translation>
    </message>
    <message>
        <source>Stopped before the walk ended: there may be more</source>
        <translation>Vor dem Ende des Durchlaufs angehalten: Es kann weitere geben</translation>
    </message>
    <message>
        <source>Command, directory, file</source>
        <translation>Befehl, Verzeichnis, Datei</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
</context>
<context>
    <name>tw::CPreviewWindow</name>
    <message>
        <source>Tarnowick Preview</source>
        <translation>Tarnowick-Vorschau</translation>
    </message>
    <message>
        <source>The files each sweep would destroy if it ran now, found by the walk the sweep itself takes. A file that two commands would take is listed under both. Nothing is written or destroyed here.</source>
        <translation>Die Dateien, die jede Bereinigung vernichten würde, wenn sie jetzt liefe, gefunden auf demselben Weg, den die Bereinigung selbst nimmt. Eine Datei, die zwei Befehle erfassen würden, steht unter beiden. Hier wird nichts geschrieben oder vernichtet.</translation>
    </message>
    <message>
        <source>Files the sweeps would destroy</source>
        <translation>Dateien, die die Bereinigungen vernichten würden</translation>
    </message>
    <message>
        <source>1 file, %1</source>
        <translation>1 Datei, %1</translation>
    </message>
    <message numerus="yes">
        <source>%n files, %1</source>
        <translation>
            <numerusform>%n Datei, %1</numerusform>
            <numerusform>%n Dateien, %1</numerusform>
        </translation>
    </message>
    <message>
        <source>Starting ...</source>
        <translation>Beginne ...</translation>
    </message>
    <message>
        <source>Looking ... %1 found so far</source>
        <translation>Suche ... bisher %1 gefunden</translation>
    </message>
    <message>
        <source>Stopped: %1 found</source>
        <translation>Angehalten: %1 gefunden</translation>
    </message>
    <message>
        <source>Done: %1 in all</source>
        <translation>Fertig: insgesamt %1</translation>
    </message>
</context>
<context>
    <name>tw::CProgressBox</name>
    <message>
        <source>Tarnowick Secure Delete Progress</source>
        <translation>Tarnowick – Fortschritt des sicheren Löschens</translation>
    </message>
    <message>
        <source> Scanning for Files ...</source>
        <translation> Dateien werden gesucht ...</translation>
    </message>
    <message>
        <source> Deleting Files ...</source>
        <translation> Dateien werden gelöscht ...</translation>
    </message>
    <message>
        <source> Writing the Report ...</source>
        <translation> Bericht wird geschrieben ...</translation>
    </message>
</context>
<context>
    <name>tw::CRecordModel</name>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message numerus="yes">
        <source>%n more items destroyed (%1) are not listed</source>
        <translation>
            <numerusform>%n weiterer vernichteter Eintrag (%1) ist nicht aufgeführt</numerusform>
            <numerusform>%n weitere vernichtete Einträge (%1) sind nicht aufgeführt</numerusform>
        </translation>
    </message>
    <message>
        <source>So far: %1</source>
        <translation>Bisher: %1</translation>
    </message>
    <message>
        <source>%1, started %2, running</source>
        <translation>%1, begonnen %2, läuft</translation>
    </message>
    <message>
        <source>%1, started %2, took %3</source>
        <translation>%1, begonnen %2, Dauer %3</translation>
    </message>
    <message>
        <source>Memory held</source>
        <translation>Arbeitsspeicher belegt</translation>
    </message>
    <message>
        <source>destroyed</source>
        <translation>vernichtet</translation>
    </message>
    <message>
        <source>left</source>
        <translation>belassen</translation>
    </message>
    <message>
        <source>Item</source>
        <translation>Eintrag</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Cause</source>
        <translation>Ursache</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Meldung</translation>
    </message>
    <message>
        <source>removed</source>
        <translation>entfernt</translation>
    </message>
    <message>
        <source>%1, %2, not run</source>
        <translation>%1, %2, nicht ausgeführt</translation>
    </message>
    <message>
        <source>%1, started %2, stopped after %3</source>
        <translation>%1, begonnen %2, abgebrochen nach %3</translation>
    </message>
</context>
<context>
    <name>tw::CSelectDrives</name>
    <message>
        <source>Tarnowick Select Drives</source>
        <translation>Tarnowick-Laufwerkswahl</translation>
    </message>
</context>
<context>
    <name>tw::CSettings</name>
    <message>
        <source>it is not a regular file</source>
        <translation>sie ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it is larger than 1 MiB</source>
        <translation>sie ist größer als 1 MiB</translation>
    </message>
    <message>
        <source>The settings could not be read from %1: %2. Tarnowick uses its default settings and leaves that file as it is; changes to the settings are not saved.</source>
        <translation>Die Einstellungen konnten nicht aus %1 gelesen werden: %2. Tarnowick verwendet seine Standardeinstellungen und lässt diese Datei unverändert; Änderungen an den Einstellungen werden nicht gespeichert.</translation>
    </message>
</context>
<context>
    <name>tw::CTarnowickApp</name>
    <message>
        <source>It is a named pipe (FIFO), not a file. Tarnowick opens only regular files.</source>
        <translation>Es ist eine benannte Pipe (FIFO), keine Datei. Tarnowick öffnet nur reguläre Dateien.</translation>
    </message>
    <message>
        <source>It is a folder, not a file. Tarnowick opens only regular files.</source>
        <translation>Es ist ein Ordner, keine Datei. Tarnowick öffnet nur reguläre Dateien.</translation>
    </message>
    <message>
        <source>It is a device, not a file. Tarnowick opens only regular files.</source>
        <translation>Es ist ein Gerät, keine Datei. Tarnowick öffnet nur reguläre Dateien.</translation>
    </message>
    <message>
        <source>It is a socket, not a file. Tarnowick opens only regular files.</source>
        <translation>Es ist ein Socket, keine Datei. Tarnowick öffnet nur reguläre Dateien.</translation>
    </message>
    <message>
        <source>It is not a regular file. Tarnowick opens only regular files.</source>
        <translation>Es ist keine reguläre Datei. Tarnowick öffnet nur reguläre Dateien.</translation>
    </message>
    <message>
        <source>Cannot open %1.
%2</source>
        <translation>%1 kann nicht geöffnet werden.
%2</translation>
    </message>
    <message>
        <source>later `tarnowick --delete` calls cannot reach this window: %1</source>
        <translation>spätere Aufrufe von `tarnowick --delete` erreichen dieses Fenster nicht: %1</translation>
    </message>
</context>
<context>
    <name>tw::CTarnowickView</name>
    <message>
        <source>Record of this session</source>
        <translation>Protokoll dieser Sitzung</translation>
    </message>
</context>
<context>
    <name>tw::CWorking</name>
    <message>
        <source>Tarnowick Secure Delete Working</source>
        <translation>Tarnowick – Sicheres Löschen läuft</translation>
    </message>
    <message>
        <source>Working ...</source>
        <translation>Arbeite ...</translation>
    </message>
    <message>
        <source>D: /home — 888.8 GiB of 888.8 GiB, 888 MB/s, about 88 h 88 min left</source>
        <comment>a long progress line, to measure the window&apos;s width by</comment>
        <translation>D: /home — 888.8 GiB von 888.8 GiB, 888 MB/s, noch etwa 88 h 88 min</translation>
    </message>
</context>
<context>
    <name>tw::CommandLine</name>
    <message>
        <source>--delete needs at least one file name</source>
        <translation>--delete braucht mindestens einen Dateinamen</translation>
    </message>
    <message>
        <source>an empty file name was given</source>
        <translation>ein leerer Dateiname wurde angegeben</translation>
    </message>
    <message>
        <source>the current directory is unknown, so %1 cannot be found; give a full path</source>
        <translation>das aktuelle Verzeichnis ist unbekannt, daher kann %1 nicht gefunden werden; geben Sie einen vollständigen Pfad an</translation>
    </message>
    <message>
        <source>unknown argument before --delete: %1</source>
        <translation>unbekanntes Argument vor --delete: %1</translation>
    </message>
    <message>
        <source>more than one file name</source>
        <translation>mehr als ein Dateiname</translation>
    </message>
    <message>
        <source>unknown option %1</source>
        <translation>unbekannte Option %1</translation>
    </message>
    <message>
        <source>usage: tarnowick [FILE]
       tarnowick --delete FILE...
       tarnowick --help | --version
</source>
        <translation>Aufruf: tarnowick [DATEI]
        tarnowick --delete DATEI...
        tarnowick --help | --version
</translation>
    </message>
    <message>
        <source>
Opens the Tarnowick window, which destroys files by overwriting them
before removing them.

  FILE               opened for reading only, never changed
  --delete FILE...   asks in the window about each FILE (&quot;Secure Delete
                     Confirm&quot;) and destroys those answered Yes; when
                     Tarnowick already runs for this user, its window asks
  --help             shows this text
  --version          shows the version

The manual is in Help &gt; Index.
</source>
        <translation>
Öffnet das Fenster von Tarnowick, das Dateien vernichtet, indem es sie vor
dem Entfernen überschreibt.

  DATEI              nur zum Lesen geöffnet, nie verändert
  --delete DATEI...  fragt im Fenster nach jeder DATEI („Sicheres Löschen
                     bestätigen“) und vernichtet die mit Ja beantworteten;
                     läuft Tarnowick für diesen Benutzer schon, fragt dessen
                     Fenster
  --help             zeigt diesen Text
  --version          zeigt die Version

Das Handbuch steht unter Hilfe &gt; Inhalt (englisch).
</translation>
    </message>
</context>
<context>
    <name>tw::CommandTable</name>
    <message>
        <source>&amp;Secure Delete File	Ctrl+D</source>
        <translation>&amp;Datei sicher löschen	Strg+D</translation>
    </message>
    <message>
        <source>Secure Delete File</source>
        <translation>Datei sicher löschen</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Datei</translation>
    </message>
    <message>
        <source>Secure Delete &amp;Cache	Ctrl+C</source>
        <translation>&amp;Cache sicher löschen	Strg+C</translation>
    </message>
    <message>
        <source>Secure Delete Internet Cache</source>
        <translation>Internet-Cache sicher löschen</translation>
    </message>
    <message>
        <source>Cache</source>
        <translation>Cache</translation>
    </message>
    <message>
        <source>Secure Delete Temp Files	Ctrl+T</source>
        <translation>Temporäre Dateien sicher löschen	Strg+T</translation>
    </message>
    <message>
        <source>Secure Delete Temporary Files</source>
        <translation>Temporäre Dateien sicher löschen</translation>
    </message>
    <message>
        <source>Temp</source>
        <translation>Temporär</translation>
    </message>
    <message>
        <source>Secure Delete &amp;Other	Ctrl+O</source>
        <translation>&amp;Weiteres Verzeichnis sicher löschen	Strg+O</translation>
    </message>
    <message>
        <source>Secure Delete Other Directory</source>
        <translation>Weiteres Verzeichnis sicher löschen</translation>
    </message>
    <message>
        <source>Other</source>
        <translation>Weiteres</translation>
    </message>
    <message>
        <source>Secure Delete &amp;Preferences	Ctrl+P</source>
        <translation>Nach &amp;Einstellungen sicher löschen	Strg+P</translation>
    </message>
    <message>
        <source>Secure Delete by User Preferences</source>
        <translation>Nach den Einstellungen des Benutzers sicher löschen</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Overcommit Swapfile	Ctrl+S</source>
        <translation>Auslagerung überfüllen	Strg+S</translation>
    </message>
    <message>
        <source>Overcommit Swapfile</source>
        <translation>Auslagerung überfüllen</translation>
    </message>
    <message>
        <source>Swapfile</source>
        <translation>Auslagerung</translation>
    </message>
    <message>
        <source>Secure Empty Space	Ctrl+E</source>
        <translation>Freien Speicherplatz sicher löschen	Strg+E</translation>
    </message>
    <message>
        <source>Secure Empty Space on Disk</source>
        <translation>Freien Speicherplatz auf dem Laufwerk sicher löschen</translation>
    </message>
    <message>
        <source>Secure Deleted Files</source>
        <translation>Sicher gelöschte Dateien</translation>
    </message>
    <message>
        <source>Save &amp;Report...	Ctrl+Shift+S</source>
        <translation>Bericht &amp;speichern...	Strg+Umschalt+S</translation>
    </message>
    <message>
        <source>Save the record of this session as a destruction report</source>
        <translation>Das Protokoll dieser Sitzung als Vernichtungsbericht speichern</translation>
    </message>
    <message>
        <source>Save Report</source>
        <translation>Bericht speichern</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Quit the application</source>
        <translation>Das Programm beenden</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Preferences	Ctrl+R</source>
        <translation>Einstellungen	Strg+R</translation>
    </message>
    <message>
        <source>Enter Preferences</source>
        <translation>Einstellungen bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Werkzeugleiste</translation>
    </message>
    <message>
        <source>Show or hide the toolbar</source>
        <translation>Die Werkzeugleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Toggle ToolBar</source>
        <translation>Werkzeugleiste umschalten</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Statusleiste</translation>
    </message>
    <message>
        <source>Show or hide the status bar</source>
        <translation>Die Statusleiste ein- oder ausblenden</translation>
    </message>
    <message>
        <source>Toggle StatusBar</source>
        <translation>Statusleiste umschalten</translation>
    </message>
    <message>
        <source>Show &amp;Progress Bar</source>
        <translation>&amp;Fortschrittsbalken anzeigen</translation>
    </message>
    <message>
        <source>Display Progress Bar</source>
        <translation>Fortschrittsbalken anzeigen</translation>
    </message>
    <message>
        <source>Toggle Progress Bar</source>
        <translation>Fortschrittsbalken umschalten</translation>
    </message>
    <message>
        <source>Pre&amp;view Sweeps...</source>
        <translation>&amp;Vorschau der Bereinigungen...</translation>
    </message>
    <message>
        <source>List the files each sweep would destroy now, without destroying anything</source>
        <translation>Die Dateien auflisten, die jede Bereinigung jetzt vernichten würde, ohne etwas zu vernichten</translation>
    </message>
    <message>
        <source>Preview Sweeps</source>
        <translation>Vorschau der Bereinigungen</translation>
    </message>
    <message>
        <source>Index</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Help Index</source>
        <translation>Inhalt der Hilfe</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>&amp;About Tarnowick...</source>
        <translation>Ü&amp;ber Tarnowick...</translation>
    </message>
    <message>
        <source>Display program information, version number and copyright</source>
        <translation>Programminformationen, Versionsnummer und Urheberrecht anzeigen</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Context Help</source>
        <translation>Kontexthilfe</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
</context>
<context>
    <name>tw::DeleteFileCommand</name>
    <message>
        <source>Not confirmed</source>
        <translation>Nicht bestätigt</translation>
    </message>
    <message>
        <source>This is not a file on this computer. Nothing was touched:</source>
        <translation>Dies ist keine Datei auf diesem Computer. Nichts wurde angefasst:</translation>
    </message>
    <message>
        <source>These are not files on this computer. Nothing was touched:</source>
        <translation>Dies sind keine Dateien auf diesem Computer. Nichts wurde angefasst:</translation>
    </message>
    <message>
        <source>This is a folder, not a file. Nothing in it was touched:</source>
        <translation>Dies ist ein Ordner, keine Datei. Nichts darin wurde angefasst:</translation>
    </message>
    <message>
        <source>These are folders, not files. Nothing in them was touched:</source>
        <translation>Dies sind Ordner, keine Dateien. Nichts darin wurde angefasst:</translation>
    </message>
</context>
<context>
    <name>tw::DirectorySweep</name>
    <message>
        <source>Could not reach the directory %1; nothing in it was swept [ %2 ]</source>
        <translation>Das Verzeichnis %1 war nicht erreichbar; nichts darin wurde bereinigt [ %2 ]</translation>
    </message>
    <message>
        <source>This folder could not be listed; nothing in it was swept</source>
        <translation>Dieser Ordner konnte nicht gelesen werden; nichts darin wurde bereinigt</translation>
    </message>
</context>
<context>
    <name>tw::FileError</name>
    <message>
        <source>Error truncating %1: %2 [ %3 ]</source>
        <translation>Fehler beim Kürzen von %1: %2 [ %3 ]</translation>
    </message>
    <message>
        <source>Error closing %1: %2 [ %3 ]</source>
        <translation>Fehler beim Schließen von %1: %2 [ %3 ]</translation>
    </message>
    <message>
        <source>Error removing %1: %2 [ %3 ]</source>
        <translation>Fehler beim Entfernen von %1: %2 [ %3 ]</translation>
    </message>
    <message>
        <source>Error flushing %1: %2 [ %3 ]</source>
        <translation>Fehler beim Schreiben von %1 auf das Gerät: %2 [ %3 ]</translation>
    </message>
    <message>
        <source>Error verifying %1: the device does not hold the pattern (%2) [ %3 ]</source>
        <translation>Fehler beim Prüfen von %1: Das Gerät enthält nicht das Muster (%2) [ %3 ]</translation>
    </message>
</context>
<context>
    <name>tw::FileWiper</name>
    <message>
        <source>Could not access this file for deletion</source>
        <translation>Kein Zugriff auf diese Datei zum Löschen</translation>
    </message>
    <message>
        <source>Error Securing File</source>
        <translation>Fehler beim sicheren Löschen der Datei </translation>
    </message>
    <message>
        <source>Another program replaced or moved this file while it was being destroyed; what its name holds now was not touched</source>
        <translation>Ein anderes Programm hat diese Datei ersetzt oder verschoben, während sie vernichtet wurde; was ihr Name jetzt enthält, blieb unberührt</translation>
    </message>
    <message>
        <source>Removed by another program after it was overwritten</source>
        <translation>Nach dem Überschreiben von einem anderen Programm entfernt</translation>
    </message>
    <message>
        <source>Old copies remain until the free space of %1: is wiped</source>
        <translation>Alte Kopien bleiben, bis der freie Speicherplatz von %1: überschrieben ist</translation>
    </message>
    <message>
        <source>Old copies remain on its volume</source>
        <translation>Alte Kopien bleiben auf ihrem Datenträger</translation>
    </message>
    <message>
        <source>The original remains in the overlay&apos;s lower layer</source>
        <translation>Das Original bleibt in der unteren Schicht des Overlays</translation>
    </message>
</context>
<context>
    <name>tw::FillProgress</name>
    <message>
        <source>less than a minute</source>
        <translation>weniger als eine Minute</translation>
    </message>
    <message>
        <source>about %1 min</source>
        <translation>etwa %1 min</translation>
    </message>
    <message>
        <source>about %1 h</source>
        <translation>etwa %1 h</translation>
    </message>
    <message>
        <source>about %1 h %2 min</source>
        <translation>etwa %1 h %2 min</translation>
    </message>
    <message>
        <source>Flushing to the device ...</source>
        <translation>Auf das Gerät schreiben ...</translation>
    </message>
    <message>
        <source>Giving the space back ...</source>
        <translation>Speicherplatz wird freigegeben ...</translation>
    </message>
    <message>
        <source>%1: %2 — %3 of %4</source>
        <translation>%1: %2 — %3 von %4</translation>
    </message>
    <message>
        <source>%1 left</source>
        <translation>noch %1</translation>
    </message>
</context>
<context>
    <name>tw::Filler</name>
    <message>
        <source>a filler in %1</source>
        <translation>eine Fülldatei in %1</translation>
    </message>
</context>
<context>
    <name>tw::FreeSpaceWiper</name>
    <message>
        <source>Free space that the file system keeps for the administrator was not overwritten:</source>
        <translation>Freier Speicherplatz, den das Dateisystem für den Administrator zurückhält, wurde nicht überschrieben:</translation>
    </message>
    <message>
        <source>Run Tarnowick as administrator (root) to overwrite it too.</source>
        <translation>Starten Sie Tarnowick als Administrator (root), um auch ihn zu überschreiben.</translation>
    </message>
    <message>
        <source>Error Securing Disk [ %1 ]</source>
        <translation>Fehler beim Überschreiben des Laufwerks [ %1 ]</translation>
    </message>
    <message>
        <source>Stopped before the drive was full</source>
        <translation>Angehalten, bevor das Laufwerk voll war</translation>
    </message>
    <message>
        <source>%1: the drive is no longer mounted (%2).</source>
        <translation>%1: Das Laufwerk ist nicht mehr eingehängt (%2).</translation>
    </message>
    <message>
        <source>%1: the drive is mounted read-only, so nothing can be written to it (%2).</source>
        <translation>%1: Das Laufwerk ist nur lesbar eingehängt, daher kann nichts darauf geschrieben werden (%2).</translation>
    </message>
    <message>
        <source>%1: its root folder is not writable for you, nor is a folder of yours on this drive, so the file that fills the free space could not be created (%2).</source>
        <translation>%1: Sein oberster Ordner ist für Sie nicht beschreibbar, und auch kein eigener Ordner auf diesem Laufwerk; daher konnte die Datei, die den freien Platz füllt, nicht angelegt werden (%2).</translation>
    </message>
    <message>
        <source>%1: the file that fills the free space could not be created (%2).</source>
        <translation>%1: Die Datei, die den freien Platz füllt, konnte nicht angelegt werden (%2).</translation>
    </message>
    <message>
        <source>%1: no drive with this letter is mounted now, so its free space was not overwritten.</source>
        <translation>%1: Zurzeit ist kein Laufwerk mit diesem Buchstaben eingehängt; sein freier Platz wurde nicht überschrieben.</translation>
    </message>
    <message>
        <source>Free space that the file system keeps back for its own records was not overwritten: no program can write there while the drive is mounted.</source>
        <translation>Freier Speicherplatz, den das Dateisystem für seine eigenen Verwaltungsdaten zurückhält, wurde nicht überschrieben: Solange das Laufwerk eingehängt ist, kann kein Programm dorthin schreiben.</translation>
    </message>
    <message>
        <source>The journal of these drives was not overwritten; it may still hold the names of removed files and copies of small ones:</source>
        <translation>Das Journal dieser Laufwerke wurde nicht überschrieben; es kann noch die Namen entfernter Dateien und Kopien kleiner Dateien enthalten:</translation>
    </message>
    <message>
        <source>Run Tarnowick as administrator (root) to overwrite the journal too.</source>
        <translation>Starten Sie Tarnowick als Administrator (root), um auch das Journal zu überschreiben.</translation>
    </message>
</context>
<context>
    <name>tw::FsKind</name>
    <message>
        <source>%1 is on a %2 file system, which writes changes to new places on the device. Overwriting in place cannot reach the old copies of the data there, so its files are reported as removed, not destroyed. Secure Empty Space on this drive overwrites the old copies that lie in its free space; copies that snapshots keep stay until the snapshots are deleted.</source>
        <translation>%1 liegt auf einem %2-Dateisystem, das Änderungen an neue Stellen des Geräts schreibt. Überschreiben an Ort und Stelle erreicht die alten Kopien der Daten dort nicht; seine Dateien werden daher als entfernt gemeldet, nicht als vernichtet. „Freien Speicherplatz sicher löschen“ auf diesem Laufwerk überschreibt die alten Kopien in seinem freien Speicherplatz; Kopien, die Schnappschüsse halten, bleiben, bis die Schnappschüsse gelöscht sind.</translation>
    </message>
    <message>
        <source>%1 is on an overlay file system whose lower layer holds the original of the file. Overwriting reaches only the copy in the upper layer, so such files are reported as removed, not destroyed; the originals stay in the lower layer.</source>
        <translation>%1 liegt auf einem Overlay-Dateisystem, dessen untere Schicht das Original der Datei hält. Überschreiben erreicht nur die Kopie in der oberen Schicht; solche Dateien werden daher als entfernt gemeldet, nicht als vernichtet, und die Originale bleiben in der unteren Schicht.</translation>
    </message>
</context>
<context>
    <name>tw::HandOff</name>
    <message>
        <source>%1; asking in a window of its own</source>
        <translation>%1; es wird in einem eigenen Fenster gefragt</translation>
    </message>
    <message>
        <source>cannot create %1: %2</source>
        <translation>%1 kann nicht angelegt werden: %2</translation>
    </message>
    <message>
        <source>%1 belongs to another user or may be entered by others</source>
        <translation>%1 gehört einem anderen Benutzer oder ist für andere zugänglich</translation>
    </message>
    <message>
        <source>the socket path is too long</source>
        <translation>der Pfad des Sockets ist zu lang</translation>
    </message>
    <message>
        <source>cannot listen at %1: %2</source>
        <translation>an %1 kann nicht gelauscht werden: %2</translation>
    </message>
    <message>
        <source>the program listening at %1 runs as another user</source>
        <translation>das Programm, das an %1 lauscht, läuft als anderer Benutzer</translation>
    </message>
    <message>
        <source>the running Tarnowick does not answer</source>
        <translation>das laufende Tarnowick antwortet nicht</translation>
    </message>
    <message>
        <source>the running Tarnowick closed the connection</source>
        <translation>das laufende Tarnowick hat die Verbindung geschlossen</translation>
    </message>
    <message>
        <source>the running Tarnowick refused the names: %1</source>
        <translation>das laufende Tarnowick hat die Namen abgelehnt: %1</translation>
    </message>
</context>
<context>
    <name>tw::HelpManual</name>
    <message>
        <source>More in the manual...</source>
        <translation>Mehr im Handbuch...</translation>
    </message>
</context>
<context>
    <name>tw::ItemErrorButtons</name>
    <message>
        <source>Cancel Operation</source>
        <translation>Vorgang abbrechen</translation>
    </message>
</context>
<context>
    <name>tw::LocationSweeps</name>
    <message>
        <source>Internet Cache Path Not Entered</source>
        <translation>Pfad zum Internet-Cache nicht eingegeben</translation>
    </message>
    <message>
        <source>Temporary Path Not Entered</source>
        <translation>Pfad zum Temp-Verzeichnis nicht eingegeben</translation>
    </message>
    <message>
        <source>Other Path Not Entered</source>
        <translation>Weiterer Pfad nicht eingegeben</translation>
    </message>
    <message>
        <source> Not Accessible</source>
        <translation> nicht zugänglich</translation>
    </message>
    <message>
        <source>Internet Cache Path</source>
        <translation>Der Pfad zum Internet-Cache</translation>
    </message>
    <message>
        <source>Temporary Path</source>
        <translation>Der Pfad zum Temp-Verzeichnis</translation>
    </message>
    <message>
        <source>Other Path</source>
        <translation>Der weitere Pfad</translation>
    </message>
    <message>
        <source>it does not exist</source>
        <translation>er existiert nicht</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>er ist kein Ordner</translation>
    </message>
    <message>
        <source>you may not list it</source>
        <translation>Sie dürfen ihn nicht lesen</translation>
    </message>
    <message>
        <source>the path is too long</source>
        <translation>der Pfad ist zu lang</translation>
    </message>
    <message>
        <source>it leads through too many symbolic links</source>
        <translation>er führt über zu viele symbolische Verknüpfungen</translation>
    </message>
    <message>
        <source>%1 %2 could not be swept: %3.</source>
        <translation>%1 %2 konnte nicht bereinigt werden: %3.</translation>
    </message>
    <message>
        <source>it holds a NUL byte, which no path can hold</source>
        <translation>er enthält ein NUL-Byte, das kein Pfad enthalten kann</translation>
    </message>
</context>
<context>
    <name>tw::ModalSeam</name>
    <message>
        <source>Tarnowick Parameters</source>
        <translation>Tarnowick-Parameter</translation>
    </message>
</context>
<context>
    <name>tw::ReportPdf</name>
    <message>
        <source>left [ %1 ]</source>
        <translation>belassen [ %1 ]</translation>
    </message>
    <message>
        <source>still running</source>
        <translation>läuft noch</translation>
    </message>
    <message>
        <source>Certificate of Destruction</source>
        <translation>Vernichtungsnachweis</translation>
    </message>
    <message>
        <source>Made by %1 %2 from the record of one session.</source>
        <translation>Erstellt von %1 %2 aus dem Protokoll einer Sitzung.</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Rechner</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Benutzer</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Commands</source>
        <translation>Befehle</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Befehl</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>Begonnen</translation>
    </message>
    <message>
        <source>Ended</source>
        <translation>Beendet</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Ergebnis</translation>
    </message>
    <message>
        <source>Method</source>
        <translation>Verfahren</translation>
    </message>
    <message>
        <source>Limits</source>
        <translation>Grenzen</translation>
    </message>
    <message>
        <source>The items follow, one line each, in the order they were destroyed or left. Bytes of a name that are not UTF-8 are written as \x and two hex digits, a backslash as two backslashes.</source>
        <translation>Es folgen die Einträge, je einer pro Zeile, in der Reihenfolge, in der sie vernichtet oder belassen wurden. Bytes eines Namens, die kein UTF-8 sind, stehen als \x mit zwei Hexadezimalziffern, ein Backslash als zwei Backslashes.</translation>
    </message>
    <message>
        <source>destroyed</source>
        <translation>vernichtet</translation>
    </message>
    <message>
        <source>Tarnowick destruction report, items, page %1</source>
        <translation>Tarnowick-Vernichtungsbericht, Einträge, Seite %1</translation>
    </message>
    <message>
        <source>Tarnowick destruction report</source>
        <translation>Tarnowick-Vernichtungsbericht</translation>
    </message>
    <message>
        <source>The PDF could not be started.</source>
        <translation>Das PDF konnte nicht begonnen werden.</translation>
    </message>
    <message>
        <source>%1, started %2, ended %3: %4</source>
        <translation>%1, begonnen %2, beendet %3: %4</translation>
    </message>
    <message>
        <source>memory held</source>
        <translation>Arbeitsspeicher belegt</translation>
    </message>
    <message numerus="yes">
        <source>%n more items destroyed (%1) are not listed.</source>
        <translation>
            <numerusform>%n weiterer vernichteter Eintrag (%1) ist nicht aufgeführt.</numerusform>
            <numerusform>%n weitere vernichtete Einträge (%1) sind nicht aufgeführt.</numerusform>
        </translation>
    </message>
    <message>
        <source>No items.</source>
        <translation>Keine Einträge.</translation>
    </message>
    <message>
        <source>The PDF could not be finished.</source>
        <translation>Das PDF konnte nicht abgeschlossen werden.</translation>
    </message>
    <message>
        <source>removed</source>
        <translation>entfernt</translation>
    </message>
    <message>
        <source>Tarnowick destruction report, certificate, page %1</source>
        <translation>Tarnowick-Vernichtungsbericht, Bescheinigung, Seite %1</translation>
    </message>
    <message>
        <source>In all: %1.</source>
        <translation>Insgesamt: %1.</translation>
    </message>
    <message>
        <source>%1, %2: %3</source>
        <translation>%1, %2: %3</translation>
    </message>
</context>
<context>
    <name>tw::ReportWriter</name>
    <message>
        <source>Every byte of each file was overwritten in place with the 16-byte pattern &quot;Tarnowick Secure&quot; in one pass and flushed to the device before the file was cut to zero length, renamed to a random name and removed.</source>
        <translation>Jedes Byte jeder Datei wurde an Ort und Stelle in einem Durchgang mit dem 16 Byte langen Muster &quot;Tarnowick Secure&quot; überschrieben und auf das Gerät geschrieben, bevor die Datei auf die Länge null gekürzt, auf einen zufälligen Namen umbenannt und entfernt wurde.</translation>
    </message>
    <message>
        <source>The free space of each drive was filled with files of the 16-byte pattern &quot;Tarnowick Secure&quot; in one pass; the pattern was flushed to the device before these files were emptied and removed.</source>
        <translation>Der freie Speicherplatz jedes Laufwerks wurde in einem Durchgang mit Dateien aus dem 16 Byte langen Muster &quot;Tarnowick Secure&quot; gefüllt; das Muster wurde auf das Gerät geschrieben, bevor diese Dateien geleert und entfernt wurden.</translation>
    </message>
    <message>
        <source>Memory was taken up to what the system granted, written with the pattern &quot;Tarnowick Secure&quot; and held at once, so that the system pushed other memory out to swap, then released. Nothing on a disk was overwritten directly.</source>
        <translation>Arbeitsspeicher wurde belegt, so viel das System gewährte, mit dem Muster &quot;Tarnowick Secure&quot; beschrieben und gleichzeitig gehalten, sodass das System anderen Speicher in die Auslagerung verdrängte, und dann freigegeben. Auf keinem Laufwerk wurde etwas direkt überschrieben.</translation>
    </message>
    <message>
        <source>This report lists what Tarnowick was given and what it did with it. It cannot prove that no other copy of the data exists.</source>
        <translation>Dieser Bericht führt auf, was Tarnowick übergeben wurde und was es damit tat. Er kann nicht beweisen, dass keine andere Kopie der Daten existiert.</translation>
    </message>
    <message>
        <source>Overwriting in place does not reach the old copies that copy-on-write and log-structured file systems (btrfs, ZFS, F2FS, bcachefs) keep, nor snapshots of them.</source>
        <translation>Überschreiben an Ort und Stelle erreicht weder die alten Kopien, die Copy-on-Write- und logstrukturierte Dateisysteme (btrfs, ZFS, F2FS, bcachefs) aufbewahren, noch deren Snapshots.</translation>
    </message>
    <message>
        <source>SSDs, USB sticks and memory cards move data internally: blocks the device has remapped may still hold the old contents.</source>
        <translation>SSDs, USB-Sticks und Speicherkarten verschieben Daten intern: Blöcke, die das Gerät umgelegt hat, können noch den alten Inhalt enthalten.</translation>
    </message>
    <message>
        <source>Journals, backups, swap, caches and copies made by other programs are not reached. The old name of a file may remain in its directory and in the file system&apos;s journal.</source>
        <translation>Journale, Sicherungen, Auslagerung, Caches und Kopien anderer Programme werden nicht erreicht. Der alte Name einer Datei kann in ihrem Verzeichnis und im Journal des Dateisystems bleiben.</translation>
    </message>
    <message>
        <source>Against all of these: full-disk encryption from the start, the device&apos;s own secure erase, or destroying the device.</source>
        <translation>Dagegen hilft: Verschlüsselung des ganzen Laufwerks von Anfang an, das sichere Löschen des Geräts selbst oder die Zerstörung des Geräts.</translation>
    </message>
    <message numerus="yes">
        <source>%n more items destroyed, not listed</source>
        <translation>
            <numerusform>%n weiterer Eintrag vernichtet, nicht aufgeführt</numerusform>
            <numerusform>%n weitere Einträge vernichtet, nicht aufgeführt</numerusform>
        </translation>
    </message>
    <message>
        <source>This name is a symbolic link. A report is never written through a link; choose another name.</source>
        <translation>Dieser Name ist eine symbolische Verknüpfung. Ein Bericht wird nie durch eine Verknüpfung geschrieben; wählen Sie einen anderen Namen.</translation>
    </message>
</context>
<context>
    <name>tw::SessionRecord</name>
    <message>
        <source>1 byte</source>
        <translation>1 Byte</translation>
    </message>
    <message numerus="yes">
        <source>%n bytes</source>
        <translation>
            <numerusform>%n Byte</numerusform>
            <numerusform>%n Byte</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file destroyed</source>
        <translation>
            <numerusform>%n Datei vernichtet</numerusform>
            <numerusform>%n Dateien vernichtet</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n files destroyed</source>
        <translation>
            <numerusform>%n Datei vernichtet</numerusform>
            <numerusform>%n Dateien vernichtet</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n left</source>
        <translation>
            <numerusform>%n belassen</numerusform>
            <numerusform>%n belassen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>free space of %n drive overwritten</source>
        <translation>
            <numerusform>freier Speicherplatz von %n Laufwerk überschrieben</numerusform>
            <numerusform>freier Speicherplatz von %n Laufwerken überschrieben</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>free space of %n drives overwritten</source>
        <translation>
            <numerusform>freier Speicherplatz von %n Laufwerk überschrieben</numerusform>
            <numerusform>freier Speicherplatz von %n Laufwerken überschrieben</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n drive left</source>
        <translation>
            <numerusform>%n Laufwerk belassen</numerusform>
            <numerusform>%n Laufwerke belassen</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n drives left</source>
        <translation>
            <numerusform>%n Laufwerk belassen</numerusform>
            <numerusform>%n Laufwerke belassen</numerusform>
        </translation>
    </message>
    <message>
        <source>held %1 of memory</source>
        <translation>%1 Arbeitsspeicher belegt</translation>
    </message>
    <message>
        <source>nothing destroyed</source>
        <translation>nichts vernichtet</translation>
    </message>
    <message numerus="yes">
        <source>%n removed</source>
        <translation>
            <numerusform>%n entfernt</numerusform>
            <numerusform>%n entfernt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n file removed</source>
        <translation>
            <numerusform>%n Datei entfernt</numerusform>
            <numerusform>%n Dateien entfernt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n files removed</source>
        <translation>
            <numerusform>%n Datei entfernt</numerusform>
            <numerusform>%n Dateien entfernt</numerusform>
        </translation>
    </message>
    <message>
        <source>old copies remain</source>
        <translation>alte Kopien bleiben</translation>
    </message>
    <message>
        <source>old copies remain until the free space of %1 is wiped</source>
        <translation>alte Kopien bleiben, bis der freie Speicherplatz von %1 überschrieben ist</translation>
    </message>
    <message>
        <source>%1 bytes/s</source>
        <translation>%1 Byte/s</translation>
    </message>
    <message numerus="yes">
        <source>%n folder not swept</source>
        <translation>
            <numerusform>%n Ordner nicht bereinigt</numerusform>
            <numerusform>%n Ordner nicht bereinigt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n folders not swept</source>
        <translation>
            <numerusform>%n Ordner nicht bereinigt</numerusform>
            <numerusform>%n Ordner nicht bereinigt</numerusform>
        </translation>
    </message>
    <message>
        <source>stopped by Cancel Operation</source>
        <translation>abgebrochen mit „Vorgang abbrechen“</translation>
    </message>
    <message>
        <source>stopped: the program was asked to end</source>
        <translation>abgebrochen: Das Programm sollte beendet werden</translation>
    </message>
    <message>
        <source>stopped by an error</source>
        <translation>durch einen Fehler abgebrochen</translation>
    </message>
    <message numerus="yes">
        <source>%n matching file not reached</source>
        <translation>
            <numerusform>%n passende Datei nicht erreicht</numerusform>
            <numerusform>%n passende Dateien nicht erreicht</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n matching files not reached</source>
        <translation>
            <numerusform>%n passende Datei nicht erreicht</numerusform>
            <numerusform>%n passende Dateien nicht erreicht</numerusform>
        </translation>
    </message>
    <message>
        <source>the rest was not reached</source>
        <translation>der Rest wurde nicht erreicht</translation>
    </message>
    <message>
        <source>not run: %1</source>
        <translation>nicht ausgeführt: %1</translation>
    </message>
</context>
<context>
    <name>tw::SwapOvercommit</name>
    <message>
        <source>No swap space is configured on this computer, so no memory could be pushed out to it. Nothing was done.</source>
        <translation>Auf diesem Computer ist kein Auslagerungsbereich eingerichtet, daher konnte kein Speicher dorthin verdrängt werden. Es wurde nichts getan.</translation>
    </message>
</context>
<context>
    <name>tw::SweepPreview</name>
    <message>
        <source>No drive is marked in the preferences</source>
        <translation>In den Einstellungen ist kein Laufwerk markiert</translation>
    </message>
    <message>
        <source>No location is set in the preferences</source>
        <translation>In den Einstellungen ist kein Ort eingetragen</translation>
    </message>
</context>
<context>
    <name>tw::cli::CProgressLine</name>
    <message>
        <source>less than a second left</source>
        <translation>noch weniger als eine Sekunde</translation>
    </message>
    <message>
        <source>about %1 left</source>
        <translation>noch etwa %1</translation>
    </message>
    <message>
        <source>files</source>
        <comment>per second</comment>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>tw::cli::CTerminalHost</name>
    <message>
        <source>a stop request</source>
        <translation>eine Aufforderung zum Anhalten</translation>
    </message>
    <message>
        <source>Yes (y), Yes To All (a), No (n), Cancel (q)? </source>
        <translation>Ja (y), Ja, alle (a), Nein (n), Abbrechen (q)? </translation>
    </message>
    <message>
        <source>%1 (i), %2 (c)? </source>
        <translation>%1 (i), %2 (c)? </translation>
    </message>
    <message>
        <source>Would destroy 1 file (%1).</source>
        <translation>Würde 1 Datei vernichten (%1).</translation>
    </message>
    <message numerus="yes">
        <source>Would destroy %n files (%1).</source>
        <translation>
            <numerusform>Würde %n Datei vernichten (%1).</numerusform>
            <numerusform>Würde %n Dateien vernichten (%1).</numerusform>
        </translation>
    </message>
    <message>
        <source>, left %1</source>
        <translation>, %1 belassen</translation>
    </message>
    <message>
        <source>Destroyed 1 file (%1)%2.</source>
        <translation>1 Datei vernichtet (%1)%2.</translation>
    </message>
    <message numerus="yes">
        <source>Destroyed %n files (%1)%2.</source>
        <translation>
            <numerusform>%n Datei vernichtet (%1)%2.</numerusform>
            <numerusform>%n Dateien vernichtet (%1)%2.</numerusform>
        </translation>
    </message>
    <message>
        <source>Overwrote the free space of 1 drive (%1)%2.</source>
        <translation>Freien Speicherplatz von 1 Laufwerk überschrieben (%1)%2.</translation>
    </message>
    <message numerus="yes">
        <source>Overwrote the free space of %n drives (%1)%2.</source>
        <translation>
            <numerusform>Freien Speicherplatz von %n Laufwerk überschrieben (%1)%2.</numerusform>
            <numerusform>Freien Speicherplatz von %n Laufwerken überschrieben (%1)%2.</numerusform>
        </translation>
    </message>
    <message>
        <source>Held %1 of memory, then gave it back.</source>
        <translation>%1 Arbeitsspeicher belegt und wieder freigegeben.</translation>
    </message>
    <message>
        <source>Stopped by an error.</source>
        <translation>Durch einen Fehler angehalten.</translation>
    </message>
    <message>
        <source>Stopped by %1.</source>
        <translation>Angehalten durch %1.</translation>
    </message>
    <message>
        <source>Stopped: Cancel Operation.</source>
        <translation>Angehalten: Vorgang abbrechen.</translation>
    </message>
    <message>
        <source>Removed 1 file; its old copies remain.</source>
        <translation>1 Datei entfernt; ihre alten Kopien bleiben.</translation>
    </message>
    <message numerus="yes">
        <source>Removed %n files; old copies remain.</source>
        <translation>
            <numerusform>%n Datei entfernt; alte Kopien bleiben.</numerusform>
            <numerusform>%n Dateien entfernt; alte Kopien bleiben.</numerusform>
        </translation>
    </message>
    <message>
        <source>Removed 1 file; its old copies remain until the free space of %1 is wiped.</source>
        <translation>1 Datei entfernt; ihre alten Kopien bleiben, bis der freie Speicherplatz von %1 überschrieben ist.</translation>
    </message>
    <message numerus="yes">
        <source>Removed %n files; old copies remain until the free space of %1 is wiped.</source>
        <translation>
            <numerusform>%n Datei entfernt; alte Kopien bleiben, bis der freie Speicherplatz von %1 überschrieben ist.</numerusform>
            <numerusform>%n Dateien entfernt; alte Kopien bleiben, bis der freie Speicherplatz von %1 überschrieben ist.</numerusform>
        </translation>
    </message>
    <message>
        <source>The rest was not reached.</source>
        <translation>Der Rest wurde nicht erreicht.</translation>
    </message>
    <message>
        <source>Not run.</source>
        <translation>Nicht ausgeführt.</translation>
    </message>
</context>
<context>
    <name>tw::cli::CliCommands</name>
    <message>
        <source>Try &apos;tarnowick-cli --help&apos; for more information.</source>
        <translation>Weitere Informationen mit &apos;tarnowick-cli --help&apos;.</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>Mount point</source>
        <translation>Einhängepunkt</translation>
    </message>
    <message>
        <source>File system</source>
        <translation>Dateisystem</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>Frei</translation>
    </message>
    <message>
        <source>Removable</source>
        <translation>Wechselmedium</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>ja</translation>
    </message>
    <message>
        <source>no</source>
        <translation>nein</translation>
    </message>
    <message>
        <source>no terminal to confirm each file on; refusing to wipe.
Give --yes to destroy the files without asking.</source>
        <translation>kein Terminal, um jede Datei zu bestätigen; es wird nichts gelöscht.
Mit --yes werden die Dateien ohne Rückfrage vernichtet.</translation>
    </message>
    <message>
        <source>--on-error=ask needs a terminal on standard input</source>
        <translation>--on-error=ask braucht ein Terminal an der Standardeingabe</translation>
    </message>
    <message>
        <source>No drives chosen: name their letters (tarnowick-cli drives lists them), or choose them once in the window&apos;s Secure Empty Space.</source>
        <translation>Keine Laufwerke gewählt: Geben Sie ihre Buchstaben an (tarnowick-cli drives listet sie auf) oder wählen Sie sie einmal im Fenster unter „Freien Speicherplatz sicher löschen“.</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Unbekannter Fehler</translation>
    </message>
</context>
<context>
    <name>tw::cli::CliOptions</name>
    <message>
        <source>--on-error takes ask, skip or stop, not &apos;%1&apos;</source>
        <translation>--on-error nimmt ask, skip oder stop, nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>kein Befehl angegeben</translation>
    </message>
    <message>
        <source>wipe needs at least one file</source>
        <translation>wipe braucht mindestens eine Datei</translation>
    </message>
    <message>
        <source>an empty file name cannot be wiped</source>
        <translation>ein leerer Dateiname kann nicht gelöscht werden</translation>
    </message>
    <message>
        <source>sweep takes one of cache, temp, other or preferences</source>
        <translation>sweep nimmt cache, temp, other oder preferences</translation>
    </message>
    <message>
        <source>sweep takes one of cache, temp, other or preferences, not &apos;%1&apos;</source>
        <translation>sweep nimmt cache, temp, other oder preferences, nicht &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a drive letter (tarnowick-cli drives lists them)</source>
        <translation>&apos;%1&apos; ist kein Laufwerksbuchstabe (tarnowick-cli drives listet sie auf)</translation>
    </message>
    <message>
        <source>%1 takes no operands</source>
        <translation>%1 nimmt keine Operanden</translation>
    </message>
    <message>
        <source>--dry-run goes with sweep only</source>
        <translation>--dry-run gilt nur für sweep</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>unbekannter Befehl &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--on-error needs a value: ask, skip or stop</source>
        <translation>--on-error braucht einen Wert: ask, skip oder stop</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unbekannte Option &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Usage: tarnowick-cli [OPTION]... COMMAND [OPERAND]...
Destroy files, sweep locations and overwrite free space without a window,
with the settings and drive letters of Tarnowick.

Commands:
  wipe FILE...            overwrite, truncate and remove each FILE
                          (Secure Delete File); asks for each file on a
                          terminal, refuses without one unless --yes
  sweep cache|temp|other|preferences
                          run one of the four sweeps as configured
  empty-space [LETTER]... overwrite the free space of these drives
                          (default: those last chosen for Secure Empty Space)
  overcommit              push memory out to swap (Overcommit Swapfile)
  drives                  list the drives: letter, mount point, file system,
                          size, free space, removable

Options:
  -y, --yes               answer Yes To All: destroy without asking
  -n, --dry-run           sweep: list what would be destroyed, touch nothing
      --on-error=ask|skip|stop
                          when an item cannot be destroyed: ask (the default
                          on a terminal), skip it (Ignore; the default
                          otherwise) or stop (Cancel Operation)
      --json              one JSON object per line on standard output: each
                          item&apos;s result, then a summary
      --verify            read each overwritten file back from the device
                          before it is cut; a file that does not hold the
                          pattern there is an error
  -q, --quiet             no progress, no item lines, no summary text; errors
                          are still reported (with --json the summary stays)
  -h, --help              show this help and exit
  -V, --version           show the version and exit

Exit status: 0 everything selected was destroyed; 1 some items were left;
2 usage error, refusal, or settings that ask for what cannot be done;
3 stopped (Cancel Operation, a signal, or a fatal error).

The manual: man tarnowick-cli
</source>
        <translation>Aufruf: tarnowick-cli [OPTION]... BEFEHL [OPERAND]...
Dateien vernichten, Orte bereinigen und freien Speicherplatz überschreiben,
ohne Fenster, mit den Einstellungen und Laufwerksbuchstaben von Tarnowick.

Befehle:
  wipe DATEI...           jede DATEI überschreiben, kürzen und entfernen
                          (Datei sicher löschen); fragt an einem Terminal
                          für jede Datei, verweigert ohne Terminal
                          (außer mit --yes)
  sweep cache|temp|other|preferences
                          eine der vier Bereinigungen wie eingestellt
                          ausführen
  empty-space [BUCHSTABE]...
                          den freien Speicherplatz dieser Laufwerke
                          überschreiben (Vorgabe: die zuletzt für „Freien
                          Speicherplatz sicher löschen“ gewählten)
  overcommit              Arbeitsspeicher in die Auslagerung verdrängen
                          (Auslagerung überfüllen)
  drives                  die Laufwerke auflisten: Buchstabe, Einhängepunkt,
                          Dateisystem, Größe, freier Platz, Wechselmedium

Optionen:
  -y, --yes               mit „Ja, alle“ antworten: ohne Rückfrage
                          vernichten
  -n, --dry-run           sweep: auflisten, was vernichtet würde, nichts
                          anfassen
      --on-error=ask|skip|stop
                          wenn ein Eintrag nicht vernichtet werden kann:
                          fragen (Vorgabe an einem Terminal), überspringen
                          (Übergehen; sonst die Vorgabe) oder anhalten
                          (Vorgang abbrechen)
      --json              ein JSON-Objekt pro Zeile auf der Standardausgabe:
                          das Ergebnis jedes Eintrags, dann eine
                          Zusammenfassung
      --verify            jede überschriebene Datei vom Gerät zurücklesen,
                          bevor sie gekürzt wird; eine Datei, die dort nicht
                          das Muster enthält, ist ein Fehler
  -q, --quiet             kein Fortschritt, keine Eintragszeilen, kein Text der
                          Zusammenfassung; Fehler werden weiter gemeldet
                          (mit --json bleibt die Zusammenfassung)
  -h, --help              diese Hilfe zeigen und beenden
  -V, --version           die Version zeigen und beenden

Rückgabewert: 0 alles Gewählte wurde vernichtet; 1 einige Einträge blieben;
2 Aufruffehler, Verweigerung oder Einstellungen, die Unmögliches verlangen;
3 angehalten (Vorgang abbrechen, ein Signal oder ein schwerer Fehler).

Das Handbuch: man tarnowick-cli
</translation>
    </message>
</context>
<context>
    <name>tw::cli::TextFormat</name>
    <message>
        <source>an unknown time</source>
        <translation>eine unbekannte Zeit</translation>
    </message>
    <message>
        <source>less than a second</source>
        <translation>weniger als eine Sekunde</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <source>1 file</source>
        <translation>1 Datei</translation>
    </message>
    <message numerus="yes">
        <source>%n files</source>
        <translation>
            <numerusform>%n Datei</numerusform>
            <numerusform>%n Dateien</numerusform>
        </translation>
    </message>
    <message>
        <source>1 drive</source>
        <translation>1 Laufwerk</translation>
    </message>
    <message numerus="yes">
        <source>%n drives</source>
        <translation>
            <numerusform>%n Laufwerk</numerusform>
            <numerusform>%n Laufwerke</numerusform>
        </translation>
    </message>
</context>
</TS>
