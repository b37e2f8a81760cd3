#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QPair>
#include <QSize>
#include <QString>
#include <QStringList>

/// Comic archives for tests: page images of a known colour and size, written
/// into a CBZ through QuaZip or into a CBR by the rar tool.
namespace ComicFixtures {

/// An entry: its name in the archive and its bytes.
using Entry = QPair<QString, QByteArray>;

/// A page image of one colour, encoded by the suffix of `name` (jpg, png,
/// bmp, webp; a GIF is always 1x1).
QByteArray page(const QString& name, const QColor& color, const QSize& size = QSize(60, 80));
/// The colour that page `index` of pages() is filled with.
QColor colourOf(int index);
/// Entries named after `names`, page i filled with colourOf(i).
QList<Entry> pages(const QStringList& names, const QSize& size = QSize(60, 80));
/// A BMP header that claims `size` pixels without holding them.
QByteArray claimingBmp(const QSize& size);

bool writeCbz(const QString& path, const QList<Entry>& entries, const QStringList& folders = {});
/// The rar tool's path, empty when it is not installed.
QString rarTool();
/// Writes the entries (below a scratch folder) and archives them with the rar
/// tool and `options` (e.g. "-s" for solid, "-pSECRET", "-hpSECRET").
bool writeCbr(const QString& path, const QList<Entry>& entries, const QStringList& options = {});

} // namespace ComicFixtures
