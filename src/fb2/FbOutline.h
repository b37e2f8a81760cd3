#pragma once

#include <QString>
#include <QVector>

namespace fb2 {

/// Where the top-level sections of an FB2 text lie, found by one quick pass
/// over its characters that builds nothing, so that the sections can be
/// parsed side by side and the rest (description, body headings, binaries)
/// as a small skeleton.
///
/// The pass knows start and end tags (quoted attribute values included),
/// comments, CDATA sections and processing instructions. Anything else it
/// gives up on (ok false) and the caller parses the whole text in one piece:
/// a document type declaration, an unclosed construct, unbalanced tags,
/// nesting deeper than `maxDepth`. It does not check well-formedness: the
/// parses of the pieces do.
///
/// A value type; any thread.
struct FbOutline
{
    struct Range
    {
        int begin = 0; ///< the '<' of the section's start tag
        int end = 0;   ///< just after the '>' of its end tag
    };

    bool ok = false;
    /// The top-level sections of every body, in reading order.
    QVector<Range> sections;
    /// With `stopAfter`: where the scan stopped, just after the last section
    /// (inside its body, in the root).
    int end = 0;

    /// With `stopAfter` >= 0 the scan stops after the top-level section that
    /// brings the sections' length to `stopAfter` characters: `text` may be
    /// the start of a book (ok is false when it ends before).
    static FbOutline scan(const QString& text, int maxDepth, int stopAfter = -1);

    /// The text with every section replaced by an empty "<section/>".
    QString skeleton(const QString& text) const;
};

} // namespace fb2
