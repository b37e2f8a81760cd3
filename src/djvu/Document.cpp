#include "djvu/Document.h"

#include "Limits.h"
#include "SafeImage.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QLoggingCategory>
#include <QMutexLocker>
#include <QRegularExpression>

#include <libdjvu/ddjvuapi.h>
#include <libdjvu/miniexp.h>

Q_LOGGING_CATEGORY(lcDjvuLib, "lanternleaf.djvu.library", QtWarningMsg)

namespace djvu {

namespace {

// One lock for every call into DjVuLibre in the process: besides the
// context, the lisp values of outlines and texts share one heap whose
// collector is not meant for concurrent use.
QMutex& libraryLock()
{
    static QMutex lock;
    return lock;
}

constexpr int LoadTimeoutMs = 30000;
constexpr int PageTimeoutMs = 60000;
constexpr int DataTimeoutMs = 30000;
// A wait also looks again after this long, in case a change of state came
// without a message.
constexpr int PollMs = 20;
// Decoded pages kept by DjVuLibre, so a zoom or a page back does not decode
// again: a few scanned pages.
constexpr unsigned long CacheBytes = 64UL * 1024 * 1024;

QString fromLisp(miniexp_t value)
{
    return miniexp_stringp(value) ? QString::fromUtf8(miniexp_to_str(value)) : QString();
}

// The strings of a hidden-text tree in reading order: (page x0 y0 x1 y1
// (line ... (word x0 y0 x1 y1 "text"))). A file whose text stops at lines
// holds a line's words in one string.
void collectWords(miniexp_t node, QStringList& words, int depth)
{
    if (!miniexp_consp(node) || depth > Limits::maxXmlDepth)
        return;
    miniexp_t rest = miniexp_cdr(node);
    for (int i = 0; i < 4 && miniexp_consp(rest); ++i) // the rectangle
        rest = miniexp_cdr(rest);
    for (; miniexp_consp(rest); rest = miniexp_cdr(rest)) {
        miniexp_t item = miniexp_car(rest);
        if (miniexp_stringp(item)) {
            static const QRegularExpression space(QStringLiteral("\\s+"));
            words << fromLisp(item).split(space, Qt::SkipEmptyParts);
        } else {
            collectWords(item, words, depth + 1);
        }
    }
}

} // namespace

Document::Document() = default;

Document::~Document()
{
    close();
}

void Document::close()
{
    QMutexLocker lock(&libraryLock());
    if (m_document)
        ddjvu_document_release(m_document);
    m_document = nullptr;
    if (m_context) {
        ddjvu_message_set_callback(m_context, nullptr, nullptr);
        ddjvu_context_release(m_context);
    }
    m_context = nullptr;
    m_pageCount = 0;
    m_pages.clear();
    m_pageIds.clear();
    m_pageIdsRead = false;
}

void Document::onMessage(ddjvu_context_s* context, void* closure)
{
    Q_UNUSED(context)
    // Called on DjVuLibre's threads, possibly inside a call made under the
    // library lock: only wakes the waiters.
    auto* self = static_cast<Document*>(closure);
    QMutexLocker lock(&self->m_signalMutex);
    ++self->m_messages;
    self->m_messageArrived.wakeAll();
}

void Document::drainMessages() const
{
    if (!m_context)
        return;
    while (const ddjvu_message_t* message = ddjvu_message_peek(m_context)) {
        if (message->m_any.tag == DDJVU_ERROR) {
            m_lastMessage = QString::fromUtf8(message->m_error.message);
            qCDebug(lcDjvuLib) << "DjVuLibre:" << m_lastMessage;
        }
        ddjvu_message_pop(m_context);
    }
}

bool Document::waitFor(const std::function<bool()>& poll, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        quint64 seen = 0;
        {
            QMutexLocker lock(&m_signalMutex);
            seen = m_messages;
        }
        {
            QMutexLocker lock(&libraryLock());
            drainMessages();
            if (poll())
                return true;
        }
        if (deadline.hasExpired())
            return false;
        QMutexLocker lock(&m_signalMutex);
        if (m_messages == seen)
            m_messageArrived.wait(&m_signalMutex, qMin<qint64>(PollMs, deadline.remainingTime()));
    }
}

QString Document::lastMessage() const
{
    QMutexLocker lock(&libraryLock());
    return m_lastMessage;
}

bool Document::load(const QString& path)
{
    close();
    m_error = NoError;
    {
        QMutexLocker lock(&libraryLock());
        m_lastMessage.clear();
    }

    const QFileInfo info(path);
    if (!info.exists()) {
        m_error = FileNotFound;
        return false;
    }
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        m_error = CannotOpen;
        return false;
    }
    // Every DjVu file starts with an IFF form, most with the "AT&T" magic.
    const QByteArray head = file.read(8);
    file.close();
    if (!head.startsWith("AT&TFORM") && !head.startsWith("FORM")) {
        m_error = Damaged;
        return false;
    }

    {
        QMutexLocker lock(&libraryLock());
        m_context = ddjvu_context_create("lanternleaf");
        if (m_context) {
            ddjvu_message_set_callback(m_context, &Document::onMessage, this);
            ddjvu_cache_set_size(m_context, CacheBytes);
            m_document = ddjvu_document_create_by_filename_utf8(m_context, path.toUtf8().constData(), 1);
        }
    }
    ddjvu_status_t status = DDJVU_JOB_FAILED;
    const bool decoded = m_document && waitFor(
                                           [this, &status] {
                                               status = ddjvu_document_decoding_status(m_document);
                                               return status >= DDJVU_JOB_OK;
                                           },
                                           LoadTimeoutMs);
    int pages = 0;
    if (decoded && status == DDJVU_JOB_OK) {
        QMutexLocker lock(&libraryLock());
        pages = ddjvu_document_get_pagenum(m_document);
    }
    if (pages <= 0 || pages > Limits::maxPageCount) {
        qCDebug(lcDjvuLib) << "cannot open" << path << "status" << status << "pages" << pages
                           << lastMessage();
        m_error = pages > Limits::maxPageCount ? TooManyPages : Damaged;
        close();
        return false;
    }
    QMutexLocker lock(&libraryLock());
    m_pageCount = pages;
    m_pages.resize(pages);
    return true;
}

bool Document::pageInfo(int page, PageInfo* info) const
{
    if (!m_document || page < 1 || page > m_pageCount)
        return false;
    {
        QMutexLocker lock(&libraryLock());
        const PageInfo& known = m_pages.at(page - 1);
        if (known.state != PageInfo::Unread) {
            *info = known;
            return known.state == PageInfo::Read;
        }
    }
    ddjvu_pageinfo_t raw{};
    ddjvu_status_t status = DDJVU_JOB_FAILED;
    waitFor(
        [&] {
            status = ddjvu_document_get_pageinfo(m_document, page - 1, &raw);
            return status >= DDJVU_JOB_OK;
        },
        DataTimeoutMs);

    PageInfo read;
    read.state = PageInfo::Failed;
    if (status == DDJVU_JOB_OK) {
        read.pixels = QSize(raw.width, raw.height);
        // A resolution outside the format's range is a damaged header: take
        // the usual scanning resolution.
        read.dpi = raw.dpi >= 25 && raw.dpi <= 6000 ? raw.dpi : 300;
        read.rotation = raw.rotation & 3;
        // The whole page is decoded at its own size before it is scaled, so
        // an absurd size is refused here.
        if (read.pixels.width() > 0 && read.pixels.height() > 0 && SafeImage::acceptable(read.pixels))
            read.state = PageInfo::Read;
        else
            qCDebug(lcDjvuLib) << "page" << page << "refused: size" << read.pixels;
    } else {
        qCDebug(lcDjvuLib) << "page" << page << "unreadable, status" << status;
    }
    QMutexLocker lock(&libraryLock());
    m_pages[page - 1] = read;
    *info = read;
    return read.state == PageInfo::Read;
}

QSizeF Document::pageSize(int page) const
{
    PageInfo info;
    if (!pageInfo(page, &info))
        return QSizeF();
    return QSizeF(info.pixels.width() * 72.0 / info.dpi, info.pixels.height() * 72.0 / info.dpi);
}

QImage Document::renderPage(int page, double scale, const QSize& size) const
{
    Q_UNUSED(scale) // the page is drawn into `size`, which already holds it
    PageInfo info;
    if (size.isEmpty() || !SafeImage::acceptable(size) || !pageInfo(page, &info))
        return QImage();
    ddjvu_page_t* job = nullptr;
    {
        QMutexLocker lock(&libraryLock());
        job = ddjvu_page_create_by_pageno(m_document, page - 1);
    }
    if (!job)
        return QImage();
    const bool decoded = waitFor([job] { return ddjvu_page_decoding_done(job) != 0; }, PageTimeoutMs);

    QMutexLocker lock(&libraryLock());
    QImage image;
    if (!decoded) {
        qCDebug(lcDjvuLib) << "page" << page << "still decoding, given up";
        ddjvu_job_stop(ddjvu_page_job(job));
    } else if (ddjvu_page_decoding_status(job) != DDJVU_JOB_OK) {
        qCDebug(lcDjvuLib) << "page" << page << "cannot be decoded:" << m_lastMessage;
    } else {
        static unsigned int masks[4] = {0xff0000, 0xff00, 0xff, 0xff000000};
        ddjvu_format_t* format = ddjvu_format_create(DDJVU_FORMAT_RGBMASK32, 4, masks);
        ddjvu_format_set_row_order(format, 1);
        ddjvu_format_set_y_direction(format, 1);
        image = QImage(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        ddjvu_rect_t rect{0, 0, unsigned(size.width()), unsigned(size.height())};
        // False when the page has no picture at all: it stays white.
        ddjvu_page_render(job, DDJVU_RENDER_COLOR, &rect, &rect, format, size_t(image.bytesPerLine()),
                          reinterpret_cast<char*>(image.bits()));
        ddjvu_format_release(format);
    }
    ddjvu_page_release(job);
    drainMessages();
    return image;
}

QStringList Document::pageWords(int page) const
{
    QStringList words;
    PageInfo info;
    // A page that cannot be read (a missing file of an indirect book) never
    // delivers its text either.
    if (!pageInfo(page, &info))
        return words;
    miniexp_t text = miniexp_dummy;
    waitFor(
        [&] {
            text = ddjvu_document_get_pagetext(m_document, page - 1, "word");
            return text != miniexp_dummy;
        },
        DataTimeoutMs);
    QMutexLocker lock(&libraryLock());
    if (text != miniexp_dummy && text != miniexp_nil) {
        collectWords(text, words, 0);
        ddjvu_miniexp_release(m_document, text);
    }
    return words;
}

int Document::linkTarget(const QString& link) const
{
    if (!link.startsWith(QLatin1Char('#')))
        return 0;
    const QString target = link.mid(1);
    bool number = false;
    const int page = target.toInt(&number);
    if (number)
        return page >= 1 && page <= m_pageCount ? page : 0;
    // A page named by its file: under the library lock.
    if (!m_pageIdsRead) {
        m_pageIdsRead = true;
        const int files = ddjvu_document_get_filenum(m_document);
        for (int i = 0; i < files && i < Limits::maxPageCount * 2; ++i) {
            ddjvu_fileinfo_t info{};
            if (ddjvu_document_get_fileinfo(m_document, i, &info) != DDJVU_JOB_OK || info.type != 'P')
                continue;
            for (const char* name : {info.id, info.name, info.title}) {
                if (name && !m_pageIds.contains(QString::fromUtf8(name)))
                    m_pageIds.insert(QString::fromUtf8(name), info.pageno + 1);
            }
        }
    }
    return m_pageIds.value(target, 0);
}

QList<Document::Outline> Document::outlines() const
{
    QList<Outline> result;
    if (!m_document)
        return result;
    miniexp_t outline = miniexp_dummy;
    waitFor(
        [&] {
            outline = ddjvu_document_get_outline(m_document);
            return outline != miniexp_dummy;
        },
        DataTimeoutMs);
    QMutexLocker lock(&libraryLock());
    if (outline == miniexp_dummy || outline == miniexp_nil)
        return result;

    // (bookmarks ("title" "#page" children...) ...)
    int items = 0;
    const std::function<QList<Outline>(miniexp_t, int)> read = [&](miniexp_t list, int depth) {
        QList<Outline> level;
        for (; miniexp_consp(list) && items < Limits::maxOutlineItems; list = miniexp_cdr(list)) {
            miniexp_t entry = miniexp_car(list);
            if (!miniexp_consp(entry))
                continue;
            ++items;
            Outline item;
            item.title = fromLisp(miniexp_car(entry)).simplified();
            item.page = linkTarget(fromLisp(miniexp_car(miniexp_cdr(entry))));
            if (depth < Limits::maxOutlineDepth)
                item.children = read(miniexp_cdr(miniexp_cdr(entry)), depth + 1);
            level << item;
        }
        return level;
    };
    if (miniexp_symbolp(miniexp_car(outline)) &&
        qstrcmp(miniexp_to_name(miniexp_car(outline)), "bookmarks") == 0)
        result = read(miniexp_cdr(outline), 1);
    ddjvu_miniexp_release(m_document, outline);
    return result;
}

QString Document::metadata(const QString& key) const
{
    if (!m_document)
        return QString();
    miniexp_t anno = miniexp_dummy;
    waitFor(
        [&] {
            anno = ddjvu_document_get_anno(m_document, 1);
            return anno != miniexp_dummy;
        },
        DataTimeoutMs);
    QMutexLocker lock(&libraryLock());
    if (anno == miniexp_dummy || anno == miniexp_nil)
        return QString();
    const char* value = ddjvu_anno_get_metadata(anno, miniexp_symbol(key.toUtf8().constData()));
    const QString text = value ? QString::fromUtf8(value).simplified() : QString();
    ddjvu_miniexp_release(m_document, anno);
    return text;
}

} // namespace djvu
