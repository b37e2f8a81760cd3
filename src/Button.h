#pragma once

#include <QColor>
#include <QPixmap>
#include <QPushButton>

/// The library page's generic button: the style sheet draws its background
/// and border; the icon, the text colour and an optional menu mark (a small
/// image at the right edge) come from properties per state, set through
/// "qproperty-" entries of the style sheet. A state without its own image or
/// colour falls back to the normal one (the text colour to the palette).
/// The states are checked over pressed over hover over normal; disabled
/// wins over all.
class Button : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(QPixmap iconNormal MEMBER m_iconNormal WRITE setIconNormal)
    Q_PROPERTY(QPixmap iconHover MEMBER m_iconHover WRITE setIconHover)
    Q_PROPERTY(QPixmap iconPressed MEMBER m_iconPressed WRITE setIconPressed)
    Q_PROPERTY(QPixmap iconChecked MEMBER m_iconChecked WRITE setIconChecked)
    Q_PROPERTY(QPixmap iconDisabled MEMBER m_iconDisabled WRITE setIconDisabled)
    Q_PROPERTY(Qt::Alignment iconAlignment MEMBER m_iconAlignment WRITE setIconAlignment)
    Q_PROPERTY(QColor colorTextNormal MEMBER m_colorNormal WRITE setColorTextNormal)
    Q_PROPERTY(QColor colorTextHover MEMBER m_colorHover WRITE setColorTextHover)
    Q_PROPERTY(QColor colorTextPressed MEMBER m_colorPressed WRITE setColorTextPressed)
    Q_PROPERTY(QColor colorTextChecked MEMBER m_colorChecked WRITE setColorTextChecked)
    Q_PROPERTY(QColor colorTextDisabled MEMBER m_colorDisabled WRITE setColorTextDisabled)
    Q_PROPERTY(int iconPaddingLeft MEMBER m_iconPaddingLeft WRITE setIconPaddingLeft)
    Q_PROPERTY(int iconPaddingRight MEMBER m_iconPaddingRight WRITE setIconPaddingRight)
    Q_PROPERTY(QPixmap menuIconNormal MEMBER m_menuNormal WRITE setMenuIconNormal)
    Q_PROPERTY(QPixmap menuIconHover MEMBER m_menuHover WRITE setMenuIconHover)
    Q_PROPERTY(QPixmap menuIconPressed MEMBER m_menuPressed WRITE setMenuIconPressed)
    Q_PROPERTY(QPixmap menuIconChecked MEMBER m_menuChecked WRITE setMenuIconChecked)
    Q_PROPERTY(QPixmap menuIconDisabled MEMBER m_menuDisabled WRITE setMenuIconDisabled)
    Q_PROPERTY(int menuIconPaddingRight MEMBER m_menuPaddingRight WRITE setMenuIconPaddingRight)
    Q_PROPERTY(QSize menuIconSize MEMBER m_menuIconSize WRITE setMenuIconSize)
public:
    enum State
    {
        Normal,
        Hover,
        Pressed,
        Checked,
        Disabled
    };

    explicit Button(QWidget* parent = nullptr);
    Button(const QString& objectName, QWidget* parent);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void setIconNormal(const QPixmap& pixmap);
    void setIconHover(const QPixmap& pixmap);
    void setIconPressed(const QPixmap& pixmap);
    void setIconChecked(const QPixmap& pixmap);
    void setIconDisabled(const QPixmap& pixmap);
    void setIconAlignment(Qt::Alignment alignment);
    void setColorTextNormal(const QColor& color);
    void setColorTextHover(const QColor& color);
    void setColorTextPressed(const QColor& color);
    void setColorTextChecked(const QColor& color);
    void setColorTextDisabled(const QColor& color);
    void setIconPaddingLeft(int padding);
    void setIconPaddingRight(int padding);
    void setMenuIconNormal(const QPixmap& pixmap);
    void setMenuIconHover(const QPixmap& pixmap);
    void setMenuIconPressed(const QPixmap& pixmap);
    void setMenuIconChecked(const QPixmap& pixmap);
    void setMenuIconDisabled(const QPixmap& pixmap);
    void setMenuIconPaddingRight(int padding);
    void setMenuIconSize(const QSize& size);

protected:
    State visualState() const;
    QColor textColor() const;
    /// Width and height the text part needs (the description adds to it).
    virtual QSize textSize() const;
    /// Draws the text part into rect (vertically centred, left-aligned).
    virtual void drawText(QPainter& painter, const QRect& rect);

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPixmap currentIcon() const;
    QPixmap currentMenuIcon() const;
    static QSize logicalSize(const QPixmap& pixmap);
    void changed();

    QPixmap m_iconNormal, m_iconHover, m_iconPressed, m_iconChecked, m_iconDisabled;
    Qt::Alignment m_iconAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    QColor m_colorNormal, m_colorHover, m_colorPressed, m_colorChecked, m_colorDisabled;
    int m_iconPaddingLeft = 10;
    int m_iconPaddingRight = 8;
    QPixmap m_menuNormal, m_menuHover, m_menuPressed, m_menuChecked, m_menuDisabled;
    int m_menuPaddingRight = 10;
    QSize m_menuIconSize = QSize(12, 12);
};
