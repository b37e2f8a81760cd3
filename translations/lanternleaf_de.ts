<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AddBooksWorker</name>
    <message>
        <source>No error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Operation has been canceled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Scan folder... %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2 is being added. %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BookModel</name>
    <message>
        <source>on start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>finished</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
        <comment>book title</comment>
        <extracomment>The title of the book is empty</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unknown</source>
        <comment>book author</comment>
        <extracomment>The author of the book is empty</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Author</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Progress</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Added on</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BookProvider</name>
    <message>
        <source>Failed to open database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to connect to database</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Creation table failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FolderModel</name>
    <message>
        <source>New category</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainView</name>
    <message>
        <source>Library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add book</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Settings</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search by text or by page number</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search by title or author</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Continue reading &quot;%1&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed to open file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file you are trying to open was not found by the following path: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add book to library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>eBook Files (*.epub *.mobi *.prc *.fb2 *.pdf *.djvu *.cbz *.cbr)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Unable to add document</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This file format is not supported.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The document %1 has already been added</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MessagePassword</name>
    <message>
        <source>Enter password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This document is protected. Enter its password to open it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Password:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MessageView</name>
    <message>
        <source>OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>CANCEL</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Night</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sepia</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Day</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>English</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SplashScreen</name>
    <message>
        <source>Loading%1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StartView</name>
    <message>
        <source>Add book to your library to start reading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add book</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>or drop EPUB, MOBI, FB2, PDF and comic files here</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>TextDocument</name>
    <message>
        <source>Go to page %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WindowBar</name>
    <message>
        <source>Minimize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>fb2::FbDocument</name>
    <message>
        <source>Partition</source>
        <comment>The section title of the book if it is not specified</comment>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
