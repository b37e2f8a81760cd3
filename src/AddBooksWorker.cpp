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

#include "SafeImage.h"

#include <QColorSpace>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QImageWriter>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QTemporaryFile>
#include <QtConcurrent>

#include <cstdio>

Q_LOGGING_CATEGORY(lcAddBooks, "lanternleaf.workers.add")

namespace {
const char* const errorTexts[] = {QT_TRANSLATE_NOOP("AddBooksWorker", "No error"),
                                  QT_TRANSLATE_NOOP("AddBooksWorker", "Operation has been canceled")};

const char* errorSource(AddBooksErrors error)
{
    return error == AddBooksCanceled ? errorTexts[1] : errorTexts[0];
}

// Qt maps a PNG quality q to zlib level (100 - q) * 9 / 91: 80 gives level 1,
// which makes covers about as small as the default level 6 does (photographs
// hardly compress further) several times faster.
constexpr int kPngQuality = 80;

QSize storedCoverBound()
{
    return QSize(2 * AddBooksWorker::StoredCoverHeight, AddBooksWorker::StoredCoverHeight);
}

QString writeCover(const QString& bookPath, QImage image)
{
    if (image.isNull())
        return QString();
    // Painting is not colour-managed, so an embedded profile changes nothing
    // on screen; it only makes every file larger.
    image.setColorSpace(QColorSpace());
    if (!image.hasAlphaChannel() && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_RGB32);
    const QString folder = Paths::bookCacheFolder(bookPath);
    const QString path = QDir::toNativeSeparators(folder + QStringLiteral("/cover.png"));
    // Written beside and renamed over: the shelf never reads half a cover.
    // Not synced to disk (QSaveFile would, once per book): a cover lost to a
    // power cut only shows the default cover.
    QTemporaryFile file(folder + QStringLiteral("/cover.XXXXXX.part"));
    QImageWriter writer(&file, "png");
    writer.setQuality(kPngQuality);
    if (!file.open() || !writer.write(image) || !file.flush() ||
        std::rename(QFile::encodeName(file.fileName()).constData(), QFile::encodeName(path).constData()) !=
            0) {
        qCWarning(lcAddBooks) << "cannot write the cover" << path << writer.errorString()
                              << file.errorString();
        return QString();
    }
    file.setAutoRemove(false); // it is the cover now
    return path;
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

QList<AddBooksWorker::Refusal> AddBooksWorker::refusals() const
{
    QMutexLocker lock(&m_mutex);
    return m_refusals;
}

QString AddBooksWorker::refusalText(const QList<Refusal>& refusals, int shown)
{
    if (refusals.isEmpty())
        return QString();
    QStringList lines;
    lines << tr("%n file(s) were added but cannot be opened:", nullptr, refusals.size());
    const int listed = refusals.size() <= shown + 1 ? refusals.size() : shown;
    for (int i = 0; i < listed; ++i) {
        const Refusal& r = refusals.at(i);
        //: One unreadable file in the add summary: %1 the file name, %2 the reason
        lines << tr("%1: %2").arg(QFileInfo(r.path).fileName(), BookError::text(r.reason));
    }
    if (listed < refusals.size())
        lines << tr("and %n more", nullptr, refusals.size() - listed);
    return lines.join(QLatin1Char('\n'));
}

QString AddBooksWorker::saveCover(const QString& bookPath, const QImage& cover)
{
    const QSize bound = storedCoverBound();
    if (cover.width() > bound.width() || cover.height() > bound.height())
        return writeCover(bookPath, cover.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return writeCover(bookPath, cover);
}

QString AddBooksWorker::saveCoverData(const QString& bookPath, const QByteArray& encoded)
{
    if (encoded.isEmpty())
        return QString();
    QString reason;
    const QImage cover = SafeImage::decodeWithin(encoded, storedCoverBound(), &reason);
    if (cover.isNull()) {
        qCWarning(lcAddBooks) << "cover of" << bookPath << "left out:" << reason;
        return QString();
    }
    return writeCover(bookPath, cover);
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
    m_nextRead = 0;
    // Reading is most of the work and the worker mostly waits: on a
    // two-core machine two readers keep both cores busy.
    m_readers.setMaxThreadCount(qBound(1, QThread::idealThreadCount(), MaxReaders));
    setState(WorkerPreparing);
    emit started();
    m_added = 0;
    {
        QMutexLocker lock(&m_mutex);
        m_refusals.clear();
    }

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
                addNextFiles();
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

    // Reads started ahead of a cancel end (those not begun yet return at
    // once); their results are dropped.
    m_readers.waitForDone();
    m_ahead.clear();
    m_seen.clear();

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

void AddBooksWorker::addNextFiles()
{
    QList<BookDto> batch;
    const int first = m_index;
    while (m_index < m_files.size() && m_index - first < MaxBatch) {
        const int index = m_index;
        // The first file is waited for; the ones after it join this round
        // only if they have been read already.
        if (index > first && m_ahead.contains(index) && !m_ahead.value(index).isFinished())
            break;
        ++m_index;
        // Set before the progress signals: a cancel they trigger must still
        // let this file's read finish.
        m_adding.storeRelease(index);
        emit progressChanged(m_index, m_files.size());
        emit progressMessage(tr("%1 of %2 is being added. %3")
                                 .arg(QString::number(m_index), QString::number(m_files.size()),
                                      QFileInfo(m_files.at(index)).fileName()));
        readAhead();
        BookDto book;
        if (takeRead(index, &book))
            batch << book;
        // After a cancel the file being added is finished, no other.
        if (isStopped())
            break;
    }
    for (int id : BookProvider::instance()->addBooks(batch)) {
        if (id > 0)
            ++m_added;
    }
}

void AddBooksWorker::readAhead()
{
    const int last = qMin(m_files.size() - 1, m_adding.loadAcquire() + ReadAhead);
    for (; m_nextRead <= last; ++m_nextRead) {
        const QFileInfo info(m_files.at(m_nextRead));
        const QString fullPath = QDir::toNativeSeparators(info.absoluteFilePath());
        // A file named twice is read once: two reads would write one cover
        // file at the same time.
        if (!info.isFile() || m_seen.contains(fullPath) ||
            BookProvider::instance()->getBookByPath(fullPath).id > 0)
            continue;
        m_seen.insert(fullPath);
        const int index = m_nextRead;
        m_ahead.insert(index, QtConcurrent::run(
                                  &m_readers, [this, index, fullPath] { return prepare(index, fullPath); }));
    }
}

AddBooksWorker::Prepared AddBooksWorker::prepare(int index, const QString& fullPath)
{
    Prepared prepared;
    // After a cancel only the file being inserted is still read.
    if (isStopped() && index != m_adding.loadAcquire())
        return prepared;
    prepared.book.full_path = fullPath;
    prepared.book.format = formatFromSuffix(QFileInfo(fullPath).suffix());
    readMetadata(prepared);
    return prepared;
}

bool AddBooksWorker::takeRead(int index, BookDto* book)
{
    // Not read: missing, already in the library or named before.
    if (!m_ahead.contains(index))
        return false;
    Prepared prepared = m_ahead.take(index).result();
    if (!prepared.ok) {
        // Missing (gone since the scan) or not a book at all: skipped.
        if (prepared.error == BookError::None || prepared.error == BookError::Missing)
            return false;
        // A file that cannot be read is still registered, under its file
        // name and without a cover, like a PDF waiting for its password: it
        // lies where the user keeps it and may be replaced by a sound copy.
        // The add summary says which files will not open, and why.
        qCWarning(lcAddBooks) << "added, but cannot be read:" << prepared.book.full_path
                              << BookError::name(prepared.error);
        QMutexLocker lock(&m_mutex);
        m_refusals << Refusal{prepared.book.full_path, prepared.error};
    }
    // Another worker may have added it since the read began.
    if (BookProvider::instance()->getBookByPath(prepared.book.full_path).id > 0)
        return false;
    *book = prepared.book;
    book->time_added = uint(QDateTime::currentSecsSinceEpoch());
    for (auto it = book->metadata.begin(); it != book->metadata.end();) {
        if (it.value().isEmpty())
            it = book->metadata.erase(it);
        else
            ++it;
    }
    return true;
}

void AddBooksWorker::readMetadata(Prepared& prepared)
{
    BookDto& book = prepared.book;
    const QString baseName = QFileInfo(book.full_path).completeBaseName();
    BookError::Reason error = BookError::None;
    switch (book.format) {
    case BookFormat::Fb2:
        error = readFb2(book.full_path, book);
        break;
    case BookFormat::Epub:
        error = readEpub(book.full_path, book);
        break;
    case BookFormat::Mobi:
    case BookFormat::Prc:
        error = readMobi(book.full_path, book);
        break;
    case BookFormat::Pdf:
        book.title = baseName;
        error = readPdf(book.full_path, book);
        break;
    case BookFormat::Djvu:
        book.title = baseName;
        error = readDjvu(book.full_path, book);
        break;
    case BookFormat::Cbz:
    case BookFormat::Cbr:
        error = readComic(book.full_path, book);
        break;
    default:
        // Not a book format: skipped without a word.
        return;
    }
    if (book.title.trimmed().isEmpty())
        book.title = baseName;
    prepared.error = error;
    prepared.ok = error == BookError::None;
}

BookError::Reason AddBooksWorker::readFb2(const QString& path, BookDto& book)
{
    // Metadata only: the bodies are never converted, and a damaged body does
    // not keep a book with a sound description out of the library.
    fb2::FbParser parser;
    // Decoded at the stored size: much cheaper than decoding it whole.
    parser.setCoverAsData(true);
    if (!parser.parse(path, true)) {
        qCWarning(lcAddBooks) << "cannot read the FB2 description of" << path << parser.errorString();
        const BookError::Reason reason = BookError::checkFile(path);
        if (reason != BookError::None)
            return reason;
        return QFileInfo(path).size() > fb2::FbParser::maxFileSize ? BookError::TooLarge : BookError::Damaged;
    }
    const fb2::Book& fb = parser.book();
    book.title = fb.title().trimmed();
    book.author = fb.authors();
    book.metadata = fb.metadata();
    book.cover = saveCoverData(path, fb.coverData);
    return BookError::None;
}

BookError::Reason AddBooksWorker::readPdf(const QString& path, BookDto& book)
{
    // No password prompt here: a protected PDF is added under its file name,
    // without a cover, and asks for its password when it is opened.
    pdf::PdfDocument document;
    document.load(path);
    if (!document.isLoaded())
        return document.error();
    if (const QString title = document.title(); !title.isEmpty())
        book.title = title;
    book.author = document.author();
    book.metadata[2] = document.information(5);
    book.metadata[5] = document.information(6);
    book.cover = saveCover(path, document.cover(CoverHeight));
    return BookError::None;
}

BookError::Reason AddBooksWorker::readDjvu(const QString& path, BookDto& book)
{
    djvu::DjvuDocument document;
    document.load(path);
    if (!document.isLoaded())
        return document.error() == BookError::None ? BookError::Damaged : document.error();
    if (const QString title = document.title(); !title.isEmpty())
        book.title = title;
    book.author = document.author();
    book.cover = saveCover(path, document.cover(CoverHeight));
    return BookError::None;
}

BookError::Reason AddBooksWorker::readComic(const QString& path, BookDto& book)
{
    comics::ComicDocument comic;
    comic.load(path);
    book.title = comic.title();
    // Protected books are added as any other: the reader says why they do
    // not open, as it does for every protected format.
    if (!comic.isLoaded() && comic.error() != BookError::Protected)
        return comic.error() == BookError::None ? BookError::NoPages : comic.error();
    const QImage cover = comic.cover();
    if (!cover.isNull())
        book.cover = saveCover(path, cover.scaledToHeight(CoverHeight, Qt::SmoothTransformation));
    return BookError::None;
}

BookError::Reason AddBooksWorker::readMobi(const QString& path, BookDto& book)
{
    // Headers and the cover record only: the text is never decoded here.
    mobi::MobiReader reader;
    if (!reader.open(path)) {
        qCWarning(lcAddBooks) << "cannot read the Mobipocket headers of" << path << reader.errorString();
        return BookError::fileOr(path, BookError::Damaged);
    }
    if (!reader.isCompressionSupported())
        return BookError::Unsupported;
    if (!reader.isTextComplete())
        return BookError::Damaged;
    book.title = reader.title();
    book.author = reader.author();
    book.metadata = reader.metadata();
    book.cover = saveCover(path, reader.cover());
    return BookError::None;
}

BookError::Reason AddBooksWorker::readEpub(const QString& path, BookDto& book)
{
    // Metadata only: the package and the cover are read, the chapters never.
    epub::EpubParser parser;
    epub::Book epub;
    if (!parser.parse(path, epub, true)) {
        qCWarning(lcAddBooks) << "cannot read the EPUB package of" << path << parser.errorString();
        switch (parser.error()) {
        case epub::EpubParser::Protected:
            return BookError::Protected;
        case epub::EpubParser::Unreadable:
            return BookError::fileOr(path, BookError::Damaged);
        default:
            return BookError::Damaged;
        }
    }
    book.title = epub.title();
    book.author = epub.authors();
    book.metadata = epub.metadataCodes();
    book.cover = saveCover(path, epub.coverImage);
    return BookError::None;
}
