<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AddBooksWorker</name>
    <message>
        <source>No error</source>
        <translation>Kein Fehler</translation>
    </message>
    <message>
        <source>Operation has been canceled</source>
        <translation>Der Vorgang wurde abgebrochen</translation>
    </message>
    <message>
        <source>Scan folder... %1</source>
        <translation>Ordner wird durchsucht... %1</translation>
    </message>
    <message>
        <source>%1 of %2 is being added. %3</source>
        <translation>%1 von %2 wird hinzugefügt. %3</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) were added but cannot be opened:</source>
        <translation>
            <numerusform>%n Datei wurde hinzugefügt, lässt sich aber nicht öffnen:</numerusform>
            <numerusform>%n Dateien wurden hinzugefügt, lassen sich aber nicht öffnen:</numerusform>
        </translation>
    </message>
    <message>
        <source>%1: %2</source>
        <extracomment>One unreadable file in the add summary: %1 the file name, %2 the reason</extracomment>
        <translation>%1: %2</translation>
    </message>
    <message numerus="yes">
        <source>and %n more</source>
        <translation>
            <numerusform>und %n weitere</numerusform>
            <numerusform>und %n weitere</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BookContextMenu</name>
    <message>
        <source>Read %1</source>
        <translation>%1 lesen</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Delete</source>
        <extracomment>delete from library
----------
delete to trash</extracomment>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
    <message>
        <source>Remove from Favorites</source>
        <translation>Aus Favoriten entfernen</translation>
    </message>
    <message>
        <source>Add to Favorites</source>
        <translation>Zu Favoriten hinzufügen</translation>
    </message>
    <message>
        <source>Move to</source>
        <translation>Verschieben nach</translation>
    </message>
    <message>
        <source>Remove from category</source>
        <translation>Aus Kategorie entfernen</translation>
    </message>
    <message>
        <source>Properties...</source>
        <translation>Eigenschaften...</translation>
    </message>
</context>
<context>
    <name>BookEditPropertiesView</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Author:</source>
        <translation>Autor:</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation>SPEICHERN</translation>
    </message>
    <message>
        <source>Edit %1</source>
        <translation>%1 bearbeiten</translation>
    </message>
</context>
<context>
    <name>BookError</name>
    <message>
        <source>The file does not exist.</source>
        <translation>Die Datei existiert nicht.</translation>
    </message>
    <message>
        <source>The file cannot be read.</source>
        <translation>Die Datei kann nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The file is damaged.</source>
        <translation>Die Datei ist beschädigt.</translation>
    </message>
    <message>
        <source>This format version is not supported.</source>
        <translation>Diese Formatversion wird nicht unterstützt.</translation>
    </message>
    <message>
        <source>The book is protected.</source>
        <translation>Das Buch ist geschützt.</translation>
    </message>
    <message>
        <source>The book has no pages.</source>
        <translation>Das Buch hat keine Seiten.</translation>
    </message>
    <message>
        <source>The book is larger than the program can open.</source>
        <translation>Das Buch ist größer, als das Programm öffnen kann.</translation>
    </message>
</context>
<context>
    <name>BookModel</name>
    <message>
        <source>on start</source>
        <translation>ungelesen</translation>
    </message>
    <message>
        <source>finished</source>
        <translation>gelesen</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1 %</translation>
    </message>
    <message>
        <source>Unknown</source>
        <comment>book title</comment>
        <extracomment>The title of the book is empty</extracomment>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Unknown</source>
        <comment>book author</comment>
        <extracomment>The author of the book is empty</extracomment>
        <translation>Unbekannt</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Autor</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Fortschritt</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Datum</translation>
    </message>
    <message>
        <source>Added on</source>
        <translation>Hinzugefügt am</translation>
    </message>
</context>
<context>
    <name>BookPropertiesView</name>
    <message>
        <source>%1 - Properties</source>
        <translation>%1 - Eigenschaften</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Titel:</translation>
    </message>
    <message>
        <source>Author:</source>
        <translation>Autor:</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>Last open:</source>
        <translation>Zuletzt geöffnet:</translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation>Ordner:</translation>
    </message>
    <message>
        <source>Show the file in its folder</source>
        <translation>Datei im Ordner anzeigen</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Beschreibung:</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>SCHLIESSEN</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Bearbeiten</translation>
    </message>
</context>
<context>
    <name>BookProvider</name>
    <message>
        <source>Failed to open database</source>
        <translation>Datenbank konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Unable to connect to database</source>
        <translation>Verbindung zur Datenbank nicht möglich</translation>
    </message>
    <message>
        <source>Creation table failed</source>
        <translation>Tabelle konnte nicht erstellt werden</translation>
    </message>
</context>
<context>
    <name>BookViewer</name>
    <message>
        <source>Can not open file</source>
        <translation>Datei kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The book &quot;%1&quot; cannot be opened.
%2</source>
        <translation>Das Buch „%1“ kann nicht geöffnet werden.
%2</translation>
    </message>
</context>
<context>
    <name>BookmarkModel</name>
    <message>
        <source>Chapter title</source>
        <translation>Kapitel</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Seite</translation>
    </message>
</context>
<context>
    <name>ExportWorker</name>
    <message>
        <source>No error</source>
        <translation>Kein Fehler</translation>
    </message>
    <message>
        <source>Library is empty</source>
        <translation>Die Bibliothek ist leer</translation>
    </message>
    <message>
        <source>Compress file error</source>
        <translation>Fehler beim Schreiben des Archivs</translation>
    </message>
    <message>
        <source>Operation has been canceled</source>
        <translation>Der Vorgang wurde abgebrochen</translation>
    </message>
    <message>
        <source>Prepare export...</source>
        <translation>Export wird vorbereitet …</translation>
    </message>
    <message>
        <source>%1 of %2 is being exported. %3</source>
        <translation>%1 von %2 wird exportiert. %3</translation>
    </message>
</context>
<context>
    <name>FolderListView</name>
    <message>
        <source>Rename</source>
        <translation>Umbenennen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
</context>
<context>
    <name>FolderModel</name>
    <message>
        <source>New category</source>
        <translation>Neue Kategorie</translation>
    </message>
</context>
<context>
    <name>HeaderBar</name>
    <message>
        <source>Library</source>
        <translation>Bibliothek</translation>
    </message>
    <message>
        <source>Add book</source>
        <translation>Buch hinzufügen</translation>
    </message>
    <message>
        <source>Add folder</source>
        <translation>Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhaltsverzeichnis</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Search by text or by page number</source>
        <translation>Nach Text oder Seitenzahl suchen</translation>
    </message>
    <message>
        <source>Search by title or author</source>
        <translation>Nach Titel oder Autor suchen</translation>
    </message>
    <message>
        <source>Continue reading &quot;%1&quot;</source>
        <translation>„%1“ weiterlesen</translation>
    </message>
</context>
<context>
    <name>HelpView</name>
    <message>
        <source>Laid out in pages in the fonts and colors of the reading profile, in one or two columns.</source>
        <translation>In Seiten gesetzt, in den Schriften und Farben des Leseprofils, in einer oder zwei Spalten.</translation>
    </message>
    <message>
        <source>Shown as page pictures with zoom, one or two pages at a time. A protected PDF asks for its password.</source>
        <translation>Als Seitenbilder mit Zoom angezeigt, eine oder zwei Seiten auf einmal. Ein geschütztes PDF fragt nach seinem Passwort.</translation>
    </message>
    <message>
        <source>Mobipocket, PalmDOC</source>
        <translation>Mobipocket, PalmDOC</translation>
    </message>
    <message>
        <source>Comic archives</source>
        <translation>Comic-Archive</translation>
    </message>
    <message>
        <source>Library database</source>
        <translation>Bibliotheksdatenbank</translation>
    </message>
    <message>
        <source>Covers and unpacked books</source>
        <translation>Cover und entpackte Bücher</translation>
    </message>
    <message>
        <source>Log files, one per day</source>
        <translation>Protokolldateien, eine pro Tag</translation>
    </message>
    <message>
        <source>Crash reports</source>
        <translation>Absturzberichte</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Imported books</source>
        <translation>Importierte Bücher</translation>
    </message>
    <message>
        <source>Translations</source>
        <translation>Übersetzungen</translation>
    </message>
    <message>
        <source>Lanternleaf Help</source>
        <translation>Lanternleaf-Hilfe</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Lanternleaf is a reader for your own library of e-books. It opens every book where you stopped reading, keeps your bookmarks, and lets you read in the fonts and colors you choose.</source>
        <translation>Lanternleaf ist ein Leseprogramm für Ihre eigene E-Book-Bibliothek. Es öffnet jedes Buch dort, wo Sie aufgehört haben, bewahrt Ihre Lesezeichen auf und lässt Sie in den Schriften und Farben Ihrer Wahl lesen.</translation>
    </message>
    <message>
        <source>Add books with “Add book” or “Add folder”, by dropping files on the window, or by opening a book file with Lanternleaf. The books stay where they are on your disk; the library only remembers them. A book you delete goes to the trash, and emptying the trash removes it from the library, never from the disk.</source>
        <translation>Fügen Sie Bücher mit „Buch hinzufügen“ oder „Ordner hinzufügen“ hinzu, indem Sie Dateien auf das Fenster ziehen oder eine Buchdatei mit Lanternleaf öffnen. Die Bücher bleiben, wo sie auf Ihrem Datenträger liegen; die Bibliothek merkt sie sich nur. Ein gelöschtes Buch kommt in den Papierkorb, und das Leeren des Papierkorbs entfernt es aus der Bibliothek, niemals vom Datenträger.</translation>
    </message>
    <message>
        <source>Formats</source>
        <translation>Formate</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Lesen</translation>
    </message>
    <message>
        <source>Double-click a book on the shelf or in the table to read it; it opens at the place where you left it. “Continue reading” in the header goes back to the last book.</source>
        <translation>Doppelklicken Sie auf ein Buch im Regal oder in der Tabelle, um es zu lesen; es öffnet sich an der Stelle, an der Sie aufgehört haben. „Weiterlesen“ in der Kopfzeile führt zurück zum zuletzt gelesenen Buch.</translation>
    </message>
    <message>
        <source>The toolbar beside the page adds bookmarks, shows the contents, changes the font size, switches between one and two columns and between the Day, Night and Sepia reading profiles, searches the book and switches to full screen. Type a page number into the search field to go to that page.</source>
        <translation>Die Werkzeugleiste neben der Seite fügt Lesezeichen hinzu, zeigt das Inhaltsverzeichnis, ändert die Schriftgröße, wechselt zwischen einer und zwei Spalten und zwischen den Leseprofilen Tag, Nacht und Sepia, durchsucht das Buch und schaltet auf Vollbild um. Geben Sie eine Seitenzahl in das Suchfeld ein, um zu dieser Seite zu springen.</translation>
    </message>
    <message>
        <source>“Settings” changes the fonts, sizes and colors of each reading profile, the page-turn fade, the language and the library folder. Nothing changes until you press “SAVE SETTINGS”; the open book then shows the same place in its new look.</source>
        <translation>Unter „Einstellungen“ ändern Sie Schriften, Größen und Farben jedes Leseprofils, die Überblendung beim Umblättern, die Sprache und den Bibliotheksordner. Nichts ändert sich, bevor Sie auf „EINSTELLUNGEN SPEICHERN“ klicken; das geöffnete Buch zeigt dann dieselbe Stelle im neuen Aussehen.</translation>
    </message>
    <message>
        <source>Keyboard and mouse</source>
        <translation>Tastatur und Maus</translation>
    </message>
    <message>
        <source>Where your files are</source>
        <translation>Wo Ihre Dateien liegen</translation>
    </message>
    <message>
        <source>Click a path to show it in the file manager.</source>
        <translation>Klicken Sie auf einen Pfad, um ihn im Dateimanager anzuzeigen.</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
</context>
<context>
    <name>ImportWorker</name>
    <message>
        <source>No error</source>
        <translation>Kein Fehler</translation>
    </message>
    <message>
        <source>Container corrupted</source>
        <translation>Das Archiv ist beschädigt</translation>
    </message>
    <message>
        <source>Import file error</source>
        <translation>Fehler beim Schreiben der Buchdateien</translation>
    </message>
    <message>
        <source>Operation has been canceled</source>
        <translation>Der Vorgang wurde abgebrochen</translation>
    </message>
    <message>
        <source>Prepare import...</source>
        <translation>Import wird vorbereitet …</translation>
    </message>
    <message>
        <source>%1 of %2 is being imported. %3</source>
        <translation>%1 von %2 wird importiert. %3</translation>
    </message>
</context>
<context>
    <name>LibraryView</name>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Restore all</source>
        <translation>Alle wiederherstellen</translation>
    </message>
    <message>
        <source>Clear trash</source>
        <translation>Papierkorb leeren</translation>
    </message>
    <message>
        <source>Clear library</source>
        <translation>Bibliothek leeren</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Kategorien</translation>
    </message>
    <message>
        <source>New category</source>
        <translation>Neue Kategorie</translation>
    </message>
    <message>
        <source>Recently Read</source>
        <translation>Zuletzt gelesen</translation>
    </message>
    <message>
        <source>All books</source>
        <translation>Alle Bücher</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Favoriten</translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation>Gelöscht</translation>
    </message>
    <message>
        <source>Recently Read (%1)</source>
        <translation>Zuletzt gelesen (%1)</translation>
    </message>
    <message>
        <source>All (%1)</source>
        <translation>Alle (%1)</translation>
    </message>
    <message>
        <source>Favorites (%1)</source>
        <translation>Favoriten (%1)</translation>
    </message>
    <message>
        <source>Deleted (%1)</source>
        <translation>Gelöscht (%1)</translation>
    </message>
    <message>
        <source>Show as table</source>
        <translation>Als Tabelle anzeigen</translation>
    </message>
    <message>
        <source>Show as bookshelf</source>
        <translation>Als Bücherregal anzeigen</translation>
    </message>
    <message>
        <source>No eBooks found for &apos;%1&apos;</source>
        <translation>Keine E-Books für „%1“ gefunden</translation>
    </message>
    <message>
        <source>The trash is empty</source>
        <translation>Der Papierkorb ist leer</translation>
    </message>
    <message>
        <source>No books here yet</source>
        <translation>Hier sind noch keine Bücher</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
    <message>
        <source>Delete book</source>
        <extracomment>remove_book_caption</extracomment>
        <translation>Buch löschen</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this book?</source>
        <extracomment>remove_book_text</extracomment>
        <translation>Möchten Sie dieses Buch wirklich löschen?</translation>
    </message>
    <message>
        <source>Are you sure you want to clear trash?</source>
        <translation>Möchten Sie den Papierkorb wirklich leeren?</translation>
    </message>
    <message>
        <source>Are you sure you want to clear library?</source>
        <translation>Möchten Sie die Bibliothek wirklich leeren?</translation>
    </message>
    <message>
        <source>Delete folder</source>
        <translation>Kategorie löschen</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this folder?</source>
        <translation>Möchten Sie diese Kategorie wirklich löschen?</translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation>Ordner auswählen</translation>
    </message>
    <message>
        <source>Add books</source>
        <translation>Bücher hinzufügen</translation>
    </message>
    <message>
        <source>Add complete</source>
        <translation>Hinzufügen abgeschlossen</translation>
    </message>
    <message>
        <source>%1 file(s) were successfully added into the Library</source>
        <translation>%1 Datei(en) erfolgreich zur Bibliothek hinzugefügt</translation>
    </message>
    <message>
        <source>Add books failed</source>
        <translation>Bücher konnten nicht hinzugefügt werden</translation>
    </message>
    <message>
        <source>Export complete</source>
        <translation>Export abgeschlossen</translation>
    </message>
    <message>
        <source>Click OK to open folder</source>
        <translation>Klicken Sie auf OK, um den Ordner zu öffnen</translation>
    </message>
    <message>
        <source>Import complete</source>
        <translation>Import abgeschlossen</translation>
    </message>
    <message>
        <source>%1 file(s) were successfully imported into the Library</source>
        <translation>%1 Datei(en) erfolgreich in die Bibliothek importiert</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Archiv</translation>
    </message>
    <message>
        <source>Export file</source>
        <translation>Bibliothek exportieren</translation>
    </message>
    <message>
        <source>Import file</source>
        <translation>Bibliothek importieren</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Export fehlgeschlagen</translation>
    </message>
    <message>
        <source>Import failed</source>
        <translation>Import fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>ListFormats</name>
    <message>
        <source>Formats</source>
        <translation>Formate</translation>
    </message>
</context>
<context>
    <name>MainView</name>
    <message>
        <source>Failed to open file</source>
        <translation>Datei konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The file you are trying to open was not found by the following path: %1</source>
        <translation>Die zu öffnende Datei wurde unter folgendem Pfad nicht gefunden: %1</translation>
    </message>
    <message>
        <source>Add book to library</source>
        <translation>Buch zur Bibliothek hinzufügen</translation>
    </message>
    <message>
        <source>Unable to add document</source>
        <translation>Dokument kann nicht hinzugefügt werden</translation>
    </message>
    <message>
        <source>This file format is not supported.</source>
        <translation>Dieses Dateiformat wird nicht unterstützt.</translation>
    </message>
    <message>
        <source>The document %1 has already been added</source>
        <translation>Das Dokument %1 wurde bereits hinzugefügt</translation>
    </message>
    <message>
        <source>eBook Files (*.epub *.mobi *.prc *.azw3 *.fb2 *.pdf *.djvu *.cbz *.cbr)</source>
        <translation>E-Book-Dateien (*.epub *.mobi *.prc *.azw3 *.fb2 *.pdf *.djvu *.cbz *.cbr)</translation>
    </message>
</context>
<context>
    <name>MessagePassword</name>
    <message>
        <source>Enter password</source>
        <translation>Passwort eingeben</translation>
    </message>
    <message>
        <source>This document is protected. Enter its password to open it.</source>
        <translation>Dieses Dokument ist geschützt. Geben Sie das Passwort ein, um es zu öffnen.</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>MessageView</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
</context>
<context>
    <name>ReadToolBar</name>
    <message>
        <source>Full screen</source>
        <translation>Vollbild</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Inhaltsverzeichnis</translation>
    </message>
    <message>
        <source>Add bookmark</source>
        <translation>Lesezeichen hinzufügen</translation>
    </message>
    <message>
        <source>Larger font</source>
        <translation>Größere Schrift</translation>
    </message>
    <message>
        <source>Smaller font</source>
        <translation>Kleinere Schrift</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>Fit to page</source>
        <translation>An Seite anpassen</translation>
    </message>
    <message>
        <source>Original size</source>
        <translation>Originalgröße</translation>
    </message>
    <message>
        <source>One or two columns</source>
        <translation>Eine oder zwei Spalten</translation>
    </message>
    <message>
        <source>Next reading profile</source>
        <translation>Nächstes Leseprofil</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Vollbild beenden</translation>
    </message>
</context>
<context>
    <name>RenderedDocument</name>
    <message>
        <source>Go to page %1</source>
        <translation>Zu Seite %1 springen</translation>
    </message>
</context>
<context>
    <name>SearchEdit</name>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Clear search</source>
        <translation>Suche leeren</translation>
    </message>
</context>
<context>
    <name>SearchModel</name>
    <message>
        <source>%1, Page %2</source>
        <translation>%1, Seite %2</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Seite %1</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Ergebnisse</translation>
    </message>
</context>
<context>
    <name>SearchView</name>
    <message>
        <source>Search</source>
        <translation>Suche</translation>
    </message>
    <message>
        <source>GO TO...</source>
        <translation>GEHE ZU...</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Search by text or by page number</source>
        <translation>Nach Text oder Seitenzahl suchen</translation>
    </message>
    <message>
        <source>Searching… found so far: %1</source>
        <translation>Suche läuft… bisher gefunden: %1</translation>
    </message>
    <message>
        <source>Nothing found for &quot;%1&quot;.</source>
        <translation>Nichts gefunden für „%1“.</translation>
    </message>
    <message>
        <source>Found: %1</source>
        <translation>Gefunden: %1</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Night</source>
        <translation>Nacht</translation>
    </message>
    <message>
        <source>Sepia</source>
        <translation>Sepia</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>Tag</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>English</source>
        <translation>Deutsch</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>Profile:</source>
        <translation>Profil:</translation>
    </message>
    <message>
        <source>Restore Default Settings</source>
        <translation>Standardeinstellungen wiederherstellen</translation>
    </message>
    <message>
        <source>Text Font:</source>
        <translation>Textschrift:</translation>
    </message>
    <message>
        <source>Caption:</source>
        <translation>Überschriften:</translation>
    </message>
    <message>
        <source>Color:</source>
        <translation>Farbe:</translation>
    </message>
    <message>
        <source>Background color:</source>
        <translation>Hintergrundfarbe:</translation>
    </message>
    <message>
        <source>Workground color:</source>
        <translation>Umgebungsfarbe:</translation>
    </message>
    <message>
        <source>Click to choose a color</source>
        <translation>Klicken, um eine Farbe zu wählen</translation>
    </message>
    <message>
        <source>Library folder:</source>
        <translation>Bibliotheksordner:</translation>
    </message>
    <message>
        <source>Select library folder</source>
        <translation>Bibliotheksordner wählen</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Sprache:</translation>
    </message>
    <message>
        <source>Turn page fade ON:</source>
        <translation>Überblenden beim Umblättern:</translation>
    </message>
    <message>
        <source>SAVE SETTINGS</source>
        <translation>EINSTELLUNGEN SPEICHERN</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
</context>
<context>
    <name>ShortcutTable</name>
    <message>
        <source>Main window</source>
        <translation>Hauptfenster</translation>
    </message>
    <message>
        <source>Reading EPUB, MOBI, PRC and FB2 books</source>
        <translation>Lesen von EPUB-, MOBI-, PRC- und FB2-Büchern</translation>
    </message>
    <message>
        <source>Reading PDF books and comics (CBZ, CBR)</source>
        <translation>Lesen von PDF-Büchern und Comics (CBZ, CBR)</translation>
    </message>
    <message>
        <source>Settings and help pages</source>
        <translation>Einstellungs- und Hilfeseiten</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>Nächste Seite</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>Vorherige Seite</translation>
    </message>
    <message>
        <source>First page</source>
        <translation>Erste Seite</translation>
    </message>
    <message>
        <source>Last page</source>
        <translation>Letzte Seite</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Vergrößern</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Verkleinern</translation>
    </message>
    <message>
        <source>One page at a time</source>
        <translation>Eine Seite auf einmal</translation>
    </message>
    <message>
        <source>Two pages side by side</source>
        <translation>Zwei Seiten nebeneinander</translation>
    </message>
    <message>
        <source>Fit the page to the window</source>
        <translation>Seite an das Fenster anpassen</translation>
    </message>
    <message>
        <source>Original size</source>
        <translation>Originalgröße</translation>
    </message>
    <message>
        <source>Move a page larger than the window</source>
        <translation>Eine Seite verschieben, die größer als das Fenster ist</translation>
    </message>
    <message>
        <source>Full screen on or off (while reading)</source>
        <translation>Vollbild ein oder aus (beim Lesen)</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Vollbild beenden</translation>
    </message>
    <message>
        <source>Minimize the window</source>
        <translation>Fenster minimieren</translation>
    </message>
    <message>
        <source>Maximize or restore the window</source>
        <translation>Fenster maximieren oder wiederherstellen</translation>
    </message>
    <message>
        <source>Close the page without saving</source>
        <translation>Seite ohne Speichern schließen</translation>
    </message>
    <message>
        <source>Ctrl</source>
        <translation>Strg</translation>
    </message>
    <message>
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message>
        <source>Shift</source>
        <translation>Umschalt</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message>
        <source>Right arrow</source>
        <translation>Pfeil rechts</translation>
    </message>
    <message>
        <source>Left arrow</source>
        <translation>Pfeil links</translation>
    </message>
    <message>
        <source>Page Down</source>
        <translation>Bild ab</translation>
    </message>
    <message>
        <source>Page Up</source>
        <translation>Bild auf</translation>
    </message>
    <message>
        <source>Backspace</source>
        <translation>Rücktaste</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Pos1</translation>
    </message>
    <message>
        <source>End</source>
        <translation>Ende</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Click on the left half of the page</source>
        <translation>Klick auf die linke Hälfte der Seite</translation>
    </message>
    <message>
        <source>Click on the right half of the page</source>
        <translation>Klick auf die rechte Hälfte der Seite</translation>
    </message>
    <message>
        <source>Mouse wheel towards you</source>
        <translation>Mausrad zu sich hin</translation>
    </message>
    <message>
        <source>Mouse wheel away from you</source>
        <translation>Mausrad von sich weg</translation>
    </message>
    <message>
        <source>Double-click on the page</source>
        <translation>Doppelklick auf die Seite</translation>
    </message>
    <message>
        <source>Ctrl+mouse wheel away from you</source>
        <translation>Strg+Mausrad von sich weg</translation>
    </message>
    <message>
        <source>Ctrl+mouse wheel towards you</source>
        <translation>Strg+Mausrad zu sich hin</translation>
    </message>
    <message>
        <source>Mouse wheel</source>
        <translation>Mausrad</translation>
    </message>
    <message>
        <source>Drag with the mouse</source>
        <translation>Mit der Maus ziehen</translation>
    </message>
    <message>
        <source>Double-click on the title bar or the header</source>
        <translation>Doppelklick auf die Titelleiste oder die Kopfzeile</translation>
    </message>
</context>
<context>
    <name>SplashScreen</name>
    <message>
        <source>Loading%1</source>
        <translation>Wird geladen%1</translation>
    </message>
</context>
<context>
    <name>StartView</name>
    <message>
        <source>Add book to your library to start reading</source>
        <translation>Fügen Sie Ihrer Bibliothek ein Buch hinzu, um mit dem Lesen zu beginnen</translation>
    </message>
    <message>
        <source>Add book</source>
        <translation>Buch hinzufügen</translation>
    </message>
    <message>
        <source>or drop EPUB, MOBI, FB2, PDF and comic files here</source>
        <translation>oder EPUB-, MOBI-, FB2-, PDF- und Comic-Dateien hier ablegen</translation>
    </message>
</context>
<context>
    <name>TextDocument</name>
    <message>
        <source>Go to page %1</source>
        <translation>Zu Seite %1 springen</translation>
    </message>
</context>
<context>
    <name>TextViewer</name>
    <message>
        <source>ERROR: Unable the render the page!</source>
        <translation>FEHLER: Die Seite kann nicht dargestellt werden!</translation>
    </message>
</context>
<context>
    <name>TocModel</name>
    <message>
        <source>Chapter title</source>
        <translation>Kapitel</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Seite</translation>
    </message>
</context>
<context>
    <name>TocView</name>
    <message>
        <source>Table of contents</source>
        <translation>Inhaltsverzeichnis</translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation>Lesezeichen</translation>
    </message>
    <message>
        <source>GO TO...</source>
        <translation>GEHE ZU...</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ABBRECHEN</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>This book has no table of contents.</source>
        <translation>Dieses Buch hat kein Inhaltsverzeichnis.</translation>
    </message>
    <message>
        <source>No bookmarks yet. Add one with the bookmark button of the reading toolbar.</source>
        <translation>Noch keine Lesezeichen. Mit der Lesezeichen-Schaltfläche der Leseleiste fügen Sie eines hinzu.</translation>
    </message>
    <message>
        <source>Delete bookmark</source>
        <comment>delete bookmark: caption</comment>
        <translation>Lesezeichen löschen</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this bookmark?</source>
        <comment>delete bookmark: text</comment>
        <translation>Möchten Sie dieses Lesezeichen wirklich löschen?</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>UserContext</name>
    <message>
        <source>Bookmarks</source>
        <translation>Lesezeichen</translation>
    </message>
    <message>
        <source>New bookmark is successfully added!</source>
        <translation>Neues Lesezeichen wurde erfolgreich hinzugefügt!</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>WindowBar</name>
    <message>
        <source>Minimize</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Wiederherstellen</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Maximieren</translation>
    </message>
</context>
<context>
    <name>comics::ComicDocument</name>
    <message>
        <source>Page %1</source>
        <translation>Seite %1</translation>
    </message>
    <message>
        <source>Go to page %1</source>
        <translation>Zu Seite %1 springen</translation>
    </message>
</context>
<context>
    <name>fb2::FbDocument</name>
    <message>
        <source>Partition</source>
        <comment>The section title of the book if it is not specified</comment>
        <translation>Abschnitt</translation>
    </message>
</context>
<context>
    <name>pdf::PdfDocument</name>
    <message>
        <source>Can not open file</source>
        <translation>Datei kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>The password is incorrect</source>
        <translation>Das Passwort ist falsch</translation>
    </message>
</context>
</TS>
