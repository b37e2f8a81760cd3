#include "BookError.h"

#include <QFile>
#include <QFileInfo>

QString BookError::text(Reason reason)
{
    switch (reason) {
    case None:
        return QString();
    case Missing:
        return tr("The file does not exist.");
    case Unreadable:
        return tr("The file cannot be read.");
    case Damaged:
        return tr("The file is damaged.");
    case Unsupported:
        return tr("This format version is not supported.");
    case Protected:
        return tr("The book is protected.");
    case NoPages:
        return tr("The book has no pages.");
    case TooLarge:
        return tr("The book is larger than the program can open.");
    }
    return QString();
}

const char* BookError::name(Reason reason)
{
    switch (reason) {
    case None:
        return "none";
    case Missing:
        return "missing";
    case Unreadable:
        return "unreadable";
    case Damaged:
        return "damaged";
    case Unsupported:
        return "unsupported";
    case Protected:
        return "protected";
    case NoPages:
        return "no pages";
    case TooLarge:
        return "too large";
    }
    return "none";
}

BookError::Reason BookError::checkFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Missing;
    // A folder named like a book opens as a QFile, but reads nothing.
    if (!info.isFile())
        return Unreadable;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? None : Unreadable;
}

BookError::Reason BookError::fileOr(const QString& path, Reason otherwise)
{
    const Reason reason = checkFile(path);
    return reason == None ? otherwise : reason;
}
