#include "comics/ComicDocument.h"

#include "ArchiveReader.h"
#include "Limits.h"
#include "Logger.h"
#include "Paths.h"
#include "SafeImage.h"
#include "comics/ArchiveProbe.h"
#include "comics/SolidUnpacker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcComics, "lanternleaf.comics", QtWarningMsg)

namespace comics {

namespace {

enum class Kind
{
    Unknown,
    Zip,
    Rar
};

// Comic archives are often named for the other kind (a zip called .cbr):
// the first bytes decide, the suffix only when they say nothing.
Kind kindOf(const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray head = file.read(8);
        if (head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06"))
            return Kind::Zip;
        if (head.startsWith("Rar!\x1A\x07"))
            return Kind::Rar;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("cbr"))
        return Kind::Rar;
    if (suffix == QLatin1String("cbz"))
        return Kind::Zip;
    return Kind::Unknown;
}

} // namespace

ComicDocument::ComicDocument(QObject* parent) : ImageDocument(parent) {}

ComicDocument::~ComicDocument() = default;

bool ComicDocument::isPageName(const QString& name)
{
    // A name that would leave a folder is no page, whatever its suffix.
    if (!ArchiveReader::isSafeEntryName(name) || name.endsWith(QLatin1Char('/')))
        return false;
    static const QStringList suffixes{QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
                                      QStringLiteral("gif"), QStringLiteral("bmp"),  QStringLiteral("webp")};
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot >= 0 && suffixes.contains(name.mid(dot + 1).toLower());
}

QString ComicDocument::titleFor(const QString& path)
{
    return QFileInfo(path).baseName().replace(QLatin1Char('_'), QLatin1Char(' '));
}

void ComicDocument::load(const QString& path)
{
    logDebug(QStringLiteral("-----------------------------"));
    logDebug(QStringLiteral("Loading begin. File: %1").arg(path));
    m_path = path;
    m_folder = Paths::bookCacheFolder(path);
    m_pages.clear();
    m_order.clear();
    m_numbers.clear();
    m_error = BookError::None;
    m_unpacker.reset();
    bool solid = false;

    const Kind kind = kindOf(path);
    m_reader.reset(createArchiveReader(kind == Kind::Rar   ? QStringLiteral("comic.cbr")
                                       : kind == Kind::Zip ? QStringLiteral("comic.cbz")
                                                           : path));
    const QStringList entries = m_reader->fileList(path);
    for (const QString& name : entries)
        if (isPageName(name))
            m_order << name;
    if (m_order.size() > Limits::maxPageCount) {
        logWarning(QStringLiteral("Comic %1: only the first %2 of %3 pages are read")
                       .arg(path)
                       .arg(Limits::maxPageCount)
                       .arg(m_order.size()));
        m_order = m_order.mid(0, Limits::maxPageCount);
    }
    QStringList sorted = m_order;
    sorted.sort(Qt::CaseInsensitive);
    for (int i = 0; i < sorted.size(); ++i) {
        m_pages.insert(i + 1, sorted[i]);
        m_numbers.insert(sorted[i], i + 1);
    }

    bool encrypted = false;
    if (kind == Kind::Rar) {
        const ArchiveProbe::RarFacts facts = ArchiveProbe::probeRar(path);
        encrypted = facts.encrypted;
        solid = facts.solid;
    } else if (kind == Kind::Zip && !sorted.isEmpty()) {
        encrypted = ArchiveProbe::isZipEntryEncrypted(path, sorted.first());
    }

    if (encrypted) {
        // Pages that cannot be decoded would show as blank pages.
        m_error = BookError::Protected;
        m_pages.clear();
    } else if (entries.isEmpty()) {
        // Not an archive the readers know, or one that cannot be read.
        m_error = BookError::fileOr(path, BookError::Damaged);
    } else if (m_pages.isEmpty()) {
        m_error = BookError::NoPages;
    }
    if (m_error != BookError::None)
        qCWarning(lcComics) << "comic not opened:" << path << BookError::name(m_error);
    if (m_pages.isEmpty()) {
        m_order.clear();
        m_numbers.clear();
    } else if (solid) {
        m_unpacker = std::make_unique<SolidUnpacker>(path, m_folder, m_order, m_numbers);
    }

    logDebug(QStringLiteral("Loading complete"));
    logDebug(QStringLiteral("Page count:%1").arg(m_pages.size()));
    logDebug(QStringLiteral("-----------------------------"));
}

QImage ComicDocument::requestImage(int number)
{
    if (!isValidPage(number))
        return QImage();
    QString reason;
    const QImage image = SafeImage::decode(readPage(number), &reason);
    if (image.isNull())
        qCDebug(lcComics) << "page" << number << m_pages.value(number) << "not shown:" << reason;
    return image;
}

QByteArray ComicDocument::readPage(int number)
{
    if (pagesUnpacked()) {
        QByteArray bytes = m_unpacker->page(number);
        if (!bytes.isEmpty())
            return bytes;
    }
    // Until a solid archive is unpacked its pages are read straight from it:
    // cheap near the start, where a book is usually opened.
    return m_reader->readEntry(m_path, m_pages.value(number));
}

void ComicDocument::unpackInBackground()
{
    if (m_unpacker)
        m_unpacker->start();
}

bool ComicDocument::pagesUnpacked() const
{
    return m_unpacker && m_unpacker->isDone();
}

void ComicDocument::waitForUnpack()
{
    if (m_unpacker)
        m_unpacker->waitForDone();
}

QList<TocPoint> ComicDocument::toc() const
{
    QList<TocPoint> points;
    points.reserve(m_pages.size());
    for (int i = 1; i <= m_pages.size(); ++i) {
        TocPoint point;
        point.title = tr("Page %1").arg(i);
        point.position = i;
        point.page = i;
        points << point;
    }
    return points;
}

QString ComicDocument::chapterTitle(int position) const
{
    return tr("Page %1").arg(position);
}

QList<SearchResult> ComicDocument::search(const QString& text)
{
    QList<SearchResult> results;
    bool number = false;
    const int n = text.trimmed().toInt(&number);
    if (text.trimmed().isEmpty() || !number || !isValidPage(n))
        return results;
    SearchResult jump;
    jump.title = tr("Page %1").arg(n);
    jump.page = n;
    jump.text = tr("Go to page %1").arg(n);
    jump.position = n;
    jump.isPageJump = true;
    results << jump;
    return results;
}

int ComicDocument::calcProgressByPage(const int page) const
{
    if (m_pages.isEmpty())
        return 0;
    return int(float(double(page) / m_pages.size() * 100));
}

} // namespace comics
