#pragma once

#include <QtGlobal>

/// Bounds shared by every parser that reads a book, an archive or an image.
///
/// Books come from anywhere, so every size, count and depth a file claims is
/// checked against these before anything is allocated or written. Each value
/// is far above anything a real book needs (the largest real EPUBs and comics
/// are a few hundred MB; the largest scans a few thousand pixels on a side), so
/// a file that crosses one is damaged or hostile and is refused, with a log
/// line, rather than filling memory or the disk.
namespace Limits {

/// Uncompressed size of one archive entry (zip, RAR) read into memory or
/// written to disk. A comic page or an EPUB chapter is a few MB at most.
constexpr qint64 maxEntrySize = 1024LL * 1024 * 1024;
/// Sum of the uncompressed sizes of all entries of one archive that are
/// unpacked. The largest real comic archives are around 1 GB.
constexpr qint64 maxArchiveSize = 4LL * 1024 * 1024 * 1024;
/// Entries listed in one archive. Real EPUBs hold up to a few thousand files,
/// comics a few hundred pages.
constexpr int maxArchiveEntries = 100000;
/// Compression ratio (uncompressed / compressed) above which an entry is
/// taken for a bomb. Text deflates about 3:1, a blank page image perhaps
/// 100:1; a bomb is 1000:1 and more. Only checked for large entries, where a
/// high ratio costs real memory: small files of repeated bytes are harmless.
constexpr qint64 maxCompressionRatio = 1000;
/// Entries below this uncompressed size are exempt from the ratio check.
constexpr qint64 ratioCheckFrom = 16LL * 1024 * 1024;

/// Dictionary (unpack window) of a RAR entry. The UnRAR library allocates a
/// window of the size the entry's header names before it unpacks anything,
/// so a few bytes of header could make it take gigabytes. Archivers use 4 MB
/// (RAR 4) or 32 MB (RAR 5) unless told otherwise, and a window larger than
/// the largest entry accepted (maxEntrySize) is never needed.
constexpr qint64 maxRarDictionary = maxEntrySize;

/// The description ("container.json") of a library export archive, read
/// into memory whole. A book with a few bookmarks takes under 1 KB, so this
/// holds well over 100,000 books.
constexpr qint64 maxContainerSize = 128LL * 1024 * 1024;
/// Entries listed in one library export archive: two per book (its file and
/// cover) and the description. Real personal libraries reach tens of
/// thousands of books, far below this. Each book file inside is itself a
/// whole book, bounded by maxArchiveSize; its cover by maxEntrySize.
constexpr int maxLibraryArchiveEntries = 2000000;

/// Width or height of an image decoded from a book or an archive (also the
/// largest page a PDF or DjVu page may be rendered to). A 600 dpi scan of an
/// A3 page is about 7000 × 10000 pixels.
constexpr int maxImageSide = 20000;
/// Pixels of one decoded image: 20000 × 20000 would be 1.6 GB of 32-bit
/// pixels; 200 megapixels (800 MB) is still ten times a large scan.
constexpr qint64 maxImagePixels = 200LL * 1000 * 1000;

/// An XML book file (FB2) or an XML part of a book (OPF, NCX, XHTML) read
/// into memory. The largest real FB2 books with images are about 100 MB.
constexpr qint64 maxXmlFileSize = 512LL * 1024 * 1024;
/// Nesting of XML elements. The deepest real books nest sections about ten
/// levels; the recursive conversions would exhaust the stack far deeper.
constexpr int maxXmlDepth = 256;
/// Nesting of table-of-contents entries shown as a tree (FB2 sections, EPUB
/// navigation, PDF outlines). Real books nest a few levels; entries deeper
/// than this are shown at this level, so a hostile outline cannot exhaust the
/// stack of the recursive tree building.
constexpr int maxTocDepth = 64;

/// Length of the text of one book after decompression (MOBI, PalmDOC): the
/// longest real books are around 20 million characters.
constexpr qint64 maxBookTextSize = 256LL * 1024 * 1024;
/// Decompressed size of one text record of a MOBI or PalmDOC book. Real
/// records hold 4096 bytes (the header field allows at most 65535); a
/// dictionary that expands into itself (HUFF/CDIC) would otherwise grow
/// without end.
constexpr int maxTextRecordSize = 1024 * 1024;
/// Pages of one page book (PDF, DjVu, comic). Real books stay below 10,000.
constexpr int maxPageCount = 100000;
/// Nesting of a PDF outline (table of contents). Real books nest a few
/// levels; the tree is walked recursively, so a damaged one must end.
constexpr int maxOutlineDepth = 64;
/// Items of one PDF outline. Large manuals have a few thousand.
constexpr int maxOutlineItems = 100000;

} // namespace Limits
