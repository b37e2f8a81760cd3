#pragma once

#include "IDocument.h"

#include <QFrame>
#include <QModelIndex>
#include <QTimer>

class QLabel;
class QPushButton;
class SearchEdit;
class SearchModel;
class SearchTable;
class UserContext;

/// The in-book search panel: runs a search through the open document and
/// lists the results (a page jump first, then paragraphs with the hits in
/// bold); opening one asks to move the book there and to close the panel.
///
/// The search runs in small steps (IDocument::searchStep) from a zero timer,
/// so a long book never freezes the window: results appear as they are found
/// and a note says how far it got. A new query or clearing cancels the search
/// that is running. The panel has a search field of its own for full screen,
/// where the header with the shared field is hidden. GUI thread only.
class SearchView : public QFrame
{
    Q_OBJECT
public:
    /// Time one step may take before the window gets its events again.
    static constexpr int StepBudgetMs = 15;

    explicit SearchView(UserContext* context, QWidget* parent = nullptr);

    SearchModel* model() const { return m_model; }
    bool isSearching() const { return m_timer.isActive(); }
    /// Shows or hides the panel's own search field.
    void setSearchFieldVisible(bool visible);
    /// Stops the running search and forgets the results, leaving the document
    /// alone (it may be gone: another book, the library page).
    void reset();

signals:
    void navigateToPosition(int position);
    void navigateToPage(int page);
    void hideWindow();
    /// The search was cleared.
    void clean();

public slots:
    /// Starts searching the open document for the text given to onSearch().
    void beginSearch();
    /// Hands the text to the user context and searches for it; empty or
    /// white-space text clears the results and the highlighting.
    void onSearch(const QString& text);
    /// Stops searching, empties the list and removes the highlighting.
    void onCleanSearch();
    void onResultsDoubleClick(const QModelIndex& index);
    /// Opens the current result.
    void buttonGoTo();
    void onButtonGoTo();
    void buttonHide();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void searchStep();

private:
    void cancel();
    void updateStatus();
    void retranslate();

    UserContext* m_context = nullptr;
    SearchModel* m_model = nullptr;
    SearchTable* m_table = nullptr;
    SearchEdit* m_edit = nullptr;
    QLabel* m_caption = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_goTo = nullptr;
    QPushButton* m_cancel = nullptr;

    QTimer m_timer;
    QString m_text;
    IDocument* m_document = nullptr; ///< the document being searched
    int m_bookId = 0;
    qint64 m_state = 0;
    bool m_searched = false; ///< a search ran (or runs) for m_text
};
