#include "TextViewer.h"

#include "BookFormat.h"
#include "Settings.h"
#include "TextDocument.h"
#include "TextPagePainter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsOpacityEffect>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QShortcut>
#include <QTextOption>

#include <limits>

Q_LOGGING_CATEGORY(lcTextViewer, "lanternleaf.textviewer", QtInfoMsg)

namespace {
constexpr int kFadeDuration = 300; // ms
constexpr qreal kFadeOpacity = 0.6;
// One notch of a common mouse wheel.
constexpr int kWheelStep = 120;

QString lineHeight(int lineSpacing)
{
    switch (lineSpacing) {
    case 1:
        return QStringLiteral("150%");
    case 2:
        return QStringLiteral("200%");
    default:
        return QStringLiteral("100%");
    }
}

Qt::Alignment paragraphAlignment(int setting)
{
    switch (setting) {
    case 0:
        return Qt::AlignLeft;
    case 1:
        return Qt::AlignRight;
    case 2:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignJustify;
    }
}

QString cssAlignment(int setting)
{
    switch (setting) {
    case 0:
        return QStringLiteral("left");
    case 1:
        return QStringLiteral("right");
    case 2:
        return QStringLiteral("center");
    default:
        return QStringLiteral("justify");
    }
}

QString readTemplate()
{
    QFile file(QStringLiteral(":/ebook/ebookstyle/epub.css"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}
} // namespace

TextViewer::TextViewer(const BookDto& book, QWidget* parent) : QFrame(parent)
{
    setObjectName("textPageViewer");
    m_document = createTextDocument(book.full_path);
    m_document->setParent(this);
    m_pagePainter = new TextPagePainter(m_document, this);

    // The fade frame lies over the page only while a page turns.
    m_fadeFrame = new QFrame(this);
    m_fadeFrame->setObjectName("fadeFrame");
    m_fadeFrame->setAutoFillBackground(true);
    m_fadeFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_fadeFrame->hide();
    colourFadeFrame();

    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    // A single click turns the page only once it cannot become a double
    // click any more, so a double click (full screen) never turns a page.
    m_clickTimer.setSingleShot(true);
    m_clickTimer.setInterval(QApplication::doubleClickInterval());
    connect(&m_clickTimer, &QTimer::timeout, this, &TextViewer::onClickTimer);

    connect(m_document, &TextDocument::pageChanged, this, &TextViewer::pageChanged);
    connect(m_document, &TextDocument::endCleanSearch, this, &TextViewer::pageChanged);
    connect(m_document, &TextDocument::highlightsChanged, this, &TextViewer::pageChanged);
    connect(m_document, &TextDocument::pageNumbersChanged, this, &TextViewer::pageChanged);
    // Going to a place deep in a book opened for the first time waits for
    // the text map behind the busy page instead of blocking the window.
    m_document->setWaitsInBackground(true);
    // A large book shows its opening while the rest loads.
    m_document->setLoadsInStages(true);

    auto shortcut = [this](QKeySequence key, void (TextViewer::*slot)()) {
        auto* s = new QShortcut(key, this);
        connect(s, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence(Qt::Key_Space), &TextViewer::next);
    shortcut(QKeySequence(Qt::Key_Right), &TextViewer::next);
    shortcut(QKeySequence(Qt::Key_PageDown), &TextViewer::next);
    shortcut(QKeySequence(Qt::Key_Backspace), &TextViewer::previous);
    shortcut(QKeySequence(Qt::Key_Left), &TextViewer::previous);
    shortcut(QKeySequence(Qt::Key_PageUp), &TextViewer::previous);
    shortcut(QKeySequence(Qt::Key_Home), &TextViewer::moveToHome);
    shortcut(QKeySequence(Qt::Key_End), &TextViewer::moveToEnd);

    connect(Settings::instance(), &Settings::changed, this, &TextViewer::reload);
    m_showFade = Settings::instance()->data().showFade;
}

TextViewer::~TextViewer()
{
    // The document must go before the fade frame and timers it signals.
    disconnect(m_document, nullptr, this, nullptr);
    delete m_pagePainter;
    delete m_document;
}

QString TextViewer::styleSheetFor(const ReaderSettings& settings)
{
    const ReadingProfile profile = settings.profile();
    const QString textSize = QStringLiteral("%1pt").arg(profile.textSize);
    QString css = readTemplate();
    css.replace(QLatin1String("${paragraph_font_family}"), profile.textFamily);
    css.replace(QLatin1String("${paragraph_font_size}"), textSize);
    css.replace(QLatin1String("${body_font_family}"), profile.textFamily);
    css.replace(QLatin1String("${body_font_size}"), textSize);
    css.replace(QLatin1String("${caption_font_family}"), profile.captionFamily);
    css.replace(QLatin1String("${caption_font_size}"), QStringLiteral("%1pt").arg(profile.captionSize));
    css.replace(QLatin1String("${paragraph_color}"), profile.textColor.name());
    css.replace(QLatin1String("${caption_color}"), profile.captionColor.name());
    css.replace(QLatin1String("${body_color}"), profile.textColor.name());
    css.replace(QLatin1String("${line_height}"), lineHeight(settings.lineSpacing));
    css.replace(QLatin1String("${paragraph_align}"), cssAlignment(settings.paragraphAlignment));
    return css;
}

void TextViewer::applyStyle()
{
    const ReaderSettings settings = Settings::instance()->data();
    const ReadingProfile profile = settings.profile();

    QTextOption option;
    option.setAlignment(paragraphAlignment(settings.paragraphAlignment));
    QFont font(profile.textFamily, profile.textSize, QFont::Normal, false);
    font.setStyleStrategy(QFont::PreferAntialias);
    m_document->setDefaultFont(font);
    m_document->setDefaultTextOption(option);
    m_document->setDefaultStyleSheet(styleSheetFor(settings));

    m_document->setBackgroundColor(profile.backgroundColor);
    m_document->setMargings(
        QMargins(settings.leftSpacing, settings.topSpacing, settings.rightSpacing, settings.bottomSpacing));
    m_document->setFont(font);
    m_document->setFontColor(profile.pageNumberColor);
    m_document->setColumnCount(settings.columnCount);
    m_document->setHighlightColor(profile.selectionColor);
}

void TextViewer::colourFadeFrame()
{
    QPalette palette = m_fadeFrame->palette();
    palette.setBrush(QPalette::Window, QBrush(m_document->backgroundColor()));
    m_fadeFrame->setPalette(palette);
}

void TextViewer::load()
{
    m_pagePainter->reset();
    m_loading = true;
    emit loadBegin();
    m_document->setPageSize(QSizeF(300, 400));
    applyStyle();
    colourFadeFrame();
    m_document->load();
    m_loading = false;
    // The host gave the viewer its place before loading; paginate for it now
    // rather than first showing the provisional page size.
    if (width() > 0 && height() > 0)
        resizeDone();
    emit loadFinished();
}

void TextViewer::reload()
{
    // The re-layout below lets pending events run; a settings change arriving
    // then is applied by another round instead of a nested reload.
    if (m_reloading) {
        m_reloadAgain = true;
        return;
    }
    m_reloading = true;
    do {
        m_reloadAgain = false;
        m_showFade = Settings::instance()->data().showFade;
        m_loading = true;
        m_pagePainter->reset();
        emit reloadBegin();
        const int position = m_document->position();
        // The text on screen, highlighted for a second where it went.
        const int visibleEnd = m_document->page() + m_document->columnCount();
        const int end = visibleEnd > m_document->pageCount() ? std::numeric_limits<int>::max()
                                                             : m_document->calcPositionByPage(visibleEnd);
        m_document->clear();
        applyStyle();
        colourFadeFrame();
        m_document->rebuild();
        m_document->reloadImages();
        m_document->setPageByPosition(position);
        m_document->highlightPlace(position, end);
        m_loading = false;
        emit reloadFinished();
    } while (m_reloadAgain);
    m_reloading = false;
    update();
}

void TextViewer::resizeDone()
{
    qCDebug(lcTextViewer) << "TextViewer::resizeDone"
                          << "set view port size:" << size();
    m_document->setViewPortSize(size());
}

void TextViewer::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    if (m_fadeFrame->isVisible())
        m_fadeFrame->setGeometry(rect());
    if (!m_loading)
        resizeDone();
}

// ---------------------------------------------------------------- painting

void TextViewer::paintEvent(QPaintEvent* event)
{
    QElapsedTimer timer;
    timer.start();
    QPainter painter(this);
    if (!m_document) {
        painter.fillRect(event->rect(), m_emptyColor);
        return;
    }
    painter.fillRect(event->rect(), m_document->backgroundColor());
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (m_loading)
        return;
    m_pagePainter->paint(painter, rect(), devicePixelRatioF());
    m_lastPaintMs = timer.nsecsElapsed() / 1e6;
}

void TextViewer::pageChanged()
{
    update();
}

// ---------------------------------------------------------------- page turns

template <typename Turn> void TextViewer::turnPage(Turn turn)
{
    fadeOut();
    turn();
    fadeIn();
}

void TextViewer::next()
{
    turnPage([this] { m_document->next(); });
}

void TextViewer::previous()
{
    turnPage([this] { m_document->previous(); });
}

void TextViewer::moveToHome()
{
    turnPage([this] { m_document->moveToHome(); });
}

void TextViewer::moveToEnd()
{
    turnPage([this] { m_document->moveToEnd(); });
}

void TextViewer::fadeOut()
{
    if (!m_showFade)
        return;
    if (m_fadeAnimation)
        m_fadeAnimation->stop();
    m_fadeFrame->setGeometry(rect());
    m_fadeFrame->setWindowOpacity(0);
    m_fadeFrame->show();
    m_fadeFrame->raise();
    auto* effect = new QGraphicsOpacityEffect(m_fadeFrame);
    effect->setOpacity(0.0);
    m_fadeFrame->setGraphicsEffect(effect);
    auto* animation = new QPropertyAnimation(effect, "opacity", this);
    animation->setDuration(kFadeDuration);
    animation->setStartValue(0.0);
    animation->setEndValue(kFadeOpacity);
    m_fadeAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void TextViewer::fadeIn()
{
    if (!m_showFade || !m_fadeFrame->isVisible())
        return;
    if (m_fadeAnimation)
        m_fadeAnimation->stop();
    auto* effect = new QGraphicsOpacityEffect(m_fadeFrame);
    effect->setOpacity(kFadeOpacity);
    m_fadeFrame->setGraphicsEffect(effect);
    auto* animation = new QPropertyAnimation(effect, "opacity", this);
    animation->setDuration(kFadeDuration);
    animation->setStartValue(kFadeOpacity);
    animation->setEndValue(0.0);
    connect(animation, &QAbstractAnimation::finished, m_fadeFrame, &QWidget::hide);
    m_fadeAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

// ---------------------------------------------------------------- mouse

void TextViewer::mousePressEvent(QMouseEvent* event)
{
    m_pressPos = event->pos();
    m_pressed = true;
    setFocus(Qt::MouseFocusReason);
    QFrame::mousePressEvent(event);
}

void TextViewer::mouseReleaseEvent(QMouseEvent* event)
{
    // The release that ends a double click has no press of its own; it must
    // not start another page turn.
    if (m_pressed && event->pos() == m_pressPos)
        m_clickTimer.start();
    m_pressed = false;
    QFrame::mouseReleaseEvent(event);
}

void TextViewer::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_clickTimer.stop();
    m_pressed = false;
    emit mouseDoubleClick();
    event->accept();
}

void TextViewer::onClickTimer()
{
    if (m_pressPos.x() < width() / 2)
        previous();
    else
        next();
}

void TextViewer::wheelEvent(QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    if (delta != 0) {
        // Touchpads send many small steps: one page per notch's worth.
        if ((delta > 0) != (m_wheelDelta > 0))
            m_wheelDelta = 0;
        m_wheelDelta += delta;
        if (qAbs(m_wheelDelta) >= kWheelStep || qAbs(delta) >= kWheelStep) {
            const bool towardsUser = m_wheelDelta < 0;
            m_wheelDelta = 0;
            if (towardsUser)
                next();
            else
                previous();
        }
    }
    QFrame::wheelEvent(event);
}
