#include "UserContext.h"

#include "BookProvider.h"
#include "IDocument.h"
#include "Logger.h"
#include "MessageView.h"
#include "Paths.h"
#include "Settings.h"

#include <QApplication>
#include <QDateTime>
#include <QLoggingCategory>

#include <cmath>

Q_LOGGING_CATEGORY(lcUserContext, "lanternleaf.usercontext", QtInfoMsg)

namespace {
const char* const kGeneralCategory = "last__general_category";
const char* const kCustomCategory = "last__custom_category";
const char* const kTypeCategory = "last__type_category";

int readInt(const char* key, int fallback)
{
    return Paths::settings()->value(QLatin1String(key), fallback).toInt();
}

void writeInt(const char* key, int value)
{
    const auto settings = Paths::settings();
    settings->setValue(QLatin1String(key), value);
    settings->sync();
}
} // namespace

void UserContext::setSearchText(const QString& text)
{
    m_searchText = text;
    emit searhingTextChanged(text);
}

void UserContext::navigateToPosition(int newPosition)
{
    if (m_document)
        m_document->setPageByPosition(newPosition);
}

void UserContext::navigateToPage(int newPage)
{
    if (m_document)
        m_document->setPage(newPage);
}

void UserContext::clearSearch()
{
    if (m_document)
        m_document->clearSearch();
}

void UserContext::restorePosition()
{
    if (m_document)
        m_document->setPageByPosition(m_book.position);
}

QString UserContext::titleText(const QString& bookTitle, int page, int pageCount, double progress)
{
    if (pageCount < 1 || page <= 0)
        return QStringLiteral("<b>%1</b> (...)").arg(bookTitle.toHtmlEscaped());
    return QStringLiteral("<b>%1</b> (%2%)").arg(bookTitle.toHtmlEscaped()).arg(std::lround(progress));
}

QString UserContext::progressText(int page, int pageCount, int columnCount, bool exact)
{
    if (pageCount < 1 || page <= 0)
        return QStringLiteral("...");
    QString pagePart;
    if (columnCount == 1)
        pagePart = QString::number(page);
    else if (columnCount == 2)
        pagePart =
            page >= pageCount ? QString::number(page) : QStringLiteral("%1-%2").arg(page).arg(page + 1);
    // Page numbers still being counted are estimates.
    const QString mark = exact ? QString() : QStringLiteral("~");
    return QStringLiteral("<b>%1%2</b> / %1%3").arg(mark, pagePart).arg(pageCount);
}

void UserContext::updateBookInfo()
{
    if (!m_document)
        return;
    const int page = m_document->page();
    const int count = m_document->pageCount();
    emit bookInfoChanged(
        titleText(m_book.title, page, count, m_document->progress()),
        progressText(page, count, m_document->columnCount(), m_document->isPageCountExact()));
}

void UserContext::addBookmark()
{
    if (!m_document || m_book.id <= 0)
        return;
    BookmarkDto bookmark;
    bookmark.book_id = m_book.id;
    bookmark.position = float(m_document->position());
    // Truncated: a bookmark never claims more of the book than was read.
    bookmark.progress = float(int(m_document->progress()));
    bookmark.title = m_document->chapterTitle(m_document->position());
    bookmark.time_added = uint(QDateTime::currentSecsSinceEpoch());

    BookProvider* provider = BookProvider::instance();
    if (provider->addBookmark(bookmark)) {
        MessageView box(tr("Bookmarks"), tr("New bookmark is successfully added!"),
                        QApplication::activeWindow());
        box.exec();
    } else {
        MessageView box(tr("Error"), provider->lastError(), QApplication::activeWindow());
        box.exec();
    }
}

void UserContext::nextProfile()
{
    ReaderSettings data = Settings::instance()->data();
    data.currentProfile = (data.currentProfile + 1) % 3;
    if (data.currentProfile < 0)
        data.currentProfile = 0;
    Settings::instance()->setData(data);
}

void UserContext::switchColumnCount()
{
    if (!m_document)
        return;
    const int count = m_document->columnCount() > 1 ? 1 : 2;
    m_document->setColumnCount(count);
    ReaderSettings data = Settings::instance()->data();
    data.columnCount = count;
    Settings::instance()->setData(data, true);
}

void UserContext::increaseFont()
{
    changeFontSize(+1);
}

void UserContext::decreaseFont()
{
    changeFontSize(-1);
}

void UserContext::changeFontSize(int delta)
{
    ReaderSettings data = Settings::instance()->data();
    if (!data.profiles.contains(data.currentProfile))
        return;
    ReadingProfile& profile = data.profiles[data.currentProfile];
    const int size = qBound(MinFontSize, profile.textSize + delta, MaxFontSize);
    // At a bound nothing changes: saving would re-lay out the whole book for nothing.
    if (size == profile.textSize)
        return;
    profile.textSize = size;
    Settings::instance()->setData(data);
}

void UserContext::savePosition()
{
    qCDebug(lcUserContext) << "UserContext::savePosition";
    if (!m_document || !m_document->isLoaded() || m_book.id <= 0)
        return;
    BookDto book = m_book;
    book.position = m_document->position();
    book.max_position = int(std::lround(m_document->progress()));
    BookProvider* provider = BookProvider::instance();
    if (!provider->updateBook(book))
        logError(provider->lastError());
}

int UserContext::lastGeneralCategory() const
{
    return readInt(kGeneralCategory, 0);
}

void UserContext::setLastGeneralCategory(int value)
{
    writeInt(kGeneralCategory, value);
}

int UserContext::lastCustomCategory() const
{
    return readInt(kCustomCategory, -1);
}

void UserContext::setLastCustomCategory(int value)
{
    writeInt(kCustomCategory, value);
}

int UserContext::lastTypeCategory() const
{
    const int value = readInt(kTypeCategory, 0);
    return value > 1 ? 0 : value;
}

void UserContext::setLastTypeCategory(int value)
{
    writeInt(kTypeCategory, value);
}
