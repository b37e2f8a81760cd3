#pragma once

#include "mobi/MobiContent.h"
#include "mobi/MobiIndex.h"

namespace mobi {

/// The layout of a KF8 book's text: the FDST record cuts the text into flows
/// (flow 0 is the markup, the others are style sheets and SVG), and the
/// skeleton and fragment indexes rebuild the book's files from flow 0: each
/// skeleton is the frame of one file, and its fragments are inserted into it
/// at the positions the fragment index names.
///
/// Offsets and lengths from the indexes are clamped to the text; a fragment
/// whose insert position falls inside a tag is moved behind that tag.
/// Threads: stateless; any thread.
class Kf8Layout
{
public:
    /// The flows of `text` as (start, end) byte ranges from the FDST record;
    /// one flow holding the whole text when the record is missing or damaged.
    static QList<QPair<qint64, qint64>> flows(const QByteArray& text, const QByteArray& fdst);
    /// Rebuilds the files of `markup` (flow 0) into `content.parts` and fills
    /// `content.fragmentStarts`. Without skeletons the whole flow is one part.
    /// With `startOnly`, `markup` is the start of flow 0: assembly stops at
    /// the first file not complete in it (and without skeletons nothing is
    /// assembled).
    static void assemble(const QByteArray& markup, const QList<MobiIndex::Entry>& skeletons,
                         const QList<MobiIndex::Entry>& fragments, MobiContent& content,
                         bool startOnly = false);
};

} // namespace mobi
