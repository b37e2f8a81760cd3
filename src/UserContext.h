#pragma once

#include "BookDto.h"

#include <QObject>
#include <QString>

class IDocument;

/// The state of the current reading, shared by the main window, the library
/// page and the book viewer: the open book and its document, the in-book
/// search text and the library categories last chosen. Writes the reading
/// position back to the library and turns the reader's toolbar requests
/// (profile, font size, columns) into settings changes.
///
/// Owned by Application; the document is not owned (the viewer that made it
/// clears it before deleting it). GUI thread only.
class UserContext : public QObject
{
    Q_OBJECT
public:
    /// Text font sizes reachable with increaseFont()/decreaseFont(), in points.
    static constexpr int MinFontSize = 8;
    static constexpr int MaxFontSize = 72;

    UserContext() = default;

    QString searchText() const { return m_searchText; }
    /// Stores the text and emits searhingTextChanged().
    void setSearchText(const QString& text);

    IDocument* document() const { return m_document; }
    void setDocument(IDocument* document) { m_document = document; }
    BookDto book() const { return m_book; }
    void setBook(const BookDto& book) { m_book = book; }

    /// Moves the document to the position stored in the book record.
    void restorePosition();
    /// Builds the title and progress texts and emits bookInfoChanged().
    void updateBookInfo();

    /// Library categories last selected, kept in the settings file.
    int lastGeneralCategory() const;
    void setLastGeneralCategory(int value);
    /// -1 for none.
    int lastCustomCategory() const;
    void setLastCustomCategory(int value);
    /// 0 or 1; a stored value above 1 reads as 0.
    int lastTypeCategory() const;
    void setLastTypeCategory(int value);

    /// The texts updateBookInfo() emits for these values; exposed for the
    /// header, which shows the same pair.
    static QString titleText(const QString& bookTitle, int page, int pageCount, double progress);
    /// Estimated numbers (`exact` false) are marked with "~".
    static QString progressText(int page, int pageCount, int columnCount, bool exact = true);

public slots:
    void navigateToPosition(int newPosition);
    void navigateToPage(int newPage);
    void clearSearch();
    /// Adds a bookmark at the current place and tells the user how it went.
    void addBookmark();
    /// Day -> Night -> Sepia -> Day.
    void nextProfile();
    /// One column <-> two columns; the document re-lays out at once.
    void switchColumnCount();
    /// One point larger or smaller, within MinFontSize..MaxFontSize.
    void increaseFont();
    void decreaseFont();
    /// Writes the document's position and rounded progress into the book's
    /// row. Nothing without a loaded document; failures are logged.
    void savePosition();

signals:
    void searhingTextChanged(const QString& text);
    void bookInfoChanged(const QString& title, const QString& progress);

private:
    void changeFontSize(int delta);

    QString m_searchText;
    IDocument* m_document = nullptr;
    BookDto m_book;
};
