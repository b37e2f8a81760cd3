#pragma once

#include <QByteArray>
#include <QString>

/// A look at the main header of a RAR 5 archive before the UnRAR library
/// reads it. The library (6.2) dereferences a null pointer when the
/// header's metadata record announces an archive name of no bytes, or one
/// that is cut off; such an archive is refused here instead of crashing the
/// reader. The check is narrow on purpose: everything else is left to the
/// library, which reports damage on its own.
///
/// Plain functions; any thread.
namespace RarHeaderCheck {

/// How far into a file the library looks for an archive signature (an
/// archive behind a self-extracting program).
constexpr qint64 searchedBytes = 2 * 1024 * 1024 + 64;

/// Why the archive whose first bytes are `head` must not reach the library;
/// empty when nothing is wrong with what is checked.
QString refusal(const QByteArray& head);

/// The same for the file at `path` (its first searchedBytes). A file that
/// cannot be read gives no refusal: the library reports that itself.
QString fileRefusal(const QString& path);

} // namespace RarHeaderCheck
