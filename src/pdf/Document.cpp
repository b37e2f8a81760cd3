#include "pdf/Document.h"

#include "Limits.h"
#include "SafeImage.h"

#include <poppler-qt5.h>

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QMutexLocker>

#include <mutex>

Q_LOGGING_CATEGORY(lcPdfLibrary, "lanternleaf.pdf.library", QtWarningMsg)

namespace pdf {

namespace {

// Poppler reports syntax errors of damaged files on stderr by default; they
// belong with the other developer traces.
void popplerMessage(const QString& message, const QVariant&)
{
    qCDebug(lcPdfLibrary) << "poppler:" << message;
}

std::unique_ptr<Poppler::Page> pageOf(const Poppler::Document* document, int page)
{
    return std::unique_ptr<Poppler::Page>(document->page(page - 1));
}

void readOutline(const QVector<Poppler::OutlineItem>& items, int depth, int& budget,
                 QList<Document::Outline>& out)
{
    for (const Poppler::OutlineItem& item : items) {
        if (budget <= 0)
            return;
        --budget;
        Document::Outline entry;
        entry.title = item.name();
        if (const auto destination = item.destination())
            entry.page = destination->pageNumber();
        if (item.hasChildren() && depth + 1 < Limits::maxOutlineDepth)
            readOutline(item.children(), depth + 1, budget, entry.children);
        out << entry;
    }
}

} // namespace

Document::Document()
{
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction(popplerMessage, QVariant()); });
}

Document::~Document() = default;

void Document::close()
{
    m_document.reset();
    m_open = false;
    m_pageCount = 0;
}

bool Document::load(const QString& path, const QString& password)
{
    QMutexLocker lock(&m_mutex);
    // A locked file stays parsed between password attempts.
    if (!(m_document && m_path == path && m_document->isLocked())) {
        close();
        m_path = path;
        m_document.reset(Poppler::Document::load(path));
        if (!m_document) {
            const QFileInfo info(path);
            QFile probe(path);
            if (!info.exists())
                m_errorCode = FileNotFound;
            else if (!info.isFile() || !probe.open(QIODevice::ReadOnly))
                m_errorCode = CannotOpen;
            else
                m_errorCode = Damaged;
            return false;
        }
    }
    if (m_document->isLocked()) {
        // Poppler takes Latin-1 passwords; newer (AES-256) files use UTF-8.
        // unlock() answers whether the file is still locked.
        const QByteArray latin = password.toLatin1();
        const QByteArray utf8 = password.toUtf8();
        bool locked = password.isEmpty() || m_document->unlock(latin, latin);
        if (locked && !password.isEmpty() && utf8 != latin)
            locked = m_document->unlock(utf8, utf8);
        if (locked) {
            m_errorCode = PasswordNeeded;
            return false;
        }
    }
    const int count = m_document->numPages();
    if (count <= 0) {
        close();
        m_errorCode = Damaged;
        return false;
    }
    if (count > Limits::maxPageCount) {
        close();
        m_errorCode = TooManyPages;
        return false;
    }
    m_document->setRenderHint(Poppler::Document::Antialiasing);
    m_document->setRenderHint(Poppler::Document::TextAntialiasing);
    m_document->setPaperColor(Qt::white);
    m_pageCount = count;
    m_open = true;
    m_errorCode = NoError;
    return true;
}

bool Document::isOpen() const
{
    QMutexLocker lock(&m_mutex);
    return m_open;
}

int Document::lastErrorCode() const
{
    QMutexLocker lock(&m_mutex);
    return m_errorCode;
}

QString Document::errorMessage(int code)
{
    switch (code) {
    case NoError:
        return QStringLiteral("No error");
    case CannotOpen:
        return QStringLiteral("Could not open input file");
    case PasswordNeeded:
        return QStringLiteral("Invalid password");
    case Damaged:
        return QStringLiteral("Invalid file structure, file is damaged");
    case FileNotFound:
        return QStringLiteral("File not found");
    case TooManyPages:
        return QStringLiteral("Too many pages");
    case NotOpen:
        return QStringLiteral("No document is open");
    default:
        return QStringLiteral("Unknown error");
    }
}

int Document::pageCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_pageCount;
}

QSizeF Document::pageSize(int page) const
{
    QMutexLocker lock(&m_mutex);
    if (!m_open || page < 1 || page > m_pageCount)
        return QSizeF();
    const auto p = pageOf(m_document.get(), page);
    if (!p)
        return QSizeF();
    // Poppler gives the size as shown (turned); the box of the file is the
    // other way round for pages turned a quarter.
    const QSizeF shown = p->pageSizeF();
    const auto orientation = p->orientation();
    if (orientation == Poppler::Page::Landscape || orientation == Poppler::Page::Seascape)
        return shown.transposed();
    return shown;
}

int Document::pageRotation(int page) const
{
    QMutexLocker lock(&m_mutex);
    if (!m_open || page < 1 || page > m_pageCount)
        return 0;
    const auto p = pageOf(m_document.get(), page);
    if (!p)
        return 0;
    switch (p->orientation()) {
    case Poppler::Page::Landscape:
        return 90;
    case Poppler::Page::UpsideDown:
        return 180;
    case Poppler::Page::Seascape:
        return 270;
    default:
        return 0;
    }
}

QImage Document::renderPage(int page, double scale, const QSize& size) const
{
    if (!SafeImage::acceptable(size) || !(scale > 0)) {
        qCDebug(lcPdfLibrary) << "render refused: page" << page << "size" << size << "scale" << scale;
        return QImage();
    }
    QMutexLocker lock(&m_mutex);
    if (!m_open || page < 1 || page > m_pageCount)
        return QImage();
    const auto p = pageOf(m_document.get(), page);
    if (!p)
        return QImage();
    const double dpi = 72.0 * scale;
    return p->renderToImage(dpi, dpi, 0, 0, size.width(), size.height());
}

QStringList Document::pageWords(int page) const
{
    QMutexLocker lock(&m_mutex);
    QStringList words;
    if (!m_open || page < 1 || page > m_pageCount)
        return words;
    const auto p = pageOf(m_document.get(), page);
    if (!p)
        return words;
    const QList<Poppler::TextBox*> boxes = p->textList();
    words.reserve(boxes.size());
    for (const Poppler::TextBox* box : boxes)
        words << box->text();
    qDeleteAll(boxes);
    return words;
}

QList<Document::Outline> Document::outlines() const
{
    QMutexLocker lock(&m_mutex);
    QList<Outline> result;
    if (!m_open)
        return result;
    int budget = Limits::maxOutlineItems;
    readOutline(m_document->outline(), 0, budget, result);
    return result;
}

QString Document::information(int key) const
{
    static const char* const keys[] = {nullptr,    "Author",  "Title",   "Subject",
                                       "Keywords", "Creator", "Producer"};
    QMutexLocker lock(&m_mutex);
    if (!m_open || key < 1 || key > 6)
        return QString();
    return m_document->info(QString::fromLatin1(keys[key])).trimmed();
}

} // namespace pdf
