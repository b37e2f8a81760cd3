#pragma once

#include <QFrame>

class BookModel;
class QLabel;
class QLineEdit;
class QTextEdit;

/// The page that edits a book's title, author and description, slid in by
/// the main window over the library. save() writes them to the library and
/// refreshes the book's row; cancel() leaves without saving. Either way the
/// page asks to be closed through onHideWindow().
class BookEditPropertiesView : public QFrame
{
    Q_OBJECT
public:
    explicit BookEditPropertiesView(BookModel* books, QWidget* parent = nullptr);

    /// Fills the page with the book's current values; false when the book
    /// is not in the library (the page then saves nothing).
    bool loadBook(int bookId);
    int bookId() const { return m_bookId; }

signals:
    void updated(int bookId);
    /// Asks the main window to close the page.
    void onHideWindow(QWidget* widget);

public slots:
    void save();
    void cancel();
    void onTitleEdited(const QString& text);
    void onAuthorEdited(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    BookModel* m_books;
    int m_bookId = -1;
    QString m_title;
    QString m_author;
    QLabel* m_caption = nullptr;
    QLineEdit* m_editTitle = nullptr;
    QLineEdit* m_editAuthor = nullptr;
    QTextEdit* m_editDescription = nullptr;
};
