#pragma once

#include "IDocument.h"

#include <QAbstractListModel>
#include <QList>

/// The results of an in-book search, one row each, one column, in the order
/// the document found them (a page jump first). The display role is the
/// caption ("Chapter, Page 3" or "Page 3"); the roles below give the rest.
/// Results can arrive in batches while a search runs (appendResults).
/// GUI thread only.
class SearchModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles
    {
        PositionRole = Qt::UserRole + 1,
        CaptionRole = Qt::UserRole + 2,
        /// Rich text: the paragraph, escaped, hits in <b>…</b>.
        TextRole = Qt::UserRole + 3,
        PageRole = Qt::UserRole + 4,
        PageJumpRole = Qt::UserRole + 5
    };

    explicit SearchModel(QObject* parent = nullptr);

    /// Replaces every row.
    void setResults(const QList<SearchResult>& results);
    /// Adds rows at the end.
    void appendResults(const QList<SearchResult>& results);
    void clear() { setResults({}); }
    const QList<SearchResult>& results() const { return m_results; }

    static QString caption(const SearchResult& result);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<SearchResult> m_results;
};
