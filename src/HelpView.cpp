#include "HelpView.h"

#include "Application.h"
#include "CrashInstaller.h"
#include "Paths.h"
#include "ShortcutTable.h"
#include "Translations.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString row(const QStringList& cells, const QStringList& classes = {})
{
    QString html = QStringLiteral("<tr>");
    for (int i = 0; i < cells.size(); ++i) {
        const QString cls = classes.value(i);
        html += cls.isEmpty() ? QStringLiteral("<td>") : QStringLiteral("<td class=\"%1\">").arg(cls);
        html += cells.at(i) + QStringLiteral("</td>");
    }
    return html + QStringLiteral("</tr>");
}

QString pathLink(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    return QStringLiteral("<a href=\"%1\">%2</a>")
        .arg(escaped(QUrl::fromLocalFile(QDir::fromNativeSeparators(path)).toString(QUrl::FullyEncoded)),
             escaped(native));
}

QString formatsTable()
{
    const QString flowing = HelpView::tr("Laid out in pages in the fonts and colors of the reading profile, "
                                         "in one or two columns.");
    const QString pages = HelpView::tr("Shown as page pictures with zoom, one or two pages at a time. A "
                                       "protected PDF asks for its password.");
    const QList<QPair<QString, QString>> flowingFormats{
        {QStringLiteral("EPUB"), QStringLiteral(".epub")},
        {HelpView::tr("Mobipocket, PalmDOC"), QStringLiteral(".mobi, .prc, .azw3")},
        {QStringLiteral("FictionBook 2"), QStringLiteral(".fb2")}};
    const QList<QPair<QString, QString>> pageFormats{
        {QStringLiteral("PDF"), QStringLiteral(".pdf")},
        {QStringLiteral("DjVu"), QStringLiteral(".djvu")},
        {HelpView::tr("Comic archives"), QStringLiteral(".cbz, .cbr")}};
    QString html = QStringLiteral("<table cellspacing=\"0\">");
    for (const auto& group : {qMakePair(flowingFormats, flowing), qMakePair(pageFormats, pages)}) {
        for (int i = 0; i < group.first.size(); ++i) {
            html += QStringLiteral("<tr><td class=\"input\">%1</td><td class=\"muted\">%2</td>")
                        .arg(escaped(group.first.at(i).first), group.first.at(i).second);
            if (i == 0)
                html += QStringLiteral("<td rowspan=\"%1\">%2</td>")
                            .arg(group.first.size())
                            .arg(escaped(group.second));
            html += QStringLiteral("</tr>");
        }
    }
    return html + QStringLiteral("</table>");
}

QString shortcutTables()
{
    // One table for every scope, so the columns line up from one to the next.
    QString html = QStringLiteral("<table cellspacing=\"0\">");
    for (auto scope : {ShortcutTable::MainWindow, ShortcutTable::TextViewer, ShortcutTable::PageViewer,
                       ShortcutTable::OverlayPage}) {
        html += QStringLiteral("<tr><td colspan=\"2\" class=\"scope\">%1</td></tr>")
                    .arg(escaped(ShortcutTable::scopeTitle(scope)));
        for (const ShortcutTable::Entry& entry : ShortcutTable::entries(scope))
            html += row(
                {escaped(ShortcutTable::inputText(entry)), escaped(ShortcutTable::actionText(entry.action))},
                {"input"});
    }
    return html + QStringLiteral("</table>");
}

QString filesTable()
{
    QString translations = Translations::searchFolders().value(0);
    for (const QString& folder : Translations::searchFolders()) {
        if (QFileInfo(folder).isDir()) {
            translations = folder;
            break;
        }
    }
    const QString importFolder =
        Application::settings()->value("library_folder", Paths::importFolder()).toString();
    const QList<QPair<QString, QString>> files{
        {HelpView::tr("Library database"), Paths::databaseFolder() + "/ebooklib.sqlite3"},
        {HelpView::tr("Covers and unpacked books"), Paths::bookCacheRoot()},
        {HelpView::tr("Log files, one per day"), Paths::logFolder()},
        {HelpView::tr("Crash reports"), CrashInstaller::crashFolder()},
        {HelpView::tr("Settings"), Paths::settingsFile()},
        {HelpView::tr("Imported books"), importFolder},
        {HelpView::tr("Translations"), translations},
    };
    QString html = QStringLiteral("<table cellspacing=\"0\">");
    for (const auto& file : files)
        html += row({escaped(file.first), pathLink(file.second)}, {"input"});
    return html + QStringLiteral("</table>");
}
} // namespace

HelpView::HelpView(QWidget* parent) : SidePage(parent)
{
    setObjectName("helpView");
    setMinimumWidth(560);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto* header = new QFrame(this);
    header->setObjectName("helpHeader");
    auto* top = new QHBoxLayout(header);
    top->setContentsMargins(24, 20, 24, 12);
    top->setSpacing(10);
    m_back = new QPushButton(header);
    m_back->setObjectName("buttonNavigateBack");
    m_back->setFixedSize(28, 28);
    m_back->setCursor(Qt::PointingHandCursor);
    m_title = new QLabel(header);
    m_title->setObjectName("helpLabel");
    m_close = new QPushButton(header);
    m_close->setObjectName("buttonCloseHelp");
    m_close->setFixedSize(28, 28);
    m_close->setCursor(Qt::PointingHandCursor);
    top->addWidget(m_back);
    top->addWidget(m_title, 1);
    top->addWidget(m_close);
    outer->addWidget(header);

    m_browser = new QTextBrowser(this);
    m_browser->setObjectName("helpBrowser");
    m_browser->setFrameShape(QFrame::NoFrame);
    m_browser->setOpenLinks(false);
    m_browser->document()->setDocumentMargin(28);
    outer->addWidget(m_browser, 1);

    connect(m_back, &QPushButton::clicked, this, &HelpView::cancel);
    connect(m_close, &QPushButton::clicked, this, &HelpView::cancel);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpView::onAnchorClicked);
    // Arrows and Page Down scroll the help as soon as it slides in.
    setFocusProxy(m_browser);
    retranslate();
}

QString HelpView::html()
{
    QFile file(QStringLiteral(":/help/help.html"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString page = QString::fromUtf8(file.readAll());
    const QList<QPair<const char*, QString>> texts{
        {"title", tr("Lanternleaf Help")},
        {"version", tr("Version %1").arg(QStringLiteral(LANTERNLEAF_VERSION))},
        {"about", tr("Lanternleaf is a reader for your own library of e-books. It opens every book where "
                     "you stopped reading, keeps your bookmarks, and lets you read in the fonts and colors "
                     "you choose.")},
        {"library",
         tr("Add books with “Add book” or “Add folder”, by dropping files on the window, or by opening "
            "a book file with Lanternleaf. The books stay where they are on your disk; the library only "
            "remembers them. A book you delete goes to the trash, and emptying the trash removes it from "
            "the library, never from the disk.")},
        {"formatsTitle", tr("Formats")},
        {"readingTitle", tr("Reading")},
        {"reading", tr("Double-click a book on the shelf or in the table to read it; it opens at the place "
                       "where you left it. “Continue reading” in the header goes back to the last book.")},
        {"toolbar", tr("The toolbar beside the page adds bookmarks, shows the contents, changes the font "
                       "size, switches between one and two columns and between the Day, Night and Sepia "
                       "reading profiles, searches the book and switches to full screen. Type a page number "
                       "into the search field to go to that page.")},
        {"settings", tr("“Settings” changes the fonts, sizes and colors of each reading profile, the "
                        "page-turn fade, the language and the library folder. Nothing changes until you "
                        "press “SAVE SETTINGS”; the open book then shows the same place in its new look.")},
        {"shortcutsTitle", tr("Keyboard and mouse")},
        {"filesTitle", tr("Where your files are")},
        {"filesIntro", tr("Click a path to show it in the file manager.")},
    };
    for (const auto& text : texts)
        page.replace(QStringLiteral("{{%1}}").arg(QLatin1String(text.first)), escaped(text.second));
    page.replace(QStringLiteral("{{formats}}"), formatsTable());
    page.replace(QStringLiteral("{{shortcuts}}"), shortcutTables());
    page.replace(QStringLiteral("{{files}}"), filesTable());
    return page;
}

void HelpView::cancel()
{
    emit onHideWindow();
}

void HelpView::retranslate()
{
    m_title->setText(tr("Help"));
    m_back->setToolTip(tr("Back"));
    m_close->setToolTip(tr("Close"));
    m_browser->setHtml(html());
}

void HelpView::onAnchorClicked(const QUrl& url)
{
    if (url.isLocalFile())
        Application::showInExplorer(QDir::toNativeSeparators(url.toLocalFile()));
}

void HelpView::showEvent(QShowEvent* event)
{
    // The paths may have changed since the page was built (library folder).
    m_browser->setHtml(html());
    SidePage::showEvent(event);
}

void HelpView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SidePage::changeEvent(event);
}
