#pragma once

// A book made of HTML chapters, handed to the text engine the way a format
// back-end hands its text over (tests of the engine and its painter).

#include "BookResources.h"
#include "BookText.h"
#include "TextDocument.h"

#include <QFont>
#include <QStringList>

#include <memory>

inline QString paragraph(int chapter, int i)
{
    return QStringLiteral("Paragraph %1.%2 tells of the road, the river and the long evening light "
                          "that fell across the fields while the travellers walked on.")
        .arg(chapter)
        .arg(i);
}

/// A chapter: a heading with an anchor and `paragraphs` paragraphs; one
/// paragraph long enough to run over several pages when `longParagraph`.
inline QString chapter(int number, int paragraphs, bool longParagraph = false)
{
    QString html = QStringLiteral("<h2 id=\"c%1\">Chapter %1</h2>").arg(number);
    for (int i = 0; i < paragraphs; ++i) {
        html += QStringLiteral("<p>%1</p>").arg(paragraph(number, i));
        if (longParagraph && i == 2) {
            html += QStringLiteral("<p>Long%1 ").arg(number);
            for (int w = 0; w < 900; ++w)
                html += QStringLiteral("word%1 ").arg(w);
            html += QStringLiteral("end of the long one.</p>");
        }
    }
    return html;
}

/// A TextDocument filled the way a format back-end fills it: chapters as
/// chunks of HTML, joined in the book's text by a page break.
class HtmlDocument : public TextDocument
{
public:
    explicit HtmlDocument(const QStringList& chapters, const QString& path = QString(),
                          const QString& head = QString())
    {
        setDefaultFont(QFont(QStringLiteral("DejaVu Serif"), 12));
        BookText text;
        text.prefix = head.isEmpty() ? QStringLiteral("<html><body>")
                                     : QStringLiteral("<html><head>%1</head><body>").arg(head);
        text.suffix = QStringLiteral("</body></html>");
        text.separator = QStringLiteral("<p style=\"page-break-after:always\"></p>");
        text.chunks = chapters;
        m_text = text;
        m_path = path;
        rebuild();
    }
    void rebuild() override { setText(m_text, std::make_shared<BookResources>(nullptr), m_path); }

private:
    BookText m_text;
    QString m_path;
};

