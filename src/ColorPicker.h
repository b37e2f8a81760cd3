#pragma once

#include <QColor>
#include <QPushButton>

/// A button that shows one colour and, when clicked, lets the user choose
/// another in the platform colour dialog. GUI thread only.
class ColorPicker : public QPushButton
{
    Q_OBJECT
public:
    explicit ColorPicker(QWidget* parent = nullptr);

    QColor color() const { return m_color; }

public slots:
    /// Stores the colour, repaints and emits colorChanged().
    void changeColor(QColor color);
    /// Opens the colour dialog on the current colour; a valid choice is
    /// applied through changeColor(), a cancelled dialog changes nothing.
    void chooseColor();

signals:
    void colorChanged(QColor color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_color = Qt::white;
};
