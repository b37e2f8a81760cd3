#pragma once

#include <QSpinBox>

/// The font-size box of the settings page: 8 to 32 points, no arrow buttons,
/// centred text. Values outside the range are clamped. GUI thread only.
class FontSizeEdit : public QSpinBox
{
    Q_OBJECT
public:
    static constexpr int MinimumSize = 8;
    static constexpr int MaximumSize = 32;

    explicit FontSizeEdit(QWidget* parent = nullptr);
};
