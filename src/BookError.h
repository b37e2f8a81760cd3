#pragma once

#include <QCoreApplication>
#include <QString>

/// Why a book cannot be opened, and the words the user reads for it.
///
/// Every format back-end and the add-books worker sort their failures into
/// these few reasons, so the same fault reads the same in every format and
/// in every place it is shown (the reader's message box, the add summary).
/// The back-end keeps its own detailed log line (which record, which XML
/// error); the user is told only what they can act on.
///
/// Plain functions, safe on any thread (the texts are translated with the
/// installed translator, which Qt reads under a lock).
class BookError
{
    Q_DECLARE_TR_FUNCTIONS(BookError)

public:
    enum Reason
    {
        None,
        /// There is no file at the path.
        Missing,
        /// The file exists but cannot be read (permissions, a folder, I/O).
        Unreadable,
        /// The bytes are not a sound book of the format its name says:
        /// truncated, wrong magic, broken archive, malformed XML, a bomb.
        Damaged,
        /// A sound file of a variant the program does not read (a MOBI
        /// compression it does not know).
        Unsupported,
        /// Encrypted: DRM, or an archive or document with a password.
        Protected,
        /// Opened, but there is nothing to show (a comic without images).
        NoPages,
        /// Beyond a limit of the program (more pages, or a larger file, than
        /// it reads).
        TooLarge,
    };

    /// The sentence shown to the user, translated; empty for None.
    static QString text(Reason reason);
    /// A short English name for logs and tools ("damaged").
    static const char* name(Reason reason);
    /// Missing or Unreadable when the file at `path` cannot be opened for
    /// reading; None when it can. Back-ends call it first when their own
    /// open fails, so a missing file is never called damaged.
    static Reason checkFile(const QString& path);
    /// checkFile(), and `otherwise` when the file itself can be read.
    static Reason fileOr(const QString& path, Reason otherwise);
};
