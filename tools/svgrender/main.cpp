// Renders the SVG sources of the artwork to PNG files.
//
// Usage: svgrender MANIFEST
// Each non-empty line of MANIFEST that does not start with '#':
//   SOURCE.svg OUTPUT.png WIDTH HEIGHT [FROM=>TO ...] [@X,Y,W,H]
// FROM=>TO replaces text in the SVG before parsing (glyph sources draw in
// "currentColor", so one source yields every colour variant). @X,Y,W,H
// renders into that rectangle of the canvas instead of the whole canvas.
// "dither" paints at 16 bits per channel and orders-dithers down to 8, which
// keeps wide, soft gradients free of visible bands once they are stretched.
// The canvas starts fully transparent.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>
#include <cstdio>

namespace {

// 4x4 Bayer matrix: thresholds spread evenly over one 8-bit step.
const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

int ditherChannel(quint16 value, int threshold)
{
    const double scaled = value / 257.0 + (threshold + 0.5) / 16.0 - 0.5;
    return qBound(0, static_cast<int>(scaled + 0.5), 255);
}

QImage ditherTo8Bit(const QImage& deep)
{
    QImage out(deep.size(), QImage::Format_ARGB32);
    for (int y = 0; y < deep.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgba64*>(deep.constScanLine(y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < deep.width(); ++x) {
            const int t = kBayer[y & 3][x & 3];
            line[x] = qRgba(ditherChannel(in[x].red(), t), ditherChannel(in[x].green(), t),
                            ditherChannel(in[x].blue(), t), ditherChannel(in[x].alpha(), t));
        }
    }
    return out;
}

bool renderJob(const QStringList& f, const QString& baseDir)
{
    if (f.size() < 4) {
        std::fprintf(stderr, "bad line: %s\n", qPrintable(f.join(' ')));
        return false;
    }
    const QString src = QDir(baseDir).filePath(f[0]);
    const QString out = QDir(baseDir).filePath(f[1]);
    const int w = f[2].toInt();
    const int h = f[3].toInt();
    QFile file(src);
    if (w <= 0 || h <= 0 || !file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s or bad size\n", qPrintable(src));
        return false;
    }
    QString text = QString::fromUtf8(file.readAll());
    QRectF target(0, 0, w, h);
    bool dither = false;
    for (int i = 4; i < f.size(); ++i) {
        const QString& opt = f[i];
        if (opt == QLatin1String("dither")) {
            dither = true;
            continue;
        }
        if (opt.startsWith('@')) {
            const QStringList r = opt.mid(1).split(',');
            if (r.size() == 4)
                target = QRectF(r[0].toDouble(), r[1].toDouble(), r[2].toDouble(), r[3].toDouble());
            continue;
        }
        // "=>" rather than "=": the replaced text is often an attribute.
        const int arrow = opt.indexOf(QLatin1String("=>"));
        if (arrow > 0)
            text.replace(opt.left(arrow), opt.mid(arrow + 2));
        else
            std::fprintf(stderr, "ignored option: %s\n", qPrintable(opt));
    }
    QSvgRenderer renderer(text.toUtf8());
    if (!renderer.isValid()) {
        std::fprintf(stderr, "invalid SVG: %s\n", qPrintable(src));
        return false;
    }
    QImage image(w, h, dither ? QImage::Format_RGBA64 : QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                               QPainter::TextAntialiasing);
        renderer.render(&painter, target);
    }
    const QImage result = dither ? ditherTo8Bit(image) : image.convertToFormat(QImage::Format_ARGB32);
    QDir().mkpath(QFileInfo(out).absolutePath());
    if (!result.save(out, "PNG", 9)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: svgrender MANIFEST\n");
        return 2;
    }
    QFile manifest(QString::fromLocal8Bit(argv[1]));
    if (!manifest.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "cannot open manifest\n");
        return 2;
    }
    const QString baseDir = QDir::currentPath();
    QTextStream in(&manifest);
    int failures = 0;
    int done = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (renderJob(line.split(' ', Qt::SkipEmptyParts), baseDir))
            ++done;
        else
            ++failures;
    }
    std::printf("rendered %d image(s), %d failure(s)\n", done, failures);
    return failures == 0 ? 0 : 1;
}
