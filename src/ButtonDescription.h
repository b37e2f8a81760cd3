#pragma once

#include "Button.h"

/// A Button with a second, smaller line of text under its text. The
/// description's colour per state comes from properties like the text's.
class ButtonDescription : public Button
{
    Q_OBJECT
    Q_PROPERTY(QColor colorDescriptionNormal MEMBER m_normal WRITE setColorDescriptionNormal)
    Q_PROPERTY(QColor colorDescriptionHover MEMBER m_hover WRITE setColorDescriptionHover)
    Q_PROPERTY(QColor colorDescriptionPressed MEMBER m_pressed WRITE setColorDescriptionPressed)
    Q_PROPERTY(QColor colorDescriptionChecked MEMBER m_checked WRITE setColorDescriptionChecked)
    Q_PROPERTY(QColor colorDescriptionDisabled MEMBER m_disabled WRITE setColorDescriptionDisabled)
    Q_PROPERTY(QString description READ description WRITE setDescription)
    Q_PROPERTY(int textPadding MEMBER m_textPadding WRITE setTextPadding)
public:
    using Button::Button;

    QString description() const { return m_description; }
    void setDescription(const QString& text);
    void setColorDescriptionNormal(const QColor& color);
    void setColorDescriptionHover(const QColor& color);
    void setColorDescriptionPressed(const QColor& color);
    void setColorDescriptionChecked(const QColor& color);
    void setColorDescriptionDisabled(const QColor& color);
    void setTextPadding(int padding);

protected:
    QSize textSize() const override;
    void drawText(QPainter& painter, const QRect& rect) override;

private:
    QFont descriptionFont() const;
    QColor descriptionColor() const;

    QString m_description;
    QColor m_normal, m_hover, m_pressed, m_checked, m_disabled;
    int m_textPadding = 2;
};
