#include "AddBooksWorker.h"

#include "BookFormat.h"
#include "comics/ComicDocument.h"
#include "djvu/DjvuDocument.h"
#include "epub/EpubParser.h"
#include "fb2/FbParser.h"
#include "mobi/MobiReader.h"
#include "pdf/PdfDocument.h"

#include "BookProvider.h"
#include "Logger.h"
#include "Paths.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QLoggingCategory>
#include <QMutexLocker>

Q_LOGGING_CATEGORY(lcAddBooks, "lanternleaf.workers.add")

namespace {
const char* const errorTexts[] = {QT_TRANSLATE_NOOP("AddBooksWorker", "No error"),
                                  QT_TRANSLATE_NOOP("AddBooksWorker", "Operation has been canceled")};

const char* errorSource(AddBooksErrors error)
{
    return error == AddBooksCanceled ? errorTexts[1] : errorTexts[0];
}

} // namespace

AddBooksWorker::AddBooksWorker(const QList<QFileInfo>& input, QObject* parent)
    : WorkerThread(parent), m_input(input)
{}

QStringList AddBooksWorker::supportedSuffixes()
{
    return BookFormat::acceptedSuffixes() + BookFormat::aliasSuffixes();
}

int AddBooksWorker::formatFromSuffix(const QString& suffix)
{
    return BookFormat::formatFromSuffix(suffix);
}

QString AddBooksWorker::errorText(AddBooksErrors error)
{
    return tr(errorSource(error));
}

QString AddBooksWorker::saveCover(const QString& bookPath, const QImage& cover)
{
    if (cover.isNull())
        return QString();
    const QString path =
        QDir::toNativeSeparators(Paths::bookCacheFolder(bookPath) + QStringLiteral("/cover.png"));
    if (!cover.save(path, "PNG")) {
        qCWarning(lcAddBooks) << "cannot write the cover" << path;
        return QString();
    }
    return path;
}

void AddBooksWorker::cancel()
{
    {
        QMutexLocker lock(&m_mutex);
        m_error = AddBooksCanceled;
    }
    stop();
}

WorkerStates AddBooksWorker::state() const
{
    QMutexLocker lock(&m_mutex);
    return m_state;
}

void AddBooksWorker::setState(WorkerStates state)
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_state == state)
            return;
        m_state = state;
    }
    emit stateChanged(state);
}

AddBooksErrors AddBooksWorker::error() const
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

void AddBooksWorker::run()
{
    logDebug(QStringLiteral("Add books start"));
    m_index = 0;
    setState(WorkerPreparing);
    emit started();
    m_added = 0;

    while (!isStopped()) {
        switch (state()) {
        case WorkerPreparing:
            if (scan())
                setState(WorkerProcessing);
            else
                stop();
            break;
        case WorkerProcessing:
            if (m_index < m_files.size())
                addNext();
            else
                stop();
            break;
        default:
            stop();
            break;
        }
        // Lets the progress signals reach the interface between steps.
        msleep(10);
    }

    setStopped(false);
    setState(WorkerIdle);

    const AddBooksErrors failure = error();
    if (failure != AddBooksNoError) {
        logError(
            QStringLiteral("Add books [FAILED]. Error:%1").arg(QString::fromLatin1(errorSource(failure))));
        emit failed(failure);
    } else {
        logDebug(QStringLiteral("Add books [OK]"));
        emit complete(m_added);
    }
}

bool AddBooksWorker::scan()
{
    QStringList filters;
    for (const QString& suffix : supportedSuffixes())
        filters << QStringLiteral("*.%1").arg(suffix);

    for (const QFileInfo& entry : qAsConst(m_input)) {
        if (isStopped())
            return false;
        if (!entry.isDir()) {
            m_files << entry.absoluteFilePath();
            continue;
        }
        emit progressMessage(tr("Scan folder... %1").arg(QDir::toNativeSeparators(entry.absoluteFilePath())));
        QCoreApplication::processEvents();
        // Without QDir::CaseSensitive the filters ignore case, so "BOOK.EPUB"
        // is found on case-sensitive file systems too. Symbolic links to
        // folders are not followed, so a link loop cannot trap the scan.
        QDirIterator it(entry.absoluteFilePath(), filters, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (isStopped())
                return false;
            m_files << it.next();
        }
    }
    return !isStopped();
}

void AddBooksWorker::addNext()
{
    const QString path = m_files.at(m_index);
    ++m_index;
    emit progressChanged(m_index, m_files.size());
    emit progressMessage(
        tr("%1 of %2 is being added. %3")
            .arg(QString::number(m_index), QString::number(m_files.size()), QFileInfo(path).fileName()));
    if (addFile(path))
        ++m_added;
}

bool AddBooksWorker::addFile(const QString& path)
{
    const QFileInfo info(path);
    const QString fullPath = QDir::toNativeSeparators(info.absoluteFilePath());
    if (!info.isFile() || BookProvider::instance()->getBookByPath(fullPath).id > 0)
        return false;

    BookDto book;
    book.full_path = fullPath;
    book.format = formatFromSuffix(info.suffix());
    book.time_added = uint(QDateTime::currentSecsSinceEpoch());
    if (!readMetadata(book))
        return false;

    for (auto it = book.metadata.begin(); it != book.metadata.end();) {
        if (it.value().isEmpty())
            it = book.metadata.erase(it);
        else
            ++it;
    }
    return BookProvider::instance()->addBook(book) != -1;
}

bool AddBooksWorker::readMetadata(BookDto& book)
{
    const QString baseName = QFileInfo(book.full_path).completeBaseName();
    switch (book.format) {
    case 2:
        if (!readFb2(book.full_path, book))
            book.title = baseName;
        if (book.title.isEmpty())
            book.title = baseName;
        return true;
    case 0:
        if (!readEpub(book.full_path, book) || book.title.isEmpty())
            book.title = baseName;
        return true;
    case 1:
    case 5:
        if (!readMobi(book.full_path, book) || book.title.isEmpty())
            book.title = baseName;
        return true;
    case 3:
        book.title = baseName;
        readPdf(book.full_path, book);
        return true;
    case 4:
        book.title = baseName;
        readDjvu(book.full_path, book);
        return true;
    case 6:
    case 7:
        readComic(book.full_path, book);
        return true;
    default:
        return false;
    }
}

bool AddBooksWorker::readFb2(const QString& path, BookDto& book)
{
    // Metadata only: the bodies are never converted, and a damaged body does
    // not keep a book with a sound description out of the library.
    fb2::FbParser parser;
    if (!parser.parse(path, true)) {
        qCWarning(lcAddBooks) << "cannot read the FB2 description of" << path << parser.errorString();
        return false;
    }
    const fb2::Book& fb = parser.book();
    book.title = fb.title().trimmed();
    book.author = fb.authors();
    book.metadata = fb.metadata();
    book.cover = saveCover(path, fb.cover());
    return true;
}

bool AddBooksWorker::readPdf(const QString& path, BookDto& book)
{
    // No password prompt here: a protected PDF is added under its file name,
    // without a cover, and asks for its password when it is opened.
    pdf::PdfDocument document;
    document.load(path);
    if (!document.isLoaded())
        return false;
    if (const QString title = document.title(); !title.isEmpty())
        book.title = title;
    book.author = document.author();
    book.metadata[2] = document.information(5);
    book.metadata[5] = document.information(6);
    book.cover = saveCover(path, document.cover(CoverHeight));
    return true;
}

bool AddBooksWorker::readDjvu(const QString& path, BookDto& book)
{
    djvu::DjvuDocument document;
    document.load(path);
    if (!document.isLoaded())
        return false;
    if (const QString title = document.title(); !title.isEmpty())
        book.title = title;
    book.author = document.author();
    book.cover = saveCover(path, document.cover(CoverHeight));
    return true;
}

void AddBooksWorker::readComic(const QString& path, BookDto& book)
{
    comics::ComicDocument comic;
    comic.load(path);
    book.title = comic.title();
    const QImage cover = comic.cover();
    if (!cover.isNull())
        book.cover = saveCover(path, cover.scaledToHeight(CoverHeight, Qt::SmoothTransformation));
}

bool AddBooksWorker::readMobi(const QString& path, BookDto& book)
{
    // Headers and the cover record only: the text is never decoded here.
    mobi::MobiReader reader;
    if (!reader.open(path)) {
        qCWarning(lcAddBooks) << "cannot read the Mobipocket headers of" << path << reader.errorString();
        return false;
    }
    book.title = reader.title();
    book.author = reader.author();
    book.metadata = reader.metadata();
    book.cover = saveCover(path, reader.cover());
    return true;
}

bool AddBooksWorker::readEpub(const QString& path, BookDto& book)
{
    // Metadata only: the package and the cover are read, the chapters never.
    epub::EpubParser parser;
    epub::Book epub;
    if (!parser.parse(path, epub, true)) {
        qCWarning(lcAddBooks) << "cannot read the EPUB package of" << path << parser.errorString();
        return false;
    }
    book.title = epub.title();
    book.author = epub.authors();
    book.metadata = epub.metadataCodes();
    book.cover = saveCover(path, epub.coverImage);
    return true;
}
