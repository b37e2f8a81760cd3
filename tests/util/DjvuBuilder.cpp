#include "util/DjvuBuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

bool run(const QString& program, const QStringList& arguments, QString* error)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("%1 %2 failed: %3")
                         .arg(program, arguments.join(QLatin1Char(' ')),
                              QString::fromLocal8Bit(process.readAllStandardError()));
        return false;
    }
    return true;
}

QString quoted(const QString& text)
{
    QString out = text;
    out.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

bool writeText(const QString& path, const QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(text.toUtf8());
    return true;
}

QString outlineText(const QList<DjvuBuilder::Outline>& items)
{
    QString out;
    for (const DjvuBuilder::Outline& item : items)
        out += QStringLiteral("(%1 %2 %3)")
                   .arg(quoted(item.title), quoted(item.link), outlineText(item.children));
    return out;
}

} // namespace

DjvuBuilder& DjvuBuilder::page(int width, int height, const QStringList& words, bool colour, int quarterTurns,
                               int dpi)
{
    m_pages << Page{QSize(width, height), words, colour, quarterTurns, dpi};
    return *this;
}

DjvuBuilder& DjvuBuilder::pages(int count)
{
    for (int i = 1; i <= count; ++i)
        page(300, 400, {QStringLiteral("Page"), QString::number(i)});
    return *this;
}

DjvuBuilder& DjvuBuilder::outline(const QList<Outline>& items)
{
    m_outline = items;
    return *this;
}

DjvuBuilder& DjvuBuilder::meta(const QString& key, const QString& value)
{
    m_meta.insert(key, value);
    return *this;
}

bool DjvuBuilder::toolsAvailable()
{
    for (const char* tool : {"c44", "cjb2", "djvm", "djvmcvt", "djvused"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return false;
    }
    return true;
}

bool DjvuBuilder::writePage(int index, const Page& page, const QString& dir, QString* file,
                            QString* error) const
{
    // The scan: white paper, the words in rows of dark type, a band of
    // colour on colour pages.
    QImage image(page.size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        QFont font = painter.font();
        font.setPixelSize(qMax(8, page.size.height() / 12));
        painter.setFont(font);
        painter.drawText(QRect(QPoint(0, 0), page.size), Qt::AlignCenter, QString::number(index + 1));
        font.setPixelSize(qMax(6, page.size.height() / 30));
        painter.setFont(font);
        painter.drawText(QRect(10, 10, page.size.width() - 20, page.size.height() / 3), Qt::TextWordWrap,
                         page.words.join(QLatin1Char(' ')));
        if (page.colour)
            painter.fillRect(QRect(0, page.size.height() * 3 / 4, page.size.width(), page.size.height() / 8),
                             QColor(200, 40, 40));
    }
    const QString base = dir + QStringLiteral("/p%1").arg(index + 1, 4, 10, QLatin1Char('0'));
    *file = base + QStringLiteral(".djvu");
    const QString dpi = QString::number(page.dpi);
    if (page.colour) {
        if (!image.save(base + QStringLiteral(".ppm"), "PPM") ||
            !run(QStringLiteral("c44"), {QStringLiteral("-dpi"), dpi, base + QStringLiteral(".ppm"), *file},
                 error))
            return false;
    } else {
        const QImage mono = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        if (!mono.save(base + QStringLiteral(".pbm"), "PBM") ||
            !run(QStringLiteral("cjb2"), {QStringLiteral("-dpi"), dpi, base + QStringLiteral(".pbm"), *file},
                 error))
            return false;
    }

    QStringList script;
    if (!page.words.isEmpty()) {
        // One line of words, each in its own box across the top of the page.
        const int w = page.size.width();
        const int h = page.size.height();
        const int step = qMax(1, w / page.words.size());
        QString line;
        for (int i = 0; i < page.words.size(); ++i)
            line += QStringLiteral(" (word %1 %2 %3 %4 %5)")
                        .arg(i * step)
                        .arg(h - 40)
                        .arg(qMin(w, (i + 1) * step - 1))
                        .arg(h - 10)
                        .arg(quoted(page.words.at(i)));
        const QString text = QStringLiteral("(page 0 0 %1 %2 (line 0 %3 %1 %4%5))\n")
                                 .arg(w)
                                 .arg(h)
                                 .arg(h - 40)
                                 .arg(h - 10)
                                 .arg(line);
        if (!writeText(base + QStringLiteral(".txt"), text))
            return false;
        script << QStringLiteral("set-txt %1").arg(base + QStringLiteral(".txt"));
    }
    if (page.quarterTurns != 0)
        script << QStringLiteral("set-rotation %1").arg(page.quarterTurns);
    if (!script.isEmpty()) {
        script.prepend(QStringLiteral("select 1"));
        return run(QStringLiteral("djvused"),
                   {*file, QStringLiteral("-e"), script.join(QStringLiteral("; ")), QStringLiteral("-s")},
                   error);
    }
    return true;
}

bool DjvuBuilder::writeBundled(const QString& path, QString* error) const
{
    QTemporaryDir dir;
    QStringList files;
    for (int i = 0; i < m_pages.size(); ++i) {
        QString file;
        if (!writePage(i, m_pages.at(i), dir.path(), &file, error))
            return false;
        files << file;
    }
    QFile::remove(path);
    if (!run(QStringLiteral("djvm"), QStringList{QStringLiteral("-c"), path} + files, error))
        return false;

    QStringList script;
    if (!m_outline.isEmpty()) {
        const QString file = dir.path() + QStringLiteral("/outline.txt");
        if (!writeText(file, QStringLiteral("(bookmarks %1)\n").arg(outlineText(m_outline))))
            return false;
        script << QStringLiteral("set-outline %1").arg(file);
    }
    if (!m_meta.isEmpty()) {
        QString text;
        for (auto it = m_meta.cbegin(); it != m_meta.cend(); ++it)
            text += QStringLiteral("%1\t%2\n").arg(it.key(), quoted(it.value()));
        const QString file = dir.path() + QStringLiteral("/meta.txt");
        if (!writeText(file, text))
            return false;
        script << QStringLiteral("set-meta %1").arg(file);
    }
    if (!script.isEmpty())
        return run(QStringLiteral("djvused"),
                   {path, QStringLiteral("-e"), script.join(QStringLiteral("; ")), QStringLiteral("-s")},
                   error);
    return true;
}

bool DjvuBuilder::writeIndirect(const QString& indexPath, QStringList* pageFiles, QString* error) const
{
    QTemporaryDir dir;
    const QString bundled = dir.path() + QStringLiteral("/bundled.djvu");
    if (!writeBundled(bundled, error))
        return false;
    const QFileInfo index(indexPath);
    const QStringList before = index.dir().entryList(QDir::Files);
    if (!run(QStringLiteral("djvmcvt"),
             {QStringLiteral("-i"), bundled, index.absolutePath(), index.fileName()}, error))
        return false;
    if (pageFiles) {
        pageFiles->clear();
        for (const QString& name : index.dir().entryList(QDir::Files, QDir::Name)) {
            if (!before.contains(name) && name != index.fileName())
                *pageFiles << index.dir().filePath(name);
        }
    }
    return true;
}
