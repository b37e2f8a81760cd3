#pragma once

#include <QSizeGrip>

/// The resize grip of the frameless main window. Reports the start and the
/// end of a resize so the reader can lay its pages out once, at the end,
/// instead of on every intermediate size.
class SizeGrip : public QSizeGrip
{
    Q_OBJECT
public:
    explicit SizeGrip(QWidget* parent);

signals:
    void beginResize();
    void endResize();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
