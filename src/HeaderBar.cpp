#include "HeaderBar.h"

#include "SearchEdit.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocumentFragment>

namespace {
// The main window's page numbers.
constexpr int kStartPage = 0;
constexpr int kLibraryPage = 1;
constexpr int kReadingPage = 2;
constexpr int kSearchMinWidth = 180;

QPushButton* makeHeaderButton(const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::PointingHandCursor);
    button->setIconSize(QSize(20, 20));
    return button;
}
} // namespace

HeaderBar::HeaderBar(QWidget* parent) : Frame(parent)
{
    setObjectName("header");
    setFixedHeight(60);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 0, 16, 0);
    row->setSpacing(6);

    m_buttonLibrary = makeHeaderButton("buttonLibrary", this);
    m_buttonAddBook = makeHeaderButton("buttonAddBook", this);
    m_buttonAddFolder = makeHeaderButton("buttonAddFolder", this);
    m_buttonContents = makeHeaderButton("buttonContents", this);
    row->addWidget(m_buttonLibrary);
    row->addWidget(m_buttonAddBook);
    row->addWidget(m_buttonAddFolder);
    row->addWidget(m_buttonContents);
    row->addSpacing(12);

    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName("labelBookTitle");
    m_titleLabel->setTextFormat(Qt::PlainText);
    QFont bold = m_titleLabel->font();
    bold.setWeight(75);
    m_titleLabel->setFont(bold);
    m_progressLabel = new QLabel(this);
    m_progressLabel->setObjectName("labelBookProgress");
    row->addWidget(m_titleLabel);
    row->addSpacing(10);
    row->addWidget(m_progressLabel);
    row->addStretch(1);

    m_search = new SearchEdit(this);
    m_search->setObjectName("searchBox");
    m_search->setMaximumWidth(360);
    // The field gives way to the book's title, down to this width.
    m_search->setMinimumWidth(kSearchMinWidth);
    row->addWidget(m_search);
    row->addSpacing(12);

    m_buttonContinue = makeHeaderButton("buttonContinueReading", this);
    m_buttonSettings = makeHeaderButton("buttonSettings", this);
    m_buttonHelp = makeHeaderButton("buttonHelp", this);
    row->addWidget(m_buttonContinue);
    row->addWidget(m_buttonSettings);
    row->addWidget(m_buttonHelp);

    connect(m_buttonLibrary, &QPushButton::clicked, this, &HeaderBar::libraryClicked);
    connect(m_buttonAddBook, &QPushButton::clicked, this, &HeaderBar::addBookClicked);
    connect(m_buttonAddFolder, &QPushButton::clicked, this, &HeaderBar::addFolderClicked);
    connect(m_buttonContents, &QPushButton::clicked, this, &HeaderBar::contentsClicked);
    connect(m_buttonContinue, &QPushButton::clicked, this, &HeaderBar::continueClicked);
    connect(m_buttonSettings, &QPushButton::clicked, this, &HeaderBar::settingsClicked);
    connect(m_buttonHelp, &QPushButton::clicked, this, &HeaderBar::helpClicked);
    connect(m_search, &SearchEdit::search, this, &HeaderBar::searchRequested);
    connect(m_search, &SearchEdit::changed, this, &HeaderBar::searchEdited);
    connect(m_search, &SearchEdit::clean, this, &HeaderBar::searchCleared);
}

void HeaderBar::setPage(int page)
{
    m_page = page;
    m_search->setText(QString());
    const bool start = page == kStartPage;
    const bool reading = page == kReadingPage;
    m_buttonAddBook->setVisible(!reading);
    m_buttonAddFolder->setVisible(!reading);
    m_buttonContents->setVisible(reading);
    m_search->setVisible(!start);
    m_titleLabel->setVisible(reading);
    m_progressLabel->setVisible(reading);
    retranslate();
}

void HeaderBar::retranslate()
{
    m_buttonLibrary->setText(tr("Library"));
    m_buttonAddBook->setText(tr("Add book"));
    m_buttonAddFolder->setText(tr("Add folder"));
    m_buttonContents->setText(tr("Contents"));
    m_buttonSettings->setText(tr("Settings"));
    m_buttonHelp->setText(tr("Help"));
    m_search->setPlaceholderText(m_page == kReadingPage ? tr("Search by text or by page number")
                                                        : tr("Search by title or author"));
    setContinueBook(m_hasContinue, m_continueTitle);
    fit();
}

QString HeaderBar::continueText(const QString& title) const
{
    // The style sheet sets the button's text bold; measure it that way.
    QFont font = m_buttonContinue->font();
    font.setBold(true);
    return QFontMetrics(font).elidedText(title, Qt::ElideRight, 170);
}

void HeaderBar::setContinueBook(bool available, const QString& title)
{
    m_hasContinue = available;
    m_continueTitle = title;
    if (!available) {
        m_buttonContinue->hide();
        return;
    }
    m_buttonContinue->setText(continueText(title));
    m_buttonContinue->setToolTip(tr("Continue reading \"%1\"").arg(title));
    m_buttonContinue->setVisible(m_page == kLibraryPage);
}

void HeaderBar::setBookInfo(const QString& title, const QString& progress)
{
    // The title arrives as rich text; eliding the markup itself could cut a
    // tag in half, so elide the plain text and let the label's font be bold.
    m_rawTitle = QTextDocumentFragment::fromHtml(title).toPlainText();
    // The progress first: the title gets the room the new progress leaves.
    // A wider page number can also push the header past the window, so the
    // buttons may have to give up their text again.
    m_progressLabel->setText(progress);
    fit();
}

QString HeaderBar::searchText() const
{
    return m_search->text();
}

void HeaderBar::setSearchText(const QString& text)
{
    m_search->setText(text);
}

void HeaderBar::fit()
{
    const int width = window()->width();
    // Long translations or a narrow window: the plain buttons give up their
    // text one by one (kept as the tooltip), least used first, before
    // anything in the header is clipped.
    const QList<QPushButton*> buttons{m_buttonHelp,    m_buttonSettings, m_buttonAddFolder,
                                      m_buttonAddBook, m_buttonLibrary,  m_buttonContents};
    for (QPushButton* button : buttons) {
        if (button->text().isEmpty() && !button->toolTip().isEmpty())
            button->setText(button->toolTip());
    }
    for (QPushButton* button : buttons) {
        layout()->invalidate();
        if (layout()->minimumSize().width() <= width)
            break;
        if (button->isHidden())
            continue;
        button->setToolTip(button->text());
        button->setText(QString());
    }
    elideTitle(width);
}

void HeaderBar::elideTitle(int windowWidth)
{
    // At most 40% of the window, and never more than the room the header's
    // other parts leave the label (a clipped title loses its end silently).
    int room = windowWidth * 40 / 100;
    if (isVisible()) {
        // The search field shrinks before the title is cut: count it at its
        // smallest width.
        int others = layout()->sizeHint().width() - m_titleLabel->sizeHint().width();
        if (m_search->isVisible())
            others -= m_search->sizeHint().width() - kSearchMinWidth;
        room = qBound(40, width() - others, room);
    }
    // The read share at the end, " (12%)", stays whole: only the book's
    // title is shortened.
    static const QRegularExpression share(QStringLiteral("^(.*)( \\((?:\\d+%|\\.\\.\\.)\\))$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    const QFontMetrics metrics(m_titleLabel->font());
    QString text;
    const QRegularExpressionMatch match = share.match(m_rawTitle);
    if (match.hasMatch() && metrics.horizontalAdvance(m_rawTitle) > room) {
        const QString suffix = match.captured(2);
        text = metrics.elidedText(match.captured(1), Qt::ElideRight,
                                  qMax(0, room - metrics.horizontalAdvance(suffix))) +
               suffix;
    } else {
        text = metrics.elidedText(m_rawTitle, Qt::ElideMiddle, room);
    }
    if (text != m_titleLabel->text())
        m_titleLabel->setText(text);
}
