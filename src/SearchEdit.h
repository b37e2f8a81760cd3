#pragma once

#include <QFrame>

class QLineEdit;
class QPushButton;
class QStackedLayout;

/// The search field: a line edit ("editSearch") and, in the same place, a
/// search button ("buttonSearch") while it is empty and a clear button
/// ("buttonClearSearch") while it holds text, inside a rounded frame ("box").
/// Enter or the search button asks for a search with the text trimmed; the
/// clear button empties the field and reports it. GUI thread only.
class SearchEdit : public QFrame
{
    Q_OBJECT
public:
    explicit SearchEdit(QWidget* parent = nullptr);

    QString text() const;
    /// Sets the text without counting as the user's edit (no changed()).
    void setText(const QString& text);
    void setPlaceholderText(const QString& text);
    QLineEdit* lineEdit() const { return m_edit; }

signals:
    /// Enter or the search button: the text without surrounding white space.
    void search(const QString& text);
    /// Every edit the user makes (typing, cutting, pasting); programmatic
    /// changes through setText() are not reported.
    void changed(const QString& text);
    /// The clear button emptied the field.
    void clean();

protected:
    void changeEvent(QEvent* event) override;

private slots:
    void riseSearch();
    void textChanged(const QString& text);

private:
    void retranslate();

    QLineEdit* m_edit = nullptr;
    QPushButton* m_searchButton = nullptr;
    QPushButton* m_clearButton = nullptr;
    QStackedLayout* m_buttons = nullptr;
};
