#pragma once

#include <QString>
#include <QStringList>

class TextDocument;

/// The book format registry: the integer code the library database stores for
/// every book, its name (also the file suffix and the label shown), and the
/// choice of viewer and document class. Pure functions, safe on any thread.
namespace BookFormat {

/// Format codes as stored in the database. There is no code 8.
enum Code : int
{
    Epub = 0,
    Mobi = 1,
    Fb2 = 2,
    Pdf = 3,
    Djvu = 4,
    Prc = 5,
    Cbz = 6,
    Cbr = 7,
    Unknown = 9,
};

/// The kind of viewer that shows a format.
enum class Viewer
{
    None,
    Text,
    Pdf,
    Image
};

/// The code whose name equals `suffix` without regard to case (lowest code
/// first), or the code an alias suffix is read as ("azw3": Mobi); Unknown (9)
/// when none does. `suffix` is the part after the last dot.
int formatFromSuffix(const QString& suffix);
/// Shorthand: the code of a file path's suffix.
int formatFromPath(const QString& path);
/// The lower-case name of `code`, "unknown" when the code is not registered.
QString formatName(int code);
/// The registered codes in ascending order (0 to 7).
QList<int> codes();
/// Suffixes accepted when files are offered to the program, in this order:
/// "epub", "mobi", "prc", "fb2", "cbr", "cbz", "pdf", "djvu".
QStringList acceptedSuffixes();
/// Suffixes read by a registered format without a code of their own:
/// "azw3" (a Kindle KF8 book, stored with the code of MOBI).
QStringList aliasSuffixes();
/// Whether `suffix` (any case) is among acceptedSuffixes() or aliasSuffixes().
bool isAccepted(const QString& suffix);
/// Viewer for a code: Text for 0, 1, 2, 5; Pdf (the viewer of rendered
/// pages) for 3 and 4; Image for 6, 7; None for anything else.
Viewer viewerFor(int code);

} // namespace BookFormat

/// A new, parentless, not yet loaded text document for the book at `path`,
/// chosen by the path's suffix without regard to case: ".fb2" gives an
/// fb2::FbDocument; ".mobi", ".prc" and ".azw3" a mobi::MobiDocument; ".epub"
/// its format's document once that back-end exists; any other suffix a plain
/// empty TextDocument (page count 0). Never null; the caller owns the result and calls load().
/// GUI thread (QTextDocument needs the GUI application's fonts).
TextDocument* createTextDocument(const QString& path);
