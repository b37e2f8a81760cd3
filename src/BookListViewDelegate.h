#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

class CoverLoader;

/// Paints one book of the shelf: its cover (or the default cover with the
/// title on it), the title and author beneath, the favourite star and the
/// trash mark. Covers are decoded off the GUI thread by the delegate's
/// CoverLoader (a placeholder card stands in meanwhile; the view repaints on
/// coverReady) and kept in QPixmapCache under keys beginning
/// "book_list_view_". The marks are the images of the properties below; the
/// "High" ones are used under the mouse, the "Select" ones on a selected item.
class BookListViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT
    Q_PROPERTY(QPixmap rateRated MEMBER m_rateRated)
    Q_PROPERTY(QPixmap rateRatedHigh MEMBER m_rateRatedHigh)
    Q_PROPERTY(QPixmap rateUnrated MEMBER m_rateUnrated)
    Q_PROPERTY(QPixmap rateUnratedHigh MEMBER m_rateUnratedHigh)
    Q_PROPERTY(QPixmap rateUnratedSelect MEMBER m_rateUnratedSelect)
    Q_PROPERTY(QPixmap rateUnratedSelectHigh MEMBER m_rateUnratedSelectHigh)
    Q_PROPERTY(QPixmap trash MEMBER m_trash)
    Q_PROPERTY(QPixmap trashHigh MEMBER m_trashHigh)
    Q_PROPERTY(QPixmap trashSelect MEMBER m_trashSelect)
    Q_PROPERTY(QPixmap trashSelectHigh MEMBER m_trashSelectHigh)
public:
    static constexpr int ItemWidth = 129;
    static constexpr int ItemHeight = 192;
    static constexpr const char* DefaultCover = ":/style/images/library/cover.png";

    explicit BookListViewDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    /// The area the cover may take inside an item.
    static QRect coverArea(const QRect& item);
    /// The favourite star's and the trash mark's click areas inside an item.
    static QRect starRect(const QRect& item);
    static QRect trashRect(const QRect& item);
    /// The cover of a book scaled into size, from the cache when it is
    /// there, else decoded at once (for a single cover outside the shelf);
    /// the default cover with the title when the book has none.
    static QPixmap coverPixmap(const QString& coverPath, const QString& title, const QSize& size);
    CoverLoader* loader() const { return m_loader; }

private:
    CoverLoader* m_loader;
    QPixmap m_rateRated, m_rateRatedHigh, m_rateUnrated, m_rateUnratedHigh, m_rateUnratedSelect,
        m_rateUnratedSelectHigh, m_trash, m_trashHigh, m_trashSelect, m_trashSelectHigh;
};
