#pragma once

#include "CategoryDto.h"

#include <QAbstractTableModel>
#include <QList>

/// The user's custom categories (stored as folders) with their book counts,
/// in the database's order; one column. Creates, renames and deletes them and
/// files books into them, also by dropping dragged books onto a row.
///
/// Reloads after a change keep the model (no reset) while the rows stay the
/// same categories, so a view keeps its selection and repaints the counts;
/// when categories appeared or vanished the model is reset.
/// Failure: database failures leave the list as the database reloads it.
/// GUI thread only.
class FolderModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role
    {
        IdRole = Qt::UserRole + 1, ///< 257
        TitleRole,                 ///< as stored
        ParentIdRole,
        BookCountRole ///< books not in the trash
    };

    explicit FolderModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    /// Renames the category of the row (Qt::EditRole only). The name is
    /// trimmed; an empty name, an unchanged one or one another category has
    /// is refused and the old name stays.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    Qt::DropActions supportedDropActions() const override;
    /// Files the first dragged book into the category of the row dropped on.
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    /// Row of the category with this id, -1 when absent.
    int rowOfCategory(int categoryId) const;
    /// Index of the category with this id, invalid when absent.
    QModelIndex categoryIndex(int categoryId) const;
    const QList<CategoryDto>& categories() const { return m_categories; }

signals:
    void inserted();
    void added();

public slots:
    /// Creates "New category", or "New category (n)" with the first free n.
    void addNewCategory();
    void selectAll();
    void addToCategory(int bookId, int folderId);
    void removeFromCategory(int bookId, int categoryId);
    void remove(int folderId);
    void updateData();

private:
    bool validRow(const QModelIndex& index) const;

    QList<CategoryDto> m_categories;
};
