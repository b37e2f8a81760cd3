#include "FontSizeEdit.h"

FontSizeEdit::FontSizeEdit(QWidget* parent) : QSpinBox(parent)
{
    setObjectName("fontSizeEdit");
    setRange(MinimumSize, MaximumSize);
    setSuffix(QStringLiteral("pt"));
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    setFixedSize(60, 37);
}
