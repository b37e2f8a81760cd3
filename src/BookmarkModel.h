#pragma once

#include "BookmarkDto.h"

#include <QAbstractListModel>
#include <QList>
#include <QVector>

class IDocument;

/// The bookmarks of the open book as a three-column list: column 0 "title
/// (progress%)", column 1 the page, column 2 the delete mark (drawn by the
/// table's delegate). Role PositionRole (257) of any column is the bookmark's
/// position.
///
/// Page, progress and chapter title are worked out from the open document
/// each time the list is set, so they follow the current font and layout; the
/// title and progress stored with the bookmark are not shown.
/// GUI thread only (uses the library database connection).
class BookmarkModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles
    {
        PositionRole = Qt::UserRole + 1
    };

    /// One displayed row.
    struct Record
    {
        int id = 0;
        QString title;
        int page = 0;
        int position = 0;
        int progress = 0;
    };

    explicit BookmarkModel(QObject* parent = nullptr);
    ~BookmarkModel() override;

    /// The row for a stored bookmark in `document` (null: no document, all
    /// derived values 0): the position truncated toward zero, its chapter
    /// title, page and progress.
    static Record makeRecord(const BookmarkDto& bookmark, const IDocument* document);

    /// Replaces every row with the records of `bookmarks`, in their order.
    void setBookmarks(const QList<BookmarkDto>& bookmarks, const IDocument* document);
    /// Deletes the bookmark of `row` from the library and, when that worked,
    /// from the list. False (and the row kept) for a bad row or when the
    /// database refused; the reason is in BookProvider::lastError().
    bool removeBookmark(int row);
    /// The record of `row`; a default record for a bad row.
    Record record(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<Record> m_records;
};
