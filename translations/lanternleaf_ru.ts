<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>AddBooksWorker</name>
    <message>
        <source>No error</source>
        <translation>Нет ошибок</translation>
    </message>
    <message>
        <source>Operation has been canceled</source>
        <translation>Операция отменена</translation>
    </message>
    <message>
        <source>Scan folder... %1</source>
        <translation>Сканирование папки... %1</translation>
    </message>
    <message>
        <source>%1 of %2 is being added. %3</source>
        <translation>Добавляется %1 из %2. %3</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) were added but cannot be opened:</source>
        <translation>
            <numerusform>%n файл добавлен, но его не удаётся открыть:</numerusform>
            <numerusform>%n файла добавлены, но их не удаётся открыть:</numerusform>
            <numerusform>%n файлов добавлены, но их не удаётся открыть:</numerusform>
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
            <numerusform>и ещё %n</numerusform>
            <numerusform>и ещё %n</numerusform>
            <numerusform>и ещё %n</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>BookContextMenu</name>
    <message>
        <source>Read %1</source>
        <translation>Читать «%1»</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Восстановить</translation>
    </message>
    <message>
        <source>Delete</source>
        <extracomment>delete from library
----------
delete to trash</extracomment>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Изменить</translation>
    </message>
    <message>
        <source>Remove from Favorites</source>
        <translation>Удалить из избранного</translation>
    </message>
    <message>
        <source>Add to Favorites</source>
        <translation>Добавить в избранное</translation>
    </message>
    <message>
        <source>Move to</source>
        <translation>Переместить в</translation>
    </message>
    <message>
        <source>Remove from category</source>
        <translation>Убрать из категории</translation>
    </message>
    <message>
        <source>Properties...</source>
        <translation>Свойства...</translation>
    </message>
</context>
<context>
    <name>BookEditPropertiesView</name>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Название:</translation>
    </message>
    <message>
        <source>Author:</source>
        <translation>Автор:</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Описание:</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ОТМЕНА</translation>
    </message>
    <message>
        <source>SAVE</source>
        <translation>СОХРАНИТЬ</translation>
    </message>
    <message>
        <source>Edit %1</source>
        <translation>Изменение «%1»</translation>
    </message>
</context>
<context>
    <name>BookError</name>
    <message>
        <source>The file does not exist.</source>
        <translation>Файл не существует.</translation>
    </message>
    <message>
        <source>The file cannot be read.</source>
        <translation>Файл не удаётся прочитать.</translation>
    </message>
    <message>
        <source>The file is damaged.</source>
        <translation>Файл повреждён.</translation>
    </message>
    <message>
        <source>This format version is not supported.</source>
        <translation>Эта версия формата не поддерживается.</translation>
    </message>
    <message>
        <source>The book is protected.</source>
        <translation>Книга защищена.</translation>
    </message>
    <message>
        <source>The book has no pages.</source>
        <translation>В книге нет страниц.</translation>
    </message>
    <message>
        <source>The book is larger than the program can open.</source>
        <translation>Книга слишком велика, программа не может её открыть.</translation>
    </message>
</context>
<context>
    <name>BookModel</name>
    <message>
        <source>on start</source>
        <translation>не начата</translation>
    </message>
    <message>
        <source>finished</source>
        <translation>прочитана</translation>
    </message>
    <message>
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message>
        <source>Unknown</source>
        <comment>book title</comment>
        <extracomment>The title of the book is empty</extracomment>
        <translation>Без названия</translation>
    </message>
    <message>
        <source>Unknown</source>
        <comment>book author</comment>
        <extracomment>The author of the book is empty</extracomment>
        <translation>Неизвестный автор</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Название</translation>
    </message>
    <message>
        <source>Author</source>
        <translation>Автор</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Прогресс</translation>
    </message>
    <message>
        <source>Format</source>
        <translation>Формат</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Added on</source>
        <translation>Добавлена</translation>
    </message>
</context>
<context>
    <name>BookPropertiesView</name>
    <message>
        <source>%1 - Properties</source>
        <translation>%1 — свойства</translation>
    </message>
    <message>
        <source>Title:</source>
        <translation>Название:</translation>
    </message>
    <message>
        <source>Author:</source>
        <translation>Автор:</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Формат:</translation>
    </message>
    <message>
        <source>Last open:</source>
        <translation>Последнее открытие:</translation>
    </message>
    <message>
        <source>Folder:</source>
        <translation>Папка:</translation>
    </message>
    <message>
        <source>Show the file in its folder</source>
        <translation>Показать файл в папке</translation>
    </message>
    <message>
        <source>Description:</source>
        <translation>Описание:</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>ЗАКРЫТЬ</translation>
    </message>
    <message>
        <source>Edit</source>
        <translation>Изменить</translation>
    </message>
</context>
<context>
    <name>BookProvider</name>
    <message>
        <source>Failed to open database</source>
        <translation>Не удалось открыть базу данных</translation>
    </message>
    <message>
        <source>Unable to connect to database</source>
        <translation>Не удалось подключиться к базе данных</translation>
    </message>
    <message>
        <source>Creation table failed</source>
        <translation>Не удалось создать таблицу</translation>
    </message>
</context>
<context>
    <name>BookViewer</name>
    <message>
        <source>Can not open file</source>
        <translation>Не удаётся открыть файл</translation>
    </message>
    <message>
        <source>The book &quot;%1&quot; cannot be opened.
%2</source>
        <translation>Не удаётся открыть книгу «%1».
%2</translation>
    </message>
</context>
<context>
    <name>BookmarkModel</name>
    <message>
        <source>Chapter title</source>
        <translation>Глава</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Страница</translation>
    </message>
</context>
<context>
    <name>ExportWorker</name>
    <message>
        <source>No error</source>
        <translation>Нет ошибок</translation>
    </message>
    <message>
        <source>Library is empty</source>
        <translation>Библиотека пуста</translation>
    </message>
    <message>
        <source>Compress file error</source>
        <translation>Ошибка записи архива</translation>
    </message>
    <message>
        <source>Operation has been canceled</source>
        <translation>Операция отменена</translation>
    </message>
    <message>
        <source>Prepare export...</source>
        <translation>Подготовка к экспорту…</translation>
    </message>
    <message>
        <source>%1 of %2 is being exported. %3</source>
        <translation>Экспортируется %1 из %2. %3</translation>
    </message>
</context>
<context>
    <name>FolderListView</name>
    <message>
        <source>Rename</source>
        <translation>Переименовать</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
</context>
<context>
    <name>FolderModel</name>
    <message>
        <source>New category</source>
        <translation>Новая категория</translation>
    </message>
</context>
<context>
    <name>HeaderBar</name>
    <message>
        <source>Library</source>
        <translation>Библиотека</translation>
    </message>
    <message>
        <source>Add book</source>
        <translation>Добавить книгу</translation>
    </message>
    <message>
        <source>Add folder</source>
        <translation>Добавить папку</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Содержание</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>Search by text or by page number</source>
        <translation>Поиск по тексту или номеру страницы</translation>
    </message>
    <message>
        <source>Search by title or author</source>
        <translation>Поиск по названию или автору</translation>
    </message>
    <message>
        <source>Continue reading &quot;%1&quot;</source>
        <translation>Продолжить чтение «%1»</translation>
    </message>
</context>
<context>
    <name>HelpView</name>
    <message>
        <source>Laid out in pages in the fonts and colors of the reading profile, in one or two columns.</source>
        <translation>Разбиваются на страницы шрифтами и цветами профиля чтения, в одну или две колонки.</translation>
    </message>
    <message>
        <source>Shown as page pictures with zoom, one or two pages at a time. A protected PDF asks for its password.</source>
        <translation>Показываются как изображения страниц с масштабированием, по одной или по две страницы. Защищённый PDF запрашивает пароль.</translation>
    </message>
    <message>
        <source>Mobipocket, PalmDOC</source>
        <translation>Mobipocket, PalmDOC</translation>
    </message>
    <message>
        <source>Comic archives</source>
        <translation>Архивы комиксов</translation>
    </message>
    <message>
        <source>Library database</source>
        <translation>База данных библиотеки</translation>
    </message>
    <message>
        <source>Covers and unpacked books</source>
        <translation>Обложки и распакованные книги</translation>
    </message>
    <message>
        <source>Log files, one per day</source>
        <translation>Файлы журнала, по одному на день</translation>
    </message>
    <message>
        <source>Crash reports</source>
        <translation>Отчёты о сбоях</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Imported books</source>
        <translation>Импортированные книги</translation>
    </message>
    <message>
        <source>Translations</source>
        <translation>Переводы</translation>
    </message>
    <message>
        <source>Lanternleaf Help</source>
        <translation>Справка Lanternleaf</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Версия %1</translation>
    </message>
    <message>
        <source>Lanternleaf is a reader for your own library of e-books. It opens every book where you stopped reading, keeps your bookmarks, and lets you read in the fonts and colors you choose.</source>
        <translation>Lanternleaf — программа для чтения вашей личной библиотеки электронных книг. Она открывает каждую книгу на том месте, где вы остановились, хранит ваши закладки и позволяет читать шрифтами и цветами на ваш выбор.</translation>
    </message>
    <message>
        <source>Add books with “Add book” or “Add folder”, by dropping files on the window, or by opening a book file with Lanternleaf. The books stay where they are on your disk; the library only remembers them. A book you delete goes to the trash, and emptying the trash removes it from the library, never from the disk.</source>
        <translation>Добавляйте книги кнопками «Добавить книгу» и «Добавить папку», перетаскиванием файлов в окно или открытием файла книги в Lanternleaf. Книги остаются там, где лежат на диске; библиотека только запоминает их. Удалённая книга попадает в корзину, а очистка корзины убирает её из библиотеки, но никогда не с диска.</translation>
    </message>
    <message>
        <source>Formats</source>
        <translation>Форматы</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>Чтение</translation>
    </message>
    <message>
        <source>Double-click a book on the shelf or in the table to read it; it opens at the place where you left it. “Continue reading” in the header goes back to the last book.</source>
        <translation>Чтобы читать книгу, дважды щёлкните по ней на полке или в таблице; она откроется на том месте, где вы остановились. Кнопка «Продолжить чтение» в заголовке возвращает к последней книге.</translation>
    </message>
    <message>
        <source>The toolbar beside the page adds bookmarks, shows the contents, changes the font size, switches between one and two columns and between the Day, Night and Sepia reading profiles, searches the book and switches to full screen. Type a page number into the search field to go to that page.</source>
        <translation>Панель инструментов рядом со страницей добавляет закладки, показывает содержание, меняет размер шрифта, переключает одну или две колонки и профили чтения «День», «Ночь» и «Сепия», ищет по книге и включает полноэкранный режим. Чтобы перейти на страницу, введите её номер в поле поиска.</translation>
    </message>
    <message>
        <source>“Settings” changes the fonts, sizes and colors of each reading profile, the page-turn fade, the language and the library folder. Nothing changes until you press “SAVE SETTINGS”; the open book then shows the same place in its new look.</source>
        <translation>В «Настройках» меняются шрифты, размеры и цвета каждого профиля чтения, плавная смена страниц, язык и папка библиотеки. Ничего не изменится, пока вы не нажмёте «СОХРАНИТЬ НАСТРОЙКИ»; после этого открытая книга покажет то же место в новом виде.</translation>
    </message>
    <message>
        <source>Keyboard and mouse</source>
        <translation>Клавиатура и мышь</translation>
    </message>
    <message>
        <source>Where your files are</source>
        <translation>Где хранятся ваши файлы</translation>
    </message>
    <message>
        <source>Click a path to show it in the file manager.</source>
        <translation>Щёлкните по пути, чтобы показать его в файловом менеджере.</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
</context>
<context>
    <name>ImportWorker</name>
    <message>
        <source>No error</source>
        <translation>Нет ошибок</translation>
    </message>
    <message>
        <source>Container corrupted</source>
        <translation>Архив повреждён</translation>
    </message>
    <message>
        <source>Import file error</source>
        <translation>Ошибка записи файлов книг</translation>
    </message>
    <message>
        <source>Operation has been canceled</source>
        <translation>Операция отменена</translation>
    </message>
    <message>
        <source>Prepare import...</source>
        <translation>Подготовка к импорту…</translation>
    </message>
    <message>
        <source>%1 of %2 is being imported. %3</source>
        <translation>Импортируется %1 из %2. %3</translation>
    </message>
</context>
<context>
    <name>LibraryView</name>
    <message>
        <source>Import</source>
        <translation>Импорт</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Экспорт</translation>
    </message>
    <message>
        <source>Restore all</source>
        <translation>Восстановить все</translation>
    </message>
    <message>
        <source>Clear trash</source>
        <translation>Очистить корзину</translation>
    </message>
    <message>
        <source>Clear library</source>
        <translation>Очистить библиотеку</translation>
    </message>
    <message>
        <source>Categories</source>
        <translation>Категории</translation>
    </message>
    <message>
        <source>New category</source>
        <translation>Новая категория</translation>
    </message>
    <message>
        <source>Recently Read</source>
        <translation>Недавно прочитанные</translation>
    </message>
    <message>
        <source>All books</source>
        <translation>Все книги</translation>
    </message>
    <message>
        <source>Favorites</source>
        <translation>Избранное</translation>
    </message>
    <message>
        <source>Deleted</source>
        <translation>Удалённые</translation>
    </message>
    <message>
        <source>Recently Read (%1)</source>
        <translation>Недавно прочитанные (%1)</translation>
    </message>
    <message>
        <source>All (%1)</source>
        <translation>Все (%1)</translation>
    </message>
    <message>
        <source>Favorites (%1)</source>
        <translation>Избранное (%1)</translation>
    </message>
    <message>
        <source>Deleted (%1)</source>
        <translation>Удалённые (%1)</translation>
    </message>
    <message>
        <source>Show as table</source>
        <translation>Показать таблицей</translation>
    </message>
    <message>
        <source>Show as bookshelf</source>
        <translation>Показать книжной полкой</translation>
    </message>
    <message>
        <source>No eBooks found for &apos;%1&apos;</source>
        <translation>По запросу «%1» книги не найдены</translation>
    </message>
    <message>
        <source>The trash is empty</source>
        <translation>Корзина пуста</translation>
    </message>
    <message>
        <source>No books here yet</source>
        <translation>Здесь пока нет книг</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ОТМЕНА</translation>
    </message>
    <message>
        <source>Delete book</source>
        <extracomment>remove_book_caption</extracomment>
        <translation>Удаление книги</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this book?</source>
        <extracomment>remove_book_text</extracomment>
        <translation>Вы действительно хотите удалить эту книгу?</translation>
    </message>
    <message>
        <source>Are you sure you want to clear trash?</source>
        <translation>Вы действительно хотите очистить корзину?</translation>
    </message>
    <message>
        <source>Are you sure you want to clear library?</source>
        <translation>Вы действительно хотите очистить библиотеку?</translation>
    </message>
    <message>
        <source>Delete folder</source>
        <translation>Удаление папки</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this folder?</source>
        <translation>Вы действительно хотите удалить эту папку?</translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation>Выбор папки</translation>
    </message>
    <message>
        <source>Add books</source>
        <translation>Добавление книг</translation>
    </message>
    <message>
        <source>Add complete</source>
        <translation>Добавление завершено</translation>
    </message>
    <message>
        <source>%1 file(s) were successfully added into the Library</source>
        <translation>Файлов успешно добавлено в библиотеку: %1</translation>
    </message>
    <message>
        <source>Add books failed</source>
        <translation>Не удалось добавить книги</translation>
    </message>
    <message>
        <source>Export complete</source>
        <translation>Экспорт завершён</translation>
    </message>
    <message>
        <source>Click OK to open folder</source>
        <translation>Нажмите OK, чтобы открыть папку</translation>
    </message>
    <message>
        <source>Import complete</source>
        <translation>Импорт завершён</translation>
    </message>
    <message>
        <source>%1 file(s) were successfully imported into the Library</source>
        <translation>Файлов успешно импортировано в библиотеку: %1</translation>
    </message>
    <message>
        <source>Archive</source>
        <translation>Архив</translation>
    </message>
    <message>
        <source>Export file</source>
        <translation>Экспорт библиотеки</translation>
    </message>
    <message>
        <source>Import file</source>
        <translation>Импорт библиотеки</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Не удалось выполнить экспорт</translation>
    </message>
    <message>
        <source>Import failed</source>
        <translation>Не удалось выполнить импорт</translation>
    </message>
</context>
<context>
    <name>ListFormats</name>
    <message>
        <source>Formats</source>
        <translation>Форматы</translation>
    </message>
</context>
<context>
    <name>MainView</name>
    <message>
        <source>Failed to open file</source>
        <translation>Не удалось открыть файл</translation>
    </message>
    <message>
        <source>The file you are trying to open was not found by the following path: %1</source>
        <translation>Открываемый файл не найден по следующему пути: %1</translation>
    </message>
    <message>
        <source>Add book to library</source>
        <translation>Добавление книги в библиотеку</translation>
    </message>
    <message>
        <source>Unable to add document</source>
        <translation>Не удалось добавить документ</translation>
    </message>
    <message>
        <source>This file format is not supported.</source>
        <translation>Этот формат файлов не поддерживается.</translation>
    </message>
    <message>
        <source>The document %1 has already been added</source>
        <translation>Документ %1 уже добавлен</translation>
    </message>
    <message>
        <source>eBook Files (*.epub *.mobi *.prc *.azw3 *.fb2 *.pdf *.djvu *.cbz *.cbr)</source>
        <translation>Файлы электронных книг (*.epub *.mobi *.prc *.azw3 *.fb2 *.pdf *.djvu *.cbz *.cbr)</translation>
    </message>
</context>
<context>
    <name>MessagePassword</name>
    <message>
        <source>Enter password</source>
        <translation>Ввод пароля</translation>
    </message>
    <message>
        <source>This document is protected. Enter its password to open it.</source>
        <translation>Этот документ защищён. Введите пароль, чтобы открыть его.</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Пароль:</translation>
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
        <translation>ОТМЕНА</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>CANCEL</source>
        <translation>ОТМЕНА</translation>
    </message>
</context>
<context>
    <name>ReadToolBar</name>
    <message>
        <source>Full screen</source>
        <translation>Полноэкранный режим</translation>
    </message>
    <message>
        <source>Contents</source>
        <translation>Содержание</translation>
    </message>
    <message>
        <source>Add bookmark</source>
        <translation>Добавить закладку</translation>
    </message>
    <message>
        <source>Larger font</source>
        <translation>Увеличить шрифт</translation>
    </message>
    <message>
        <source>Smaller font</source>
        <translation>Уменьшить шрифт</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Увеличить</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Уменьшить</translation>
    </message>
    <message>
        <source>Fit to page</source>
        <translation>По размеру страницы</translation>
    </message>
    <message>
        <source>Original size</source>
        <translation>Исходный размер</translation>
    </message>
    <message>
        <source>One or two columns</source>
        <translation>Одна или две колонки</translation>
    </message>
    <message>
        <source>Next reading profile</source>
        <translation>Следующий профиль чтения</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Выйти из полноэкранного режима</translation>
    </message>
</context>
<context>
    <name>RenderedDocument</name>
    <message>
        <source>Go to page %1</source>
        <translation>Перейти к странице %1</translation>
    </message>
</context>
<context>
    <name>SearchEdit</name>
    <message>
        <source>Search</source>
        <translation>Найти</translation>
    </message>
    <message>
        <source>Clear search</source>
        <translation>Очистить поиск</translation>
    </message>
</context>
<context>
    <name>SearchModel</name>
    <message>
        <source>%1, Page %2</source>
        <translation>%1, страница %2</translation>
    </message>
    <message>
        <source>Page %1</source>
        <translation>Страница %1</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Результаты</translation>
    </message>
</context>
<context>
    <name>SearchView</name>
    <message>
        <source>Search</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>GO TO...</source>
        <translation>ПЕРЕЙТИ...</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ОТМЕНА</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Search by text or by page number</source>
        <translation>Поиск по тексту или номеру страницы</translation>
    </message>
    <message>
        <source>Searching… found so far: %1</source>
        <translation>Идёт поиск… найдено пока: %1</translation>
    </message>
    <message>
        <source>Nothing found for &quot;%1&quot;.</source>
        <translation>По запросу «%1» ничего не найдено.</translation>
    </message>
    <message>
        <source>Found: %1</source>
        <translation>Найдено: %1</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>Night</source>
        <translation>Ночь</translation>
    </message>
    <message>
        <source>Sepia</source>
        <translation>Сепия</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>День</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <source>English</source>
        <translation>Русский</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Profiles</source>
        <translation>Профили</translation>
    </message>
    <message>
        <source>System</source>
        <translation>Система</translation>
    </message>
    <message>
        <source>Profile:</source>
        <translation>Профиль:</translation>
    </message>
    <message>
        <source>Restore Default Settings</source>
        <translation>Восстановить настройки по умолчанию</translation>
    </message>
    <message>
        <source>Text Font:</source>
        <translation>Шрифт текста:</translation>
    </message>
    <message>
        <source>Caption:</source>
        <translation>Заголовки:</translation>
    </message>
    <message>
        <source>Color:</source>
        <translation>Цвет:</translation>
    </message>
    <message>
        <source>Background color:</source>
        <translation>Цвет фона:</translation>
    </message>
    <message>
        <source>Workground color:</source>
        <translation>Цвет поля вокруг:</translation>
    </message>
    <message>
        <source>Click to choose a color</source>
        <translation>Щёлкните, чтобы выбрать цвет</translation>
    </message>
    <message>
        <source>Library folder:</source>
        <translation>Папка библиотеки:</translation>
    </message>
    <message>
        <source>Select library folder</source>
        <translation>Выберите папку библиотеки</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Язык:</translation>
    </message>
    <message>
        <source>Turn page fade ON:</source>
        <translation>Плавная смена страниц:</translation>
    </message>
    <message>
        <source>SAVE SETTINGS</source>
        <translation>СОХРАНИТЬ НАСТРОЙКИ</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ОТМЕНА</translation>
    </message>
</context>
<context>
    <name>ShortcutTable</name>
    <message>
        <source>Main window</source>
        <translation>Главное окно</translation>
    </message>
    <message>
        <source>Reading EPUB, MOBI, PRC and FB2 books</source>
        <translation>Чтение книг EPUB, MOBI, PRC и FB2</translation>
    </message>
    <message>
        <source>Reading PDF books and comics (CBZ, CBR)</source>
        <translation>Чтение книг PDF и комиксов (CBZ, CBR)</translation>
    </message>
    <message>
        <source>Settings and help pages</source>
        <translation>Страницы настроек и справки</translation>
    </message>
    <message>
        <source>Next page</source>
        <translation>Следующая страница</translation>
    </message>
    <message>
        <source>Previous page</source>
        <translation>Предыдущая страница</translation>
    </message>
    <message>
        <source>First page</source>
        <translation>Первая страница</translation>
    </message>
    <message>
        <source>Last page</source>
        <translation>Последняя страница</translation>
    </message>
    <message>
        <source>Zoom in</source>
        <translation>Увеличить</translation>
    </message>
    <message>
        <source>Zoom out</source>
        <translation>Уменьшить</translation>
    </message>
    <message>
        <source>One page at a time</source>
        <translation>По одной странице</translation>
    </message>
    <message>
        <source>Two pages side by side</source>
        <translation>Две страницы рядом</translation>
    </message>
    <message>
        <source>Fit the page to the window</source>
        <translation>Вписать страницу в окно</translation>
    </message>
    <message>
        <source>Original size</source>
        <translation>Исходный размер</translation>
    </message>
    <message>
        <source>Move a page larger than the window</source>
        <translation>Сдвинуть страницу, которая больше окна</translation>
    </message>
    <message>
        <source>Full screen on or off (while reading)</source>
        <translation>Включить или выключить полноэкранный режим (при чтении)</translation>
    </message>
    <message>
        <source>Leave full screen</source>
        <translation>Выйти из полноэкранного режима</translation>
    </message>
    <message>
        <source>Minimize the window</source>
        <translation>Свернуть окно</translation>
    </message>
    <message>
        <source>Maximize or restore the window</source>
        <translation>Развернуть или восстановить окно</translation>
    </message>
    <message>
        <source>Close the page without saving</source>
        <translation>Закрыть страницу без сохранения</translation>
    </message>
    <message>
        <source>Ctrl</source>
        <translation>Ctrl</translation>
    </message>
    <message>
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message>
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Пробел</translation>
    </message>
    <message>
        <source>Right arrow</source>
        <translation>Стрелка вправо</translation>
    </message>
    <message>
        <source>Left arrow</source>
        <translation>Стрелка влево</translation>
    </message>
    <message>
        <source>Page Down</source>
        <translation>Page Down</translation>
    </message>
    <message>
        <source>Page Up</source>
        <translation>Page Up</translation>
    </message>
    <message>
        <source>Backspace</source>
        <translation>Backspace</translation>
    </message>
    <message>
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>End</source>
        <translation>End</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Click on the left half of the page</source>
        <translation>Щелчок по левой половине страницы</translation>
    </message>
    <message>
        <source>Click on the right half of the page</source>
        <translation>Щелчок по правой половине страницы</translation>
    </message>
    <message>
        <source>Mouse wheel towards you</source>
        <translation>Колесо мыши к себе</translation>
    </message>
    <message>
        <source>Mouse wheel away from you</source>
        <translation>Колесо мыши от себя</translation>
    </message>
    <message>
        <source>Double-click on the page</source>
        <translation>Двойной щелчок по странице</translation>
    </message>
    <message>
        <source>Ctrl+mouse wheel away from you</source>
        <translation>Ctrl+колесо мыши от себя</translation>
    </message>
    <message>
        <source>Ctrl+mouse wheel towards you</source>
        <translation>Ctrl+колесо мыши к себе</translation>
    </message>
    <message>
        <source>Mouse wheel</source>
        <translation>Колесо мыши</translation>
    </message>
    <message>
        <source>Drag with the mouse</source>
        <translation>Перетаскивание мышью</translation>
    </message>
    <message>
        <source>Double-click on the title bar or the header</source>
        <translation>Двойной щелчок по заголовку окна или верхней панели</translation>
    </message>
</context>
<context>
    <name>SplashScreen</name>
    <message>
        <source>Loading%1</source>
        <translation>Загрузка%1</translation>
    </message>
</context>
<context>
    <name>StartView</name>
    <message>
        <source>Add book to your library to start reading</source>
        <translation>Добавьте книгу в библиотеку, чтобы начать чтение</translation>
    </message>
    <message>
        <source>Add book</source>
        <translation>Добавить книгу</translation>
    </message>
    <message>
        <source>or drop EPUB, MOBI, FB2, PDF and comic files here</source>
        <translation>или перетащите сюда файлы EPUB, MOBI, FB2, PDF и комиксы</translation>
    </message>
</context>
<context>
    <name>TextDocument</name>
    <message>
        <source>Go to page %1</source>
        <translation>Перейти к странице %1</translation>
    </message>
</context>
<context>
    <name>TextViewer</name>
    <message>
        <source>ERROR: Unable the render the page!</source>
        <translation>ОШИБКА: не удалось отобразить страницу!</translation>
    </message>
</context>
<context>
    <name>TocModel</name>
    <message>
        <source>Chapter title</source>
        <translation>Глава</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Страница</translation>
    </message>
</context>
<context>
    <name>TocView</name>
    <message>
        <source>Table of contents</source>
        <translation>Оглавление</translation>
    </message>
    <message>
        <source>Bookmarks</source>
        <translation>Закладки</translation>
    </message>
    <message>
        <source>GO TO...</source>
        <translation>ПЕРЕЙТИ...</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>ОТМЕНА</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Назад</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>This book has no table of contents.</source>
        <translation>В этой книге нет оглавления.</translation>
    </message>
    <message>
        <source>No bookmarks yet. Add one with the bookmark button of the reading toolbar.</source>
        <translation>Закладок пока нет. Добавьте закладку кнопкой на панели чтения.</translation>
    </message>
    <message>
        <source>Delete bookmark</source>
        <comment>delete bookmark: caption</comment>
        <translation>Удалить закладку</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this bookmark?</source>
        <comment>delete bookmark: text</comment>
        <translation>Вы действительно хотите удалить эту закладку?</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>UserContext</name>
    <message>
        <source>Bookmarks</source>
        <translation>Закладки</translation>
    </message>
    <message>
        <source>New bookmark is successfully added!</source>
        <translation>Новая закладка успешно добавлена!</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Ошибка</translation>
    </message>
</context>
<context>
    <name>WindowBar</name>
    <message>
        <source>Minimize</source>
        <translation>Свернуть</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Восстановить</translation>
    </message>
    <message>
        <source>Maximize</source>
        <translation>Развернуть</translation>
    </message>
</context>
<context>
    <name>comics::ComicDocument</name>
    <message>
        <source>Page %1</source>
        <translation>Страница %1</translation>
    </message>
    <message>
        <source>Go to page %1</source>
        <translation>Перейти к странице %1</translation>
    </message>
</context>
<context>
    <name>fb2::FbDocument</name>
    <message>
        <source>Partition</source>
        <comment>The section title of the book if it is not specified</comment>
        <translation>Раздел</translation>
    </message>
</context>
<context>
    <name>pdf::PdfDocument</name>
    <message>
        <source>Can not open file</source>
        <translation>Не удаётся открыть файл</translation>
    </message>
    <message>
        <source>The password is incorrect</source>
        <translation>Неверный пароль</translation>
    </message>
</context>
</TS>
