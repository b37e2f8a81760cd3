#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>

namespace epub {

/// Turns the XHTML of one content document into the HTML of one chapter for
/// the rich-text engine, and book style sheets into what the reader may use.
///
/// The chapter keeps the body's markup as written, with these changes:
/// - head, scripts, styles, comments and the XML prolog are dropped (linked
///   and embedded style sheets are collected instead);
/// - image sources become archive paths ("OEBPS/images/a.png"), the keys of
///   the book's image map; an SVG wrapper around an image becomes that image;
///   width and height attributes of images are dropped, so every image is
///   shown at the size the document decides;
/// - every id (and every "name" of an anchor) gets the chapter's prefix, so
///   ids stay unique across the joined book; links inside the book point to
///   those anchors ("#prefix" + id, or a chapter's own anchor); links that
///   lead nowhere in the book lose their target;
/// - self-closed elements that are not empty in HTML ("<a id='x'/>") are
///   closed explicitly; stray "<" in text is escaped.
/// Text is never changed, so the characters of the chapter are the
/// document's own. Entities are left to the rich-text engine, which knows
/// the HTML ones and never expands declared entities.
///
/// Stateless, any thread.
class XhtmlRewriter
{
public:
    struct Chapter
    {
        QString html;             ///< the body's content, rewritten
        QStringList styleSheets;  ///< archive paths of linked style sheets, in order
        QStringList inlineStyles; ///< text of embedded style sheets (unfiltered)
        QStringList images;       ///< archive paths of the images shown, in order
        QString bodyClass;        ///< the body's "class"
        QString bodyStyle;        ///< the body's "style", filtered
        /// What style selectors can name in the chapter: ".name" for every
        /// class and "#name" for every id (prefixed) its elements carry, in
        /// lower case.
        QSet<QString> selectorNames;
    };
    /// Maps the archive path and fragment of a link to an anchor name of the
    /// joined book; empty when the target is not in the book.
    using LinkTarget = std::function<QString(const QString& path, const QString& fragment)>;

    /// Rewrites the document `text` found at archive path `path`; ids get
    /// `prefix`.
    static Chapter rewrite(const QString& text, const QString& path, const QString& prefix,
                           const LinkTarget& linkTarget);

    /// A book style sheet without what the reading profile decides (colours,
    /// backgrounds, font families, absolute font sizes, line heights; the
    /// margins and padding of the body) and without what the engine cannot
    /// use: @font-face, @import and other at-rules, media queries other than
    /// plain "all" or "screen" (whose rules are kept), selectors with
    /// pseudo-classes or pseudo-elements.
    ///
    /// The joined book has one body, so rules for "body" (and "html") are
    /// given to the element every chapter is wrapped in: the class
    /// `chapterClass` when `scope` is empty (a style sheet shared by the
    /// chapters that link it); with a `scope` class (a chapter's embedded
    /// style sheet), "body" becomes that class and every other selector is
    /// limited to elements inside it, so one chapter's styles never reach
    /// another.
    ///
    /// With `selectorNames` (the union of the chapters' Chapter::selectorNames
    /// and the classes and ids the wrapping elements carry), a selector that
    /// needs a class or id no element carries matches nothing and is left
    /// out: every document that lays a part of the book out parses the
    /// sheet and tries its rules on every element.
    static QString filterCss(const QString& css, const QString& scope = QString(),
                             const QSet<QString>* selectorNames = nullptr);
    /// The class of the element every chapter is wrapped in.
    static const char* const chapterClass;
    /// One "style" attribute's declarations, filtered the same way (`body`:
    /// those of the body).
    static QString filterDeclarations(const QString& declarations, bool body = false);
    /// An attribute value with the XML character references and the five
    /// predefined entities decoded.
    static QString decodeAttribute(const QString& value);
};

} // namespace epub
