<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>Attributes</name>
    <message>
        <source>directory</source>
        <translation>Verzeichnis</translation>
    </message>
    <message>
        <source>hidden</source>
        <translation>versteckt</translation>
    </message>
    <message>
        <source>readonly</source>
        <translation>schreibgeschützt</translation>
    </message>
    <message>
        <source>system</source>
        <translation>System</translation>
    </message>
    <message>
        <source>archive</source>
        <translation>Archiv</translation>
    </message>
</context>
<context>
    <name>DetailsText</name>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Taken</source>
        <translation>Aufgenommen</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Dimensions</source>
        <translation>Abmessungen</translation>
    </message>
    <message>
        <source>Codecs</source>
        <translation>Codecs</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
    <message>
        <source>%1 members listed (not all)</source>
        <translation>%1 Einträge aufgelistet (nicht alle)</translation>
    </message>
    <message>
        <source>%1 members</source>
        <translation>%1 Einträge</translation>
    </message>
    <message>
        <source>Not read</source>
        <translation>Nicht gelesen</translation>
    </message>
    <message>
        <source>Content hash</source>
        <translation>Prüfsumme des Inhalts</translation>
    </message>
</context>
<context>
    <name>EmptyHint</name>
    <message>
        <source>The catalogue holds no disc yet.
To add your first disc or folder, choose CD &gt; Add, or the first button of the toolbar.</source>
        <translation>Der Katalog enthält noch keinen Datenträger.
Um Ihren ersten Datenträger oder Ordner hinzuzufügen, wählen Sie CD &gt; Hinzufügen oder die erste Schaltfläche der Werkzeugleiste.</translation>
    </message>
</context>
<context>
    <name>ItemLocation</name>
    <message>
        <source>Path: %1    Disc: %2</source>
        <translation>Pfad: %1    Medium: %2</translation>
    </message>
</context>
<context>
    <name>LaunchFile</name>
    <message>
        <source>Disc: %1</source>
        <translation>Medium: %1</translation>
    </message>
    <message>
        <source>Label: %1</source>
        <translation>Bezeichnung: %1</translation>
    </message>
    <message>
        <source>Looking for: %1</source>
        <translation>Gesucht wird: %1</translation>
    </message>
    <message>
        <source>this is %1, not %2</source>
        <translation>Dies ist %1, nicht %2</translation>
    </message>
</context>
<context>
    <name>ListExport</name>
    <message>
        <source>CSV (*.csv)</source>
        <translation>CSV (*.csv)</translation>
    </message>
    <message>
        <source>JSON (*.json)</source>
        <translation>JSON (*.json)</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>list</source>
        <translation>liste</translation>
    </message>
    <message>
        <source>The list could not be exported: %1</source>
        <translation>Die Liste konnte nicht exportiert werden: %1</translation>
    </message>
</context>
<context>
    <name>MaintenanceCommands</name>
    <message>
        <source>Backup</source>
        <translation>Sicherung</translation>
    </message>
    <message>
        <source>Karvio Data File (*.cd)</source>
        <translation>Karvio-Datendatei (*.cd)</translation>
    </message>
    <message>
        <source>A salvage copies what can be read.</source>
        <translation>Eine Rettung kopiert, was sich lesen lässt.</translation>
    </message>
    <message>
        <source>A salvage copies what can be read and leaves out %1.</source>
        <translation>Eine Rettung kopiert, was sich lesen lässt, und lässt %1 weg.</translation>
    </message>
    <message>
        <source>Salvage what can be read?</source>
        <translation>Retten, was sich lesen lässt?</translation>
    </message>
    <message>
        <source>The data file %1 is damaged, so it was not backed up; nothing was changed.</source>
        <translation>Die Datendatei %1 ist beschädigt und wurde daher nicht gesichert; es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The data file stays as it is; the salvaged copy is written only to a new file.</source>
        <translation>Die Datendatei bleibt unverändert; die gerettete Kopie wird nur in eine neue Datei geschrieben.</translation>
    </message>
    <message>
        <source>The backup was written, but %1</source>
        <translation>Die Sicherung wurde geschrieben, aber %1</translation>
    </message>
    <message>
        <source>The data file was compacted, but %1</source>
        <translation>Die Datendatei wurde komprimiert, aber %1</translation>
    </message>
    <message>
        <source>What could be read was salvaged. The damaged file is kept as %1</source>
        <translation>Was sich lesen ließ, wurde gerettet. Die beschädigte Datei bleibt als %1 erhalten</translation>
    </message>
    <message>
        <source>The data file %1 is damaged, so it was not compacted; nothing was changed.</source>
        <translation>Die Datendatei %1 ist beschädigt und wurde daher nicht komprimiert; es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The damaged file is kept beside it under a new dated name, and the .bak copy stays as it is.</source>
        <translation>Die beschädigte Datei bleibt daneben unter einem neuen Namen mit Datum erhalten, und die .bak-Kopie bleibt unverändert.</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>You can only edit a cd or a folder from this option</source>
        <translation>Mit diesem Befehl können Sie nur eine CD oder einen Ordner bearbeiten</translation>
    </message>
    <message>
        <source>You can only rescan a cd or a folder from this option</source>
        <translation>Mit diesem Befehl können Sie nur eine CD oder einen Ordner neu einlesen</translation>
    </message>
    <message>
        <source>Only CDs, Folders or Subdirectories can be previewed</source>
        <translation>Eine Vorschau gibt es nur für CDs, Ordner und Unterverzeichnisse</translation>
    </message>
    <message>
        <source>Drag &amp;&amp; Drop is only avaiable for the containers, and not the individual files or directories</source>
        <translation>Ziehen &amp;&amp; Ablegen ist nur für Behälter möglich, nicht für einzelne Dateien oder Verzeichnisse</translation>
    </message>
    <message>
        <source>You can only edit container names, cd names, folder names or the data name</source>
        <translation>Sie können nur die Namen von Behältern, CDs und Ordnern oder den Namen der Daten bearbeiten</translation>
    </message>
    <message>
        <source>You can only delete either a Category or a Folder Container</source>
        <translation>Sie können nur eine Kategorie oder einen Ordner-Behälter löschen</translation>
    </message>
    <message>
        <source>Remove category</source>
        <translation>Kategorie entfernen</translation>
    </message>
    <message>
        <source>You have to select something to delete</source>
        <translation>Wählen Sie zuerst aus, was gelöscht werden soll</translation>
    </message>
    <message>
        <source>You can only move a CD or folder between categories</source>
        <translation>Zwischen Kategorien lassen sich nur CDs und Ordner verschieben</translation>
    </message>
    <message>
        <source>Drag &amp;&amp; Drop is only avaiable for the categories</source>
        <translation>Ziehen &amp;&amp; Ablegen ist nur für Kategorien möglich</translation>
    </message>
    <message>
        <source>Root Properties Cannot Be Edited</source>
        <translation>Die Eigenschaften des Stamms lassen sich nicht bearbeiten</translation>
    </message>
    <message>
        <source>Cancel Data Backup</source>
        <translation>Datensicherung abbrechen</translation>
    </message>
    <message>
        <source>Cancel Data Compaction</source>
        <translation>Komprimierung der Daten abbrechen</translation>
    </message>
    <message>
        <source>The backup could not be written; nothing was changed.</source>
        <translation>Die Sicherung konnte nicht geschrieben werden; es wurde nichts geändert.</translation>
    </message>
    <message>
        <source>The data file could not be compacted; it is unchanged.</source>
        <translation>Die Datendatei konnte nicht komprimiert werden; sie ist unverändert.</translation>
    </message>
    <message>
        <source>What you typed is on the clipboard, to be applied again.</source>
        <translation>Ihre Eingabe liegt in der Zwischenablage und kann erneut angewendet werden.</translation>
    </message>
    <message>
        <source>The change cannot be saved: %1</source>
        <translation>Die Änderung kann nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>A node can&apos;t be made a child of its own children.</source>
        <translation>Ein Knoten kann nicht unter eines seiner eigenen Kinder verschoben werden.</translation>
    </message>
    <message>
        <source>Cannot delete category because it contains children!! remove all children and try again</source>
        <translation>Die Kategorie kann nicht gelöscht werden, weil sie Unterelemente enthält! Entfernen Sie alle Unterelemente und versuchen Sie es erneut</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Please Select !!</source>
        <translation>Bitte wählen Sie!</translation>
    </message>
    <message>
        <source>This result no longer matches the catalogue: the entry was changed or removed since it was found. Please type the search again.</source>
        <translation>Dieses Ergebnis passt nicht mehr zum Katalog: Der Eintrag wurde seit dem Finden geändert oder entfernt. Bitte geben Sie die Suche erneut ein.</translation>
    </message>
    <message>
        <source>The report page could not be written.</source>
        <translation>Die Berichtsseite konnte nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>The medium was removed during the scan; the catalogue is as it was before the scan</source>
        <translation>Der Datenträger wurde während des Einlesens entfernt; der Katalog ist so wie vor dem Einlesen</translation>
    </message>
    <message>
        <source>No CD Found to Scan or CD Not Ready</source>
        <translation>Keine CD zum Einlesen gefunden oder CD nicht bereit</translation>
    </message>
    <message>
        <source>Nothing Entered To Search For</source>
        <translation>Kein Suchbegriff eingegeben</translation>
    </message>
    <message>
        <source>You have to select something to search for</source>
        <translation>Wählen Sie aus, wonach gesucht werden soll</translation>
    </message>
    <message>
        <source>This result no longer matches the catalogue: the entry was changed or removed since the search. Please search again.</source>
        <translation>Dieses Ergebnis passt nicht mehr zum Katalog: Der Eintrag wurde seit der Suche geändert oder entfernt. Bitte suchen Sie erneut.</translation>
    </message>
    <message>
        <source>Insert CD Labeld</source>
        <translation>Legen Sie die CD ein mit der Bezeichnung</translation>
    </message>
    <message>
        <source>Wrong Media or</source>
        <translation>Falscher Datenträger oder</translation>
    </message>
    <message>
        <source>File Does Not Exist !!</source>
        <translation>Datei existiert nicht!</translation>
    </message>
    <message>
        <source>Unknown File Type</source>
        <translation>Unbekannter Dateityp</translation>
    </message>
    <message>
        <source>Or No File Association found</source>
        <translation>oder kein zugeordnetes Programm gefunden</translation>
    </message>
    <message>
        <source>Are You Sure You Want To Cancel !!</source>
        <translation>Wollen Sie wirklich abbrechen?</translation>
    </message>
    <message>
        <source>Compact Data Files ??</source>
        <translation>Datendateien komprimieren?</translation>
    </message>
    <message>
        <source>nothing was changed</source>
        <translation>es wurde nichts geändert</translation>
    </message>
    <message>
        <source>the record is not in the catalogue any more (another program changed it); nothing was changed</source>
        <translation>der Eintrag ist nicht mehr im Katalog (ein anderes Programm hat ihn geändert); es wurde nichts geändert</translation>
    </message>
    <message>
        <source>the category has sub-categories; remove or move them first</source>
        <translation>die Kategorie hat Unterkategorien; entfernen oder verschieben Sie diese zuerst</translation>
    </message>
    <message>
        <source>the category holds CDs; remove them or file them elsewhere first</source>
        <translation>die Kategorie enthält CDs; entfernen Sie sie oder ordnen Sie sie zuerst anderswo ein</translation>
    </message>
    <message>
        <source>a category cannot be moved under itself or one of its own sub-categories</source>
        <translation>eine Kategorie kann nicht unter sich selbst oder eine ihrer Unterkategorien verschoben werden</translation>
    </message>
    <message>
        <source>no such category</source>
        <translation>diese Kategorie gibt es nicht</translation>
    </message>
    <message>
        <source>Remove Cd</source>
        <translation>CD entfernen</translation>
    </message>
    <message>
        <source>CD removed</source>
        <translation>CD entfernt</translation>
    </message>
    <message>
        <source>The catalogue was changed by another program, so this change was not saved.</source>
        <translation>Der Katalog wurde von einem anderen Programm geändert, daher wurde diese Änderung nicht gespeichert.</translation>
    </message>
    <message>
        <source>the catalogue is being changed by another program</source>
        <translation>der Katalog wird gerade von einem anderen Programm geändert</translation>
    </message>
    <message>
        <source>the catalogue is read-only and cannot be changed</source>
        <translation>der Katalog ist schreibgeschützt und kann nicht geändert werden</translation>
    </message>
    <message>
        <source>the catalogue would grow past 2 GiB, the limit of its format; compact it or start another catalogue</source>
        <translation>der Katalog würde über 2 GiB wachsen, die Grenze seines Formats; komprimieren Sie ihn oder beginnen Sie einen neuen Katalog</translation>
    </message>
    <message>
        <source>Cannot backup to the current data file!!</source>
        <translation>Die Sicherung kann nicht in die aktuelle Datendatei geschrieben werden!</translation>
    </message>
    <message>
        <source>another program replaced the catalogue (compacted it); it must be loaded again</source>
        <translation>ein anderes Programm hat den Katalog ersetzt (komprimiert); er muss neu geladen werden</translation>
    </message>
    <message>
        <source>the catalogue cannot be locked for writing</source>
        <translation>der Katalog kann nicht zum Schreiben gesperrt werden</translation>
    </message>
    <message>
        <source>Error!!</source>
        <translation>Fehler!</translation>
    </message>
    <message>
        <source>Wrong Version of the Data File</source>
        <translation>Falsche Version der Datendatei</translation>
    </message>
    <message>
        <source>Can&apos;t Use newer version data</source>
        <translation>Daten einer neueren Version können nicht verwendet werden</translation>
    </message>
    <message>
        <source>Data File Error (1001) !!! Please Start Karvio Again. If the error persist, then use your data backup</source>
        <translation>Fehler in der Datendatei (1001)! Bitte starten Sie Karvio erneut. Bleibt der Fehler bestehen, verwenden Sie Ihre Datensicherung</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Wiederholen</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message>
        <source>Unknown Error!!! Exiting</source>
        <translation>Unbekannter Fehler! Das Programm wird beendet</translation>
    </message>
    <message>
        <source>The CD cannot be added: %1</source>
        <translation>Die CD kann nicht hinzugefügt werden: %1</translation>
    </message>
    <message>
        <source>The CD was not added: %1</source>
        <translation>Die CD wurde nicht hinzugefügt: %1</translation>
    </message>
    <message>
        <source>%1 The CD was not rescanned.</source>
        <translation>%1 Die CD wurde nicht neu eingelesen.</translation>
    </message>
    <message>
        <source>The CD was catalogued, but its details were not saved: %1</source>
        <translation>Die CD wurde katalogisiert, aber ihre Details wurden nicht gespeichert: %1</translation>
    </message>
    <message>
        <source>the change cannot be saved: %1</source>
        <translation>die Änderung kann nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>File Read Error!! Error %1</source>
        <translation>Lesefehler! Fehler %1</translation>
    </message>
    <message>
        <source>File Write Error!! Error %1</source>
        <translation>Schreibfehler! Fehler %1</translation>
    </message>
    <message>
        <source>This file no longer matches the catalogue: it was changed or removed since the duplicates were found. Please find them again.</source>
        <translation>Diese Datei stimmt nicht mehr mit dem Katalog überein: Sie wurde geändert oder entfernt, seit die Duplikate gefunden wurden. Bitte suchen Sie sie erneut.</translation>
    </message>
    <message>
        <source>Select the CD to verify first.</source>
        <translation>Wählen Sie zuerst die CD, die geprüft werden soll.</translation>
    </message>
    <message>
        <source>There is no list to export here: select a disc in the catalogue, or show search results, duplicates, a comparison or a verification.</source>
        <translation>Hier gibt es keine Liste zum Exportieren: Wählen Sie einen Datenträger im Katalog, oder zeigen Sie Suchergebnisse, Duplikate, einen Vergleich oder eine Prüfung an.</translation>
    </message>
</context>
<context>
    <name>PreviewCommand</name>
    <message>
        <source>The report page cannot be written: the folder %1 cannot be written to.</source>
        <translation>Die Berichtsseite kann nicht geschrieben werden: In den Ordner %1 kann nicht geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Mounted now at %1</source>
        <translation>Jetzt eingehängt unter %1</translation>
    </message>
    <message>
        <source>Not recorded (the CD was scanned before volumes were recorded)</source>
        <translation>Nicht erfasst (die CD wurde eingelesen, bevor Datenträger erfasst wurden)</translation>
    </message>
    <message>
        <source><byte value="xd"/>
UUID %1</source>
        <translation><byte value="xd"/>
UUID %1</translation>
    </message>
    <message>
        <source><byte value="xd"/>
Folder on the volume: /%1</source>
        <translation><byte value="xd"/>
Ordner auf dem Datenträger: /%1</translation>
    </message>
    <message>
        <source>Not mounted now</source>
        <translation>Zurzeit nicht eingehängt</translation>
    </message>
</context>
<context>
    <name>SizeText</name>
    <message>
        <source>%1 byte</source>
        <translation>%1 Byte</translation>
    </message>
    <message>
        <source>%1 bytes</source>
        <translation>%1 Bytes</translation>
    </message>
    <message>
        <source>KB</source>
        <translation>KB</translation>
    </message>
    <message>
        <source>MB</source>
        <translation>MB</translation>
    </message>
    <message>
        <source>GB</source>
        <translation>GB</translation>
    </message>
    <message>
        <source>TB</source>
        <translation>TB</translation>
    </message>
    <message>
        <source>PB</source>
        <translation>PB</translation>
    </message>
    <message>
        <source>EB</source>
        <translation>EB</translation>
    </message>
</context>
<context>
    <name>Startup</name>
    <message>
        <source>An Error Has Occured !! Quitting !!
Error code : %1 %2</source>
        <translation>Ein Fehler ist aufgetreten! Das Programm wird beendet!
Fehlercode: %1 %2</translation>
    </message>
    <message>
        <source>The catalogue %1 cannot be opened: %2.</source>
        <translation>Der Katalog %1 kann nicht geöffnet werden: %2.</translation>
    </message>
</context>
<context>
    <name>frmBrowseCD</name>
    <message>
        <source>Removable</source>
        <translation>Wechseldatenträger</translation>
    </message>
    <message>
        <source>Fixed disk</source>
        <translation>Festplatte</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Netzwerk</translation>
    </message>
    <message>
        <source>CD-ROM</source>
        <translation>CD-ROM</translation>
    </message>
    <message>
        <source>RAM disk</source>
        <translation>RAM-Disk</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Unbekannt</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Catalogue of your CDs, DVDs, drives and folders</source>
        <translation>Katalog Ihrer CDs, DVDs, Laufwerke und Ordner</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>frmTip</name>
    <message>
        <source>That the %1 file was not found? 

Create a text file named %1 using NotePad with 1 tip per line. Then place it in the same directory as the application. </source>
        <translation>dass die Datei %1 nicht gefunden wurde? 

Legen Sie mit einem Texteditor eine Textdatei namens %1 an, mit einem Tipp pro Zeile. Legen Sie sie dann in das Verzeichnis des Programms. </translation>
    </message>
</context>
<context>
    <name>karvio::BusyScope</name>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Wird angehalten...</translation>
    </message>
</context>
<context>
    <name>karvio::ContentsListModel</name>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>CD</source>
        <translation>CD</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
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
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Attr</source>
        <translation>Attr.</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Taken</source>
        <translation>Aufgenommen</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Kamera</translation>
    </message>
    <message>
        <source>Artist</source>
        <translation>Interpret</translation>
    </message>
    <message>
        <source>Album</source>
        <translation>Album</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>Dimensions</source>
        <translation>Abmessungen</translation>
    </message>
</context>
<context>
    <name>karvio::DuplicatesModel</name>
    <message>
        <source>1 disc</source>
        <translation>1 Datenträger</translation>
    </message>
    <message>
        <source>%1 discs</source>
        <translation>%1 Datenträger</translation>
    </message>
    <message>
        <source>%1 in all; %2 would be freed by keeping one copy</source>
        <translation>%1 insgesamt; eine Kopie zu behalten gäbe %2 frei</translation>
    </message>
    <message>
        <source>Content hash %1</source>
        <translation>Prüfsumme des Inhalts %1</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Copies</source>
        <translation>Kopien</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Platz</translation>
    </message>
    <message>
        <source>Disc</source>
        <translation>Datenträger</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
</context>
<context>
    <name>karvio::QuickFindBox</name>
    <message>
        <source>Find (Ctrl+K)</source>
        <translation>Finden (Strg+K)</translation>
    </message>
    <message>
        <source>Fi&amp;nd:</source>
        <translation>&amp;Finden:</translation>
    </message>
    <message>
        <source>Quick find</source>
        <translation>Schnellsuche</translation>
    </message>
    <message>
        <source>Words match in any order; &quot;an exact phrase&quot;; filters kind:file,dir,cd ext:jpg size:&gt;10M date:2019 or date:2015..2019; inside files artist: album: title: camera: taken:2019 duration:&gt;3m width:&gt;3000 in:archive</source>
        <translation>Wörter passen in beliebiger Reihenfolge; &quot;eine genaue Wortfolge&quot;; Filter kind:file,dir,cd ext:jpg size:&gt;10M date:2019 oder date:2015..2019; in Dateien artist: album: title: camera: taken:2019 duration:&gt;3m width:&gt;3000 in:archive</translation>
    </message>
    <message>
        <source>Quick find match</source>
        <translation>Trefferart der Schnellsuche</translation>
    </message>
    <message>
        <source>Anywhere</source>
        <translation>Überall</translation>
    </message>
    <message>
        <source>Beginning</source>
        <translation>Am Anfang</translation>
    </message>
    <message>
        <source>Whole name</source>
        <translation>Ganzer Name</translation>
    </message>
    <message>
        <source>Where a word must match the name</source>
        <translation>Wo ein Wort im Namen passen muss</translation>
    </message>
    <message>
        <source>Reading the catalogue...</source>
        <translation>Katalog wird gelesen...</translation>
    </message>
    <message>
        <source>Nothing found</source>
        <translation>Nichts gefunden</translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation>Suche läuft...</translation>
    </message>
    <message>
        <source>%1 found so far...</source>
        <translation>Bisher %1 gefunden...</translation>
    </message>
    <message>
        <source>%1 found, the first %2 shown: type more to narrow</source>
        <translation>%1 gefunden, die ersten %2 angezeigt: für weniger Treffer mehr eingeben</translation>
    </message>
    <message>
        <source>1 found</source>
        <translation>1 gefunden</translation>
    </message>
    <message>
        <source>%1 found</source>
        <translation>%1 gefunden</translation>
    </message>
    <message>
        <source> (reading the changed catalogue)</source>
        <translation> (der geänderte Katalog wird gelesen)</translation>
    </message>
    <message>
        <source>&amp;Show in List</source>
        <translation>In der &amp;Liste zeigen</translation>
    </message>
    <message>
        <source>&amp;Launch</source>
        <translation>&amp;Öffnen</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Eigenschaften</translation>
    </message>
</context>
<context>
    <name>karvio::QuickFindPopup</name>
    <message>
        <source>Quick find count</source>
        <translation>Trefferzahl der Schnellsuche</translation>
    </message>
    <message>
        <source>Quick find results</source>
        <translation>Ergebnisse der Schnellsuche</translation>
    </message>
</context>
<context>
    <name>karvio::SearchResultsModel</name>
    <message>
        <source>FileName</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>CD Name</source>
        <translation>CD-Name</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Attributes</source>
        <translation>Attribute</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
</context>
<context>
    <name>karvio::ctlFolderBrowser</name>
    <message>
        <source>Folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>The drive or folder; Alt+Down chooses one</source>
        <translation>Das Laufwerk oder der Ordner; Alt+Unten wählt eines aus</translation>
    </message>
    <message>
        <source>Browse for a folder</source>
        <translation>Ordner suchen</translation>
    </message>
    <message>
        <source>Choose a folder (Alt+Down)</source>
        <translation>Ordner wählen (Alt+Unten)</translation>
    </message>
    <message>
        <source>Select a folder</source>
        <translation>Ordner wählen</translation>
    </message>
</context>
<context>
    <name>karvio::ctlIconLabel</name>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>Choose a category</source>
        <translation>Kategorie wählen</translation>
    </message>
</context>
<context>
    <name>karvio::frmAbout</name>
    <message>
        <source>About Karvio</source>
        <translation>Über Karvio</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Catalogues CDs, DVDs, USB drives and folders, so every file can be found, annotated and opened without the disc at hand.</source>
        <translation>Katalogisiert CDs, DVDs, USB-Laufwerke und Ordner, sodass jede Datei gefunden, mit Notizen versehen und geöffnet werden kann, ohne den Datenträger zur Hand zu haben.</translation>
    </message>
    <message>
        <source>User guide</source>
        <translation>Benutzerhandbuch</translation>
    </message>
    <message>
        <source>Folder of the data file</source>
        <translation>Ordner der Datendatei</translation>
    </message>
    <message>
        <source>&amp;System Info...</source>
        <translation>&amp;Systeminformationen...</translation>
    </message>
    <message>
        <source>System Information</source>
        <translation>Systeminformationen</translation>
    </message>
</context>
<context>
    <name>karvio::frmAnimation</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Processing Directories !! Please Wait</source>
        <translation>Verzeichnisse werden verarbeitet! Bitte warten</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Starting...</source>
        <translation>Wird gestartet...</translation>
    </message>
    <message>
        <source>The CD was catalogued, but 1 folder or file could not be read; what it holds is missing from the catalogue:</source>
        <translation>Die CD wurde katalogisiert, aber 1 Ordner oder Datei konnte nicht gelesen werden; sein Inhalt fehlt im Katalog:</translation>
    </message>
    <message>
        <source>The CD was catalogued, but %1 folders or files could not be read; what they hold is missing from the catalogue:</source>
        <translation>Die CD wurde katalogisiert, aber %1 Ordner oder Dateien konnten nicht gelesen werden; ihr Inhalt fehlt im Katalog:</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>... und %1 weitere</translation>
    </message>
    <message>
        <source>%1 directories, %2 files</source>
        <translation>%1 Verzeichnisse, %2 Dateien</translation>
    </message>
</context>
<context>
    <name>karvio::frmAnimation2</name>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Backing Up Data Files</source>
        <translation>Datendateien werden gesichert</translation>
    </message>
    <message>
        <source>Compacting Data Files</source>
        <translation>Datendateien werden komprimiert</translation>
    </message>
    <message>
        <source>Animation</source>
        <translation>Animation</translation>
    </message>
    <message>
        <source>The CD being copied</source>
        <translation>Die CD, die gerade kopiert wird</translation>
    </message>
    <message>
        <source>Records copied</source>
        <translation>Kopierte Einträge</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Directories and files copied: %1</source>
        <translation>Kopierte Verzeichnisse und Dateien: %1</translation>
    </message>
</context>
<context>
    <name>karvio::frmBrowse2</name>
    <message>
        <source>Explorer</source>
        <translation>Explorer</translation>
    </message>
    <message>
        <source>Catalogue tree</source>
        <translation>Katalogbaum</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>&amp;Größe</translation>
    </message>
    <message>
        <source>&amp;Date</source>
        <translation>&amp;Datum</translation>
    </message>
    <message>
        <source>A&amp;ttr</source>
        <translation>&amp;Attr.</translation>
    </message>
    <message>
        <source>&amp;Notes</source>
        <translation>&amp;Notizen</translation>
    </message>
    <message>
        <source>Ta&amp;ken</source>
        <translation>Au&amp;fgenommen</translation>
    </message>
    <message>
        <source>&amp;Camera</source>
        <translation>&amp;Kamera</translation>
    </message>
    <message>
        <source>A&amp;rtist</source>
        <translation>&amp;Interpret</translation>
    </message>
    <message>
        <source>Al&amp;bum</source>
        <translation>Al&amp;bum</translation>
    </message>
    <message>
        <source>T&amp;itle</source>
        <translation>&amp;Titel</translation>
    </message>
    <message>
        <source>D&amp;uration</source>
        <translation>Da&amp;uer</translation>
    </message>
    <message>
        <source>Di&amp;mensions</source>
        <translation>Ab&amp;messungen</translation>
    </message>
</context>
<context>
    <name>karvio::frmBrowseCD</name>
    <message>
        <source>CD Panel</source>
        <translation>CD-Ansicht</translation>
    </message>
    <message>
        <source>CD panel</source>
        <translation>CD-Ansicht</translation>
    </message>
    <message>
        <source>CD Title</source>
        <translation>CD-Titel</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Scan Date</source>
        <translation>Eingelesen am</translation>
    </message>
    <message>
        <source>Total Size</source>
        <translation>Gesamtgröße</translation>
    </message>
    <message>
        <source>Free Space</source>
        <translation>Freier Platz</translation>
    </message>
    <message>
        <source>System Label</source>
        <translation>Datenträgerbezeichnung</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>Base Path</source>
        <translation>Basispfad</translation>
    </message>
    <message>
        <source>Media Type</source>
        <translation>Medientyp</translation>
    </message>
    <message>
        <source>CD list</source>
        <translation>CD-Liste</translation>
    </message>
    <message>
        <source>CD tree</source>
        <translation>CD-Baum</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Datum:</translation>
    </message>
    <message>
        <source>Attributes:</source>
        <translation>Attribute:</translation>
    </message>
    <message>
        <source>&amp;Notes:</source>
        <translation>&amp;Notizen:</translation>
    </message>
</context>
<context>
    <name>karvio::frmCategoryProperties</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Category Properties</source>
        <translation>Eigenschaften der Kategorie</translation>
    </message>
    <message>
        <source>Category Name</source>
        <translation>Name der Kategorie</translation>
    </message>
    <message>
        <source>Category &amp;Icon</source>
        <translation>Kategorie&amp;symbol</translation>
    </message>
    <message>
        <source>Previous picture</source>
        <translation>Vorheriges Bild</translation>
    </message>
    <message>
        <source>Next picture</source>
        <translation>Nächstes Bild</translation>
    </message>
    <message>
        <source>Category picture</source>
        <translation>Bild der Kategorie</translation>
    </message>
    <message>
        <source>Category &amp;Notes</source>
        <translation>Kategorie&amp;notizen</translation>
    </message>
    <message>
        <source>Category Notes</source>
        <translation>Notizen zur Kategorie</translation>
    </message>
    <message>
        <source>Picture %1</source>
        <translation>Bild %1</translation>
    </message>
</context>
<context>
    <name>karvio::frmCategorySelect</name>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>Ent&amp;fernen</translation>
    </message>
    <message>
        <source>Re&amp;name</source>
        <translation>&amp;Umbenennen</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Eigenschaften</translation>
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
        <source>Select a category</source>
        <translation>Kategorie wählen</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Kategorien</translation>
    </message>
    <message>
        <source>Cannot delete category [%1] because it contains children!! remove all children and try again</source>
        <translation>Die Kategorie [%1] kann nicht gelöscht werden, weil sie Unterelemente enthält! Entfernen Sie alle Unterelemente und versuchen Sie es erneut</translation>
    </message>
    <message>
        <source>Cannot delete root node!! remove all children and try again</source>
        <translation>Der Stamm kann nicht gelöscht werden! Entfernen Sie alle Unterelemente und versuchen Sie es erneut</translation>
    </message>
    <message>
        <source>Cannot delete category [%1] because it contains CDs!! move or remove its CDs and try again</source>
        <translation>Die Kategorie [%1] kann nicht gelöscht werden, weil sie CDs enthält! Verschieben oder entfernen Sie ihre CDs und versuchen Sie es erneut</translation>
    </message>
</context>
<context>
    <name>karvio::frmCompare</name>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>What changed</source>
        <translation>Was sich änderte</translation>
    </message>
    <message>
        <source>Size in the first</source>
        <translation>Größe im ersten</translation>
    </message>
    <message>
        <source>Date in the first</source>
        <translation>Datum im ersten</translation>
    </message>
    <message>
        <source>Size in the second</source>
        <translation>Größe im zweiten</translation>
    </message>
    <message>
        <source>Date in the second</source>
        <translation>Datum im zweiten</translation>
    </message>
    <message>
        <source>file or folder</source>
        <translation>Datei oder Ordner</translation>
    </message>
    <message>
        <source>size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Compare</source>
        <translation>Vergleichen</translation>
    </message>
    <message>
        <source>Fi&amp;rst disc</source>
        <translation>&amp;Erster Datenträger</translation>
    </message>
    <message>
        <source>First disc</source>
        <translation>Erster Datenträger</translation>
    </message>
    <message>
        <source>Against the d&amp;isc</source>
        <translation>Mit dem Daten&amp;träger</translation>
    </message>
    <message>
        <source>Second disc</source>
        <translation>Zweiter Datenträger</translation>
    </message>
    <message>
        <source>Against the f&amp;older as it is now</source>
        <translation>Mit dem &amp;Ordner, wie er jetzt ist</translation>
    </message>
    <message>
        <source>Co&amp;mpare</source>
        <translation>&amp;Vergleichen</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>A&amp;nhalten</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>Sch&amp;ließen</translation>
    </message>
    <message>
        <source>Choose the first disc and the folder to compare it with.</source>
        <translation>Wählen Sie den ersten Datenträger und den Ordner, mit dem er verglichen werden soll.</translation>
    </message>
    <message>
        <source>Choose the two discs to compare.</source>
        <translation>Wählen Sie die zwei Datenträger, die verglichen werden sollen.</translation>
    </message>
    <message>
        <source>Reading the catalogue...</source>
        <translation>Der Katalog wird gelesen...</translation>
    </message>
    <message>
        <source>Only in the first (%1)</source>
        <translation>Nur im ersten (%1)</translation>
    </message>
    <message>
        <source>Only in the second (%1)</source>
        <translation>Nur im zweiten (%1)</translation>
    </message>
    <message>
        <source>Changed (%1)</source>
        <translation>Geändert (%1)</translation>
    </message>
    <message>
        <source>The same (%1)</source>
        <translation>Gleich (%1)</translation>
    </message>
    <message>
        <source>Stopped: nothing was compared.</source>
        <translation>Angehalten: es wurde nichts verglichen.</translation>
    </message>
    <message>
        <source>A disc chosen is no longer in the catalogue.</source>
        <translation>Ein gewählter Datenträger ist nicht mehr im Katalog.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; against %2: %3 only in the first, %4 only in the second, %5 changed, %6 the same.</source>
        <translation>„%1“ gegen %2: %3 nur im ersten, %4 nur im zweiten, %5 geändert, %6 gleich.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; and %2 hold the same %3 entries.</source>
        <translation>„%1“ und %2 enthalten dieselben %3 Einträge.</translation>
    </message>
    <message>
        <source>%1 places of the folder could not be read, the first: %2</source>
        <translation>%1 Stellen des Ordners ließen sich nicht lesen, die erste: %2</translation>
    </message>
    <message>
        <source>The folder could not be read whole: the comparison is partial.</source>
        <translation>Der Ordner ließ sich nicht ganz lesen: der Vergleich ist unvollständig.</translation>
    </message>
    <message>
        <source>Comparison</source>
        <translation>Vergleich</translation>
    </message>
</context>
<context>
    <name>karvio::frmDuplicates</name>
    <message>
        <source>Duplicates</source>
        <translation>Duplikate</translation>
    </message>
    <message>
        <source>&amp;Match by</source>
        <translation>&amp;Vergleichen nach</translation>
    </message>
    <message>
        <source>Name and size</source>
        <translation>Name und Größe</translation>
    </message>
    <message>
        <source>Content (recorded hashes)</source>
        <translation>Inhalt (erfasste Prüfsummen)</translation>
    </message>
    <message>
        <source>Match by</source>
        <translation>Vergleichen nach</translation>
    </message>
    <message>
        <source>Minimum si&amp;ze</source>
        <translation>&amp;Mindestgröße</translation>
    </message>
    <message>
        <source> KB</source>
        <translation> KB</translation>
    </message>
    <message>
        <source>Minimum size in KB</source>
        <translation>Mindestgröße in KB</translation>
    </message>
    <message>
        <source>Files on &amp;One Disc Only</source>
        <translation>Dateien auf nur &amp;einem Datenträger</translation>
    </message>
    <message>
        <source>The files no other disc holds a copy of: what is not backed up twice</source>
        <translation>Die Dateien, von denen kein anderer Datenträger eine Kopie hat: was nicht doppelt gesichert ist</translation>
    </message>
    <message>
        <source>F&amp;ind</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>Sto&amp;ppen</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>Schl&amp;ießen</translation>
    </message>
    <message>
        <source>Reading the catalogue...</source>
        <translation>Der Katalog wird gelesen ...</translation>
    </message>
    <message>
        <source>Stopped: nothing was found.</source>
        <translation>Gestoppt: Es wurde nichts gefunden.</translation>
    </message>
    <message>
        <source>%1 files on one disc only, %2.</source>
        <translation>%1 Dateien auf nur einem Datenträger, %2.</translation>
    </message>
    <message>
        <source>%1 groups of duplicates, %2 files; keeping one copy of each would free %3.</source>
        <translation>%1 Gruppen von Duplikaten, %2 Dateien; je eine Kopie zu behalten gäbe %3 frei.</translation>
    </message>
    <message>
        <source>No content hashes are recorded: rescan the discs with &quot;Record the content hash of every file&quot;.</source>
        <translation>Es sind keine Prüfsummen erfasst: Lesen Sie die Datenträger mit „Prüfsumme des Inhalts jeder Datei festhalten“ neu ein.</translation>
    </message>
    <message>
        <source>Sho&amp;w in List</source>
        <translation>In der &amp;Liste zeigen</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>Eige&amp;nschaften</translation>
    </message>
    <message>
        <source>Files on one disc only</source>
        <translation>Dateien auf nur einem Datenträger</translation>
    </message>
</context>
<context>
    <name>karvio::frmEdit</name>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Speichern</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Edit CD Details</source>
        <translation>CD-Details bearbeiten</translation>
    </message>
    <message>
        <source>My Label</source>
        <translation>Eigene Bezeichnung</translation>
    </message>
    <message>
        <source>CD Label</source>
        <translation>Datenträgerbezeichnung</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Base path</source>
        <translation>Basispfad</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>&amp;My Label</source>
        <translation>&amp;Eigene Bezeichnung</translation>
    </message>
    <message>
        <source>CD &amp;Label</source>
        <translation>&amp;Datenträgerbezeichnung</translation>
    </message>
    <message>
        <source>&amp;Notes</source>
        <translation>&amp;Notizen</translation>
    </message>
    <message>
        <source>&amp;Base Path</source>
        <translation>&amp;Basispfad</translation>
    </message>
    <message>
        <source>C&amp;ategory</source>
        <translation>&amp;Kategorie</translation>
    </message>
    <message>
        <source>Exit and lose all changes !!</source>
        <translation>Schließen und alle Änderungen verwerfen?</translation>
    </message>
</context>
<context>
    <name>karvio::frmMenu</name>
    <message>
        <source>The help page could not be opened:<byte value="xd"/>
%1</source>
        <translation>Die Hilfeseite konnte nicht geöffnet werden:<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Edit Details</source>
        <translation>Details bearbeiten</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Rescan</source>
        <translation>Neu einlesen</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>Abgleichen</translation>
    </message>
    <message>
        <source>Categories Setup</source>
        <translation>Kategorien einrichten</translation>
    </message>
    <message>
        <source>Tree/List View Mode</source>
        <translation>Baum- oder Listenansicht</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>P&amp;review</source>
        <translation>&amp;Vorschau</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Drucken</translation>
    </message>
    <message>
        <source>&amp;Save as htm</source>
        <translation>Als htm &amp;speichern</translation>
    </message>
    <message>
        <source>&amp;Backup</source>
        <translation>Sicherung &amp;anlegen</translation>
    </message>
    <message>
        <source>&amp;Compact Data</source>
        <translation>Daten &amp;komprimieren</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>&amp;CD</source>
        <translation>&amp;CD</translation>
    </message>
    <message>
        <source>Show &amp;List</source>
        <translation>Liste &amp;zeigen</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Edit Details</source>
        <translation>Details &amp;bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Löschen</translation>
    </message>
    <message>
        <source>&amp;Rescan</source>
        <translation>&amp;Neu einlesen</translation>
    </message>
    <message>
        <source>&amp;Categories</source>
        <translation>&amp;Kategorien</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Eigenschaften</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
    <message>
        <source>&amp;Explorer Style</source>
        <translation>&amp;Explorer-Ansicht</translation>
    </message>
    <message>
        <source>&amp;Traditional</source>
        <translation>&amp;Klassisch</translation>
    </message>
    <message>
        <source>L&amp;arge Icons</source>
        <translation>&amp;Große Symbole</translation>
    </message>
    <message>
        <source>S&amp;mall Icons</source>
        <translation>Klei&amp;ne Symbole</translation>
    </message>
    <message>
        <source>&amp;List</source>
        <translation>&amp;Liste</translation>
    </message>
    <message>
        <source>&amp;Details</source>
        <translation>&amp;Details</translation>
    </message>
    <message>
        <source>E&amp;xact Sizes in Bytes</source>
        <translation>E&amp;xakte Größen in Bytes</translation>
    </message>
    <message>
        <source>&amp;Debug</source>
        <translation>Debu&amp;g</translation>
    </message>
    <message>
        <source>Class Data</source>
        <translation>Klassendaten</translation>
    </message>
    <message>
        <source>CD Data</source>
        <translation>CD-Daten</translation>
    </message>
    <message>
        <source>Dir Data</source>
        <translation>Verzeichnisdaten</translation>
    </message>
    <message>
        <source>Files Data</source>
        <translation>Dateidaten</translation>
    </message>
    <message>
        <source>Cat Data</source>
        <translation>Kategoriedaten</translation>
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
        <source>&amp;Index</source>
        <translation>In&amp;dex</translation>
    </message>
    <message>
        <source>&amp;Tip of the day</source>
        <translation>&amp;Tipp des Tages</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber Karvio</translation>
    </message>
    <message>
        <source>&amp;Add Cd</source>
        <translation>CD &amp;hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Edit CD Details</source>
        <translation>CD-Details &amp;bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Delete Cd</source>
        <translation>CD &amp;löschen</translation>
    </message>
    <message>
        <source>&amp;Rescan CD</source>
        <translation>CD &amp;neu einlesen</translation>
    </message>
    <message>
        <source>&amp;Report Preview</source>
        <translation>Be&amp;richtsvorschau</translation>
    </message>
    <message>
        <source>&amp;Launch</source>
        <translation>&amp;Öffnen</translation>
    </message>
    <message>
        <source>Add Cd &amp;or Folder</source>
        <translation>CD &amp;oder Ordner hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Add Category</source>
        <translation>Kategorie &amp;hinzufügen</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>Ent&amp;fernen</translation>
    </message>
    <message>
        <source>Re&amp;name</source>
        <translation>&amp;Umbenennen</translation>
    </message>
    <message>
        <source>Large Icons</source>
        <translation>Große Symbole</translation>
    </message>
    <message>
        <source>Small Icons</source>
        <translation>Kleine Symbole</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Toolbar</source>
        <translation>Werkzeugleiste</translation>
    </message>
    <message>
        <source>Data file: %1</source>
        <translation>Datendatei: %1</translation>
    </message>
    <message>
        <source>Selected item&apos;s place</source>
        <translation>Ort des gewählten Eintrags</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Stops the work under way</source>
        <translation>Hält die laufende Arbeit an</translation>
    </message>
    <message>
        <source>Duplicates</source>
        <translation>Duplikate</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>&amp;Werkzeuge</translation>
    </message>
    <message>
        <source>&amp;Duplicates</source>
        <translation>&amp;Duplikate</translation>
    </message>
    <message>
        <source>&amp;Verify</source>
        <translation>&amp;Prüfen</translation>
    </message>
    <message>
        <source>&amp;Compare</source>
        <translation>&amp;Vergleichen</translation>
    </message>
    <message>
        <source>&amp;Export...</source>
        <translation>&amp;Exportieren...</translation>
    </message>
    <message>
        <source>&amp;Verify CD</source>
        <translation>CD &amp;prüfen</translation>
    </message>
</context>
<context>
    <name>karvio::frmMsgBox</name>
    <message>
        <source>Don&apos;t show this dialog in the future</source>
        <translation>Diesen Dialog künftig nicht mehr anzeigen</translation>
    </message>
</context>
<context>
    <name>karvio::frmPreviewOptions</name>
    <message>
        <source>Show Directory &amp;Size</source>
        <translation>Verzeichnis&amp;größe anzeigen</translation>
    </message>
    <message>
        <source>Show Directory &amp;Update Date</source>
        <translation>Ä&amp;nderungsdatum der Verzeichnisse anzeigen</translation>
    </message>
    <message>
        <source>Show Directory &amp;Attributes</source>
        <translation>Verzeichnisattr&amp;ibute anzeigen</translation>
    </message>
    <message>
        <source>Show Directory &amp;Notes</source>
        <translation>Verzeichnisnoti&amp;zen anzeigen</translation>
    </message>
    <message>
        <source>Show &amp;Files</source>
        <translation>&amp;Dateien anzeigen</translation>
    </message>
    <message>
        <source>Show File S&amp;izes</source>
        <translation>Dateigr&amp;ößen anzeigen</translation>
    </message>
    <message>
        <source>Show File Up&amp;date Dates</source>
        <translation>Änderungsdat&amp;um der Dateien anzeigen</translation>
    </message>
    <message>
        <source>Show File A&amp;ttributes</source>
        <translation>Dateiattri&amp;bute anzeigen</translation>
    </message>
    <message>
        <source>Show File N&amp;otes</source>
        <translation>Dateino&amp;tizen anzeigen</translation>
    </message>
    <message>
        <source>Preview Options</source>
        <translation>Vorschauoptionen</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Verzeichnisse</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Beginn</translation>
    </message>
    <message>
        <source>Start From &amp;Root</source>
        <translation>Beim &amp;Stamm beginnen</translation>
    </message>
    <message>
        <source>Start From Selected &amp;Directory</source>
        <translation>Beim gewählten &amp;Verzeichnis beginnen</translation>
    </message>
    <message>
        <source>Start From Root</source>
        <translation>Beim Stamm beginnen</translation>
    </message>
    <message>
        <source>Start From Selected Directory</source>
        <translation>Beim gewählten Verzeichnis beginnen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>karvio::frmProperties</name>
    <message>
        <source>No files under this %1</source>
        <translation>Keine Dateien in diesem %1</translation>
    </message>
    <message>
        <source>Total number of files [%1]</source>
        <translation>Gesamtzahl der Dateien [%1]</translation>
    </message>
    <message>
        <source>No subdirectories under this %1</source>
        <translation>Keine Unterverzeichnisse in diesem %1</translation>
    </message>
    <message>
        <source>Total number of subdirectories [%1]</source>
        <translation>Gesamtzahl der Unterverzeichnisse [%1]</translation>
    </message>
    <message>
        <source>Properties</source>
        <translation>Eigenschaften</translation>
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
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Attributes</source>
        <translation>Attribute</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Datenträger</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Disc</source>
        <translation>Medium</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>Thumbnail</source>
        <translation>Vorschaubild</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Name :</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Size :</source>
        <translation>Größe:</translation>
    </message>
    <message>
        <source>Date :</source>
        <translation>Datum:</translation>
    </message>
    <message>
        <source>Attributes :</source>
        <translation>Attribute:</translation>
    </message>
    <message>
        <source>Volume :</source>
        <translation>Datenträger:</translation>
    </message>
    <message>
        <source>Path :</source>
        <translation>Pfad:</translation>
    </message>
    <message>
        <source>Disc :</source>
        <translation>Medium:</translation>
    </message>
    <message>
        <source>Details :</source>
        <translation>Details:</translation>
    </message>
    <message>
        <source>&amp;Notes :</source>
        <translation>&amp;Notizen:</translation>
    </message>
    <message>
        <source>folder</source>
        <translation>Ordner</translation>
    </message>
    <message>
        <source>directory</source>
        <translation>Verzeichnis</translation>
    </message>
</context>
<context>
    <name>karvio::frmScan</name>
    <message>
        <source>The folder [%1] does not exist</source>
        <translation>Der Ordner [%1] existiert nicht</translation>
    </message>
    <message>
        <source>[%1] is not a folder</source>
        <translation>[%1] ist kein Ordner</translation>
    </message>
    <message>
        <source>The folder [%1] cannot be read</source>
        <translation>Der Ordner [%1] kann nicht gelesen werden</translation>
    </message>
    <message>
        <source>&amp;Start</source>
        <translation>&amp;Starten</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Cd Rescan</source>
        <translation>CD einlesen</translation>
    </message>
    <message>
        <source>Mounted volumes</source>
        <translation>Eingehängte Datenträger</translation>
    </message>
    <message>
        <source>Mounted &amp;volumes</source>
        <translation>Ein&amp;gehängte Datenträger</translation>
    </message>
    <message>
        <source>&amp;Drive</source>
        <translation>&amp;Laufwerk</translation>
    </message>
    <message>
        <source>&amp;My Label</source>
        <translation>&amp;Eigene Bezeichnung</translation>
    </message>
    <message>
        <source>CD &amp;Label</source>
        <translation>&amp;Datenträgerbezeichnung</translation>
    </message>
    <message>
        <source>&amp;Notes</source>
        <translation>&amp;Notizen</translation>
    </message>
    <message>
        <source>C&amp;ategory</source>
        <translation>&amp;Kategorie</translation>
    </message>
    <message>
        <source>Look inside files</source>
        <translation>In Dateien hineinsehen</translation>
    </message>
    <message>
        <source>List the members of a&amp;rchives (zip, 7z, tar, iso, ...)</source>
        <translation>Inhalt von A&amp;rchiven auflisten (zip, 7z, tar, iso, ...)</translation>
    </message>
    <message>
        <source>Read the details of p&amp;ictures, songs and films</source>
        <translation>Details von &amp;Bildern, Liedern und Filmen lesen</translation>
    </message>
    <message>
        <source>Make small pictures (t&amp;humbnails) of pictures</source>
        <translation>Kleine Vorschaubilder (&amp;Miniaturen) von Bildern erstellen</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Laufwerk</translation>
    </message>
    <message>
        <source>My Label</source>
        <translation>Eigene Bezeichnung</translation>
    </message>
    <message>
        <source>CD Label</source>
        <translation>Datenträgerbezeichnung</translation>
    </message>
    <message>
        <source>Notes</source>
        <translation>Notizen</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>This volume is already catalogued as the CD [%1].<byte value="xd"/>
Rescan that CD instead (its notes are kept)?</source>
        <translation>Dieser Datenträger ist bereits als CD [%1] katalogisiert.<byte value="xd"/>
Stattdessen diese CD neu einlesen (ihre Notizen bleiben erhalten)?</translation>
    </message>
    <message>
        <source>Record the cont&amp;ent hash of every file (to find duplicates, verify discs)</source>
        <translation>&amp;Prüfsumme des Inhalts jeder Datei festhalten (um Duplikate zu finden, Datenträger zu prüfen)</translation>
    </message>
    <message>
        <source>Reads every file to its end: a scan takes as long as copying the disc</source>
        <translation>Liest jede Datei bis zum Ende: Das Einlesen dauert so lange wie das Kopieren des Datenträgers</translation>
    </message>
</context>
<context>
    <name>karvio::frmSearch</name>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Search &amp;For</source>
        <translation>Such&amp;begriff</translation>
    </message>
    <message>
        <source>Search For</source>
        <translation>Suchbegriff</translation>
    </message>
    <message>
        <source>&amp;Search</source>
        <translation>&amp;Suchen</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>S&amp;topp</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>Schl&amp;ießen</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Search Criteria</source>
        <translation>Suchkriterien</translation>
    </message>
    <message>
        <source>&amp;Whole Word</source>
        <translation>&amp;Ganzes Wort</translation>
    </message>
    <message>
        <source>&amp;Beginning</source>
        <translation>&amp;Wortanfang</translation>
    </message>
    <message>
        <source>&amp;Anywhere</source>
        <translation>&amp;Überall</translation>
    </message>
    <message>
        <source>Search &amp;CD Names</source>
        <translation>&amp;CD-Namen durchsuchen</translation>
    </message>
    <message>
        <source>Search &amp;Path Names</source>
        <translation>&amp;Pfadnamen durchsuchen</translation>
    </message>
    <message>
        <source>Search File&amp;Names</source>
        <translation>Datei&amp;namen durchsuchen</translation>
    </message>
    <message>
        <source>Search Co&amp;mments</source>
        <translation>&amp;Kommentare durchsuchen</translation>
    </message>
    <message>
        <source>Search results</source>
        <translation>Suchergebnisse</translation>
    </message>
    <message>
        <source>%1 found (stopped)</source>
        <translation>%1 gefunden (angehalten)</translation>
    </message>
    <message>
        <source>%1 found</source>
        <translation>%1 gefunden</translation>
    </message>
    <message>
        <source>&amp;Show in List</source>
        <translation>In der &amp;Liste zeigen</translation>
    </message>
    <message>
        <source>&amp;Launch</source>
        <translation>&amp;Öffnen</translation>
    </message>
    <message>
        <source>&amp;Properties</source>
        <translation>&amp;Eigenschaften</translation>
    </message>
</context>
<context>
    <name>karvio::frmTip</name>
    <message>
        <source>Tip of the Day</source>
        <translation>Tipp des Tages</translation>
    </message>
    <message>
        <source>Did you know...</source>
        <translation>Wussten Sie schon...</translation>
    </message>
    <message>
        <source>Karvio keeps a catalogue of your discs and folders.</source>
        <translation>Karvio führt einen Katalog Ihrer Datenträger und Ordner.</translation>
    </message>
    <message>
        <source>Show Tips at Startup</source>
        <translation>Tipps beim Start anzeigen</translation>
    </message>
    <message>
        <source>&amp;Next Tip</source>
        <translation>&amp;Nächster Tipp</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>karvio::frmVerify</name>
    <message>
        <source>Status</source>
        <translation>Zustand</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Pfad</translation>
    </message>
    <message>
        <source>Detail</source>
        <translation>Einzelheit</translation>
    </message>
    <message>
        <source>Missing</source>
        <translation>Fehlt</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Neu</translation>
    </message>
    <message>
        <source>Changed</source>
        <translation>Geändert</translation>
    </message>
    <message>
        <source>Other contents</source>
        <translation>Anderer Inhalt</translation>
    </message>
    <message>
        <source>Unreadable</source>
        <translation>Nicht lesbar</translation>
    </message>
    <message>
        <source>Gone while read</source>
        <translation>Beim Lesen verschwunden</translation>
    </message>
    <message>
        <source>Changed while read</source>
        <translation>Beim Lesen geändert</translation>
    </message>
    <message>
        <source>same size and date, other bytes than catalogued</source>
        <translation>gleiche Größe und gleiches Datum, andere Bytes als katalogisiert</translation>
    </message>
    <message>
        <source>size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>file or folder</source>
        <translation>Datei oder Ordner</translation>
    </message>
    <message>
        <source>contents</source>
        <translation>Inhalt</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>Prüfen</translation>
    </message>
    <message>
        <source>&amp;Stop</source>
        <translation>A&amp;nhalten</translation>
    </message>
    <message>
        <source>C&amp;lose</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>Differences</source>
        <translation>Unterschiede</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not mounted: select the folder that holds it</source>
        <translation>„%1“ ist nicht eingehängt: wählen Sie den Ordner, der es enthält</translation>
    </message>
    <message>
        <source>Verify %1</source>
        <translation>%1 prüfen</translation>
    </message>
    <message>
        <source>Reading &quot;%1&quot; at %2 against the catalogue...</source>
        <translation>„%1“ wird unter %2 mit dem Katalog verglichen...</translation>
    </message>
    <message>
        <source>Stopping...</source>
        <translation>Wird angehalten...</translation>
    </message>
    <message>
        <source>%1 of %2 files: %3</source>
        <translation>%1 von %2 Dateien: %3</translation>
    </message>
    <message>
        <source>This CD is no longer in the catalogue.</source>
        <translation>Diese CD ist nicht mehr im Katalog.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; read at %2.</source>
        <translation>„%1“ unter %2 gelesen.</translation>
    </message>
    <message>
        <source>Stopped: this result is partial.</source>
        <translation>Angehalten: dieses Ergebnis ist unvollständig.</translation>
    </message>
    <message>
        <source>The disc failed to read: this result is partial.</source>
        <translation>Der Datenträger ließ sich nicht lesen: dieses Ergebnis ist unvollständig.</translation>
    </message>
    <message>
        <source>The disc reads back as it was catalogued.</source>
        <translation>Der Datenträger liest sich so, wie er katalogisiert wurde.</translation>
    </message>
    <message>
        <source>%1 missing, %2 new, %3 changed, %4 with other contents, %5 unreadable.</source>
        <translation>%1 fehlen, %2 neu, %3 geändert, %4 mit anderem Inhalt, %5 nicht lesbar.</translation>
    </message>
    <message>
        <source>%1 changed or went away while they were read.</source>
        <translation>%1 änderten sich oder verschwanden beim Lesen.</translation>
    </message>
    <message>
        <source>%1 of %2 catalogued files read (%3), %4 compared by content.</source>
        <translation>%1 von %2 katalogisierten Dateien gelesen (%3), %4 nach Inhalt verglichen.</translation>
    </message>
    <message>
        <source>No content hashes are recorded for this disc: files of the same size and date were not compared by content.</source>
        <translation>Für diesen Datenträger sind keine Inhalts-Hashes gespeichert: Dateien gleicher Größe und gleichen Datums wurden nicht nach Inhalt verglichen.</translation>
    </message>
</context>
<context>
    <name>karvio::frmWebBrowser</name>
    <message>
        <source>The folder %1 cannot be created.</source>
        <translation>Der Ordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The image %1 cannot be written.</source>
        <translation>Das Bild %1 kann nicht geschrieben werden.</translation>
    </message>
    <message>
        <source>Report Preview</source>
        <translation>Berichtsvorschau</translation>
    </message>
    <message>
        <source>Report page</source>
        <translation>Berichtsseite</translation>
    </message>
    <message>
        <source>The report page cannot be read:<byte value="xd"/>
%1<byte value="xd"/>
%2</source>
        <translation>Die Berichtsseite kann nicht gelesen werden:<byte value="xd"/>
%1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>The page could not be printed on %1.</source>
        <translation>Die Seite konnte nicht auf %1 gedruckt werden.</translation>
    </message>
    <message>
        <source>Save as htm</source>
        <translation>Als htm speichern</translation>
    </message>
    <message>
        <source>Web page (*.htm *.html)</source>
        <translation>Webseite (*.htm *.html)</translation>
    </message>
    <message>
        <source>The page could not be saved.<byte value="xd"/>
%1</source>
        <translation>Die Seite konnte nicht gespeichert werden.<byte value="xd"/>
%1</translation>
    </message>
</context>
</TS>
