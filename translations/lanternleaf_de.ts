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
    <name>BookContextMenu</name>
    <message>
        <source>Read %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
        <extracomment>delete from library
----------
delete to trash</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove from Favorites</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add to Favorites</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Move to</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove from category</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Properties...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>BookEditPropertiesView</name>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Author:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit %1</source>
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
    <name>BookPropertiesView</name>
    <message>
        <source>%1 - Properties</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Title:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Author:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Last open:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the file in its folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Description:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Edit</source>
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
    <name>FolderListView</name>
    <message>
        <source>Rename</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete</source>
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
    <name>LibraryView</name>
    <message>
        <source>Not available in this version</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Restore all</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear trash</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Categories</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New category</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recently Read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All books</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Recently Read (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Favorites (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Deleted (%1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show as table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show as bookshelf</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No eBooks found for &apos;%1&apos;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The trash is empty</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No books here yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete book</source>
        <extracomment>remove_book_caption</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to delete this book?</source>
        <extracomment>remove_book_text</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to clear trash?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to clear library?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Delete folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure you want to delete this folder?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add books</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 file(s) were successfully added into the Library</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add books failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Click OK to open folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import complete</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 file(s) were successfully imported into the Library</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ListFormats</name>
    <message>
        <source>Formats</source>
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
    <name>ReadToolBar</name>
    <message>
        <source>Full screen</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Contents</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add bookmark</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Larger font</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Smaller font</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Fit to page</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Original size</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One or two columns</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Next reading profile</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Search</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Leave full screen</source>
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
    <name>TextViewer</name>
    <message>
        <source>ERROR: Unable the render the page!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>UserContext</name>
    <message>
        <source>Bookmarks</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>New bookmark is successfully added!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
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
