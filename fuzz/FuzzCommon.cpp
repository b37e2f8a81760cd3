#include "FuzzCommon.h"

#include "Paths.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace fuzz {
namespace {

QString g_home;
QString g_scratch;

void dropMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

void removeHome()
{
    if (!g_home.isEmpty())
        QDir(g_home).removeRecursively();
}

void append16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xff));
    out.append(char(v >> 8));
}

void append32(QByteArray& out, quint32 v)
{
    append16(out, quint16(v & 0xffff));
    append16(out, quint16(v >> 16));
}

} // namespace

void initialize(int* argc, char*** argv)
{
    // A home of its own per process, in memory: a run writes settings,
    // a database, caches and unpacked entries, and several fuzzers (or
    // libFuzzer's jobs) may run at once.
    g_home = QStringLiteral("/dev/shm/lanternleaf-fuzz-%1").arg(::getpid());
    QDir(g_home).removeRecursively();
    QDir().mkpath(g_home + "/.runtime");
    QFile::setPermissions(g_home + "/.runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QByteArray home = QFile::encodeName(g_home);
    qputenv("HOME", home);
    qputenv("XDG_CONFIG_HOME", home + "/.config");
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    qputenv("XDG_CACHE_HOME", home + "/.cache");
    qputenv("XDG_RUNTIME_DIR", home + "/.runtime");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    std::atexit(removeHome);

    // Silence: every refused input logs a line, and formatting and writing
    // them would cost more than the parsing.
    qInstallMessageHandler(dropMessage);
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));

    QCoreApplication::setApplicationName(QStringLiteral("lanternleaf"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tarnwick"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("tarnwick.example"));
    // Fonts and images need a GUI application; it lives for the whole run.
    static QGuiApplication* app = new QGuiApplication(*argc, *argv);
    Q_UNUSED(app)

    // The log file of the day (and the next, for a run across midnight)
    // is /dev/null: the logger still opens and writes, cheaply.
    const QString logs = Paths::logFolder();
    const QDate today = QDate::currentDate();
    for (int d = -1; d <= 1; ++d) {
        const QString name =
            logs + QStringLiteral("/log_%1.txt").arg(today.addDays(d).toString("yyyy_MM_dd"));
        QFile::remove(name);
        QFile::link(QStringLiteral("/dev/null"), name);
    }

    g_scratch = g_home + "/scratch";
    QDir().mkpath(g_scratch);
}

QString scratchDir()
{
    return g_scratch;
}

QString writeScratch(const QString& name, const uint8_t* data, size_t size)
{
    const QString path = g_scratch + "/" + name;
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::fprintf(stderr, "fuzz: cannot write %s\n", qPrintable(path));
        std::abort();
    }
    return path;
}

QString writeScratch(const QString& name, const QByteArray& data)
{
    return writeScratch(name, reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
}

void clearDir(const QString& path)
{
    QDir dir(path);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& info : entries) {
        if (info.isDir() && !info.isSymLink())
            QDir(info.filePath()).removeRecursively();
        else
            QFile::remove(info.filePath());
    }
}

QList<QByteArray> splitParts(const uint8_t* data, size_t size)
{
    const QByteArray all = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    const QByteArray separator(partSeparator());
    QList<QByteArray> parts;
    int from = 0;
    for (;;) {
        const int at = all.indexOf(separator, from);
        if (at < 0) {
            parts << QByteArray(all.constData() + from, all.size() - from);
            return parts;
        }
        parts << QByteArray(all.constData() + from, at - from);
        from = at + separator.size();
    }
}

QByteArray storedZip(const QList<QPair<QString, QByteArray>>& entries)
{
    QByteArray out;
    QByteArray directory;
    for (const auto& entry : entries) {
        const QByteArray name = entry.first.toUtf8();
        const QByteArray& data = entry.second;
        const quint32 crc =
            quint32(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
        const quint32 offset = quint32(out.size());
        append32(out, 0x04034b50);
        append16(out, 20);
        append16(out, 0x0800); // names are UTF-8
        append16(out, 0);      // stored
        append32(out, 0);      // time, date
        append32(out, crc);
        append32(out, quint32(data.size()));
        append32(out, quint32(data.size()));
        append16(out, quint16(name.size()));
        append16(out, 0);
        out += name;
        out += data;

        append32(directory, 0x02014b50);
        append16(directory, 20);
        append16(directory, 20);
        append16(directory, 0x0800);
        append16(directory, 0);
        append32(directory, 0);
        append32(directory, crc);
        append32(directory, quint32(data.size()));
        append32(directory, quint32(data.size()));
        append16(directory, quint16(name.size()));
        append16(directory, 0); // extra
        append16(directory, 0); // comment
        append16(directory, 0); // disk
        append16(directory, 0); // internal attributes
        append32(directory, 0); // external attributes
        append32(directory, offset);
        directory += name;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    append32(out, 0x06054b50);
    append16(out, 0);
    append16(out, 0);
    append16(out, quint16(entries.size()));
    append16(out, quint16(entries.size()));
    append32(out, quint32(directory.size()));
    append32(out, directoryOffset);
    append16(out, 0);
    return out;
}

} // namespace fuzz
