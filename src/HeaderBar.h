#pragma once

#include "Frame.h"

#include <QString>

class QLabel;
class QPushButton;
class SearchEdit;

/// The main window's header ("header"): the page buttons, the shared search
/// field, the open book's title and progress, "Continue reading", settings and
/// help. It shows what belongs to the current page and reports the user's
/// clicks; what they do is the main window's business. A double click on the
/// header itself is reported by Frame::mouseDoubleClick (maximise).
/// GUI thread only.
class HeaderBar : public Frame
{
    Q_OBJECT
public:
    explicit HeaderBar(QWidget* parent = nullptr);

    /// Shows the parts of the page (start 0, library 1, reading 2, as the main
    /// window's page stack), empties the search field and sets the texts.
    void setPage(int page);
    int page() const { return m_page; }

    /// The book "Continue reading" opens, shown on the library page; without
    /// one the button is hidden.
    void setContinueBook(bool available, const QString& title = QString());
    /// Title (rich text; shown as plain text, elided) and progress texts of the
    /// open book.
    void setBookInfo(const QString& title, const QString& progress);

    QString searchText() const;
    /// Sets the field without counting as the user's edit.
    void setSearchText(const QString& text);

    /// Fits the header into its window's width: long texts give way before
    /// anything is clipped. Called on every resize of the window.
    void fit();
    /// Sets every text again (language change, page change).
    void retranslate();

signals:
    void libraryClicked();
    void addBookClicked();
    void addFolderClicked();
    void contentsClicked();
    void continueClicked();
    void settingsClicked();
    void helpClicked();
    /// Enter in the search field (the text trimmed).
    void searchRequested(const QString& text);
    /// The search field's clear button.
    void searchCleared();
    /// Every edit the user makes in the search field (not the ones of setPage()
    /// or setSearchText()).
    void searchEdited(const QString& text);

private:
    QString continueText(const QString& title) const;
    void elideTitle(int windowWidth);

    QPushButton* m_buttonLibrary = nullptr;
    QPushButton* m_buttonAddBook = nullptr;
    QPushButton* m_buttonAddFolder = nullptr;
    QPushButton* m_buttonContents = nullptr;
    QPushButton* m_buttonContinue = nullptr;
    QPushButton* m_buttonSettings = nullptr;
    QPushButton* m_buttonHelp = nullptr;
    SearchEdit* m_search = nullptr;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_progressLabel = nullptr;

    int m_page = 0;
    QString m_rawTitle;
    QString m_continueTitle;
    bool m_hasContinue = false;
};
