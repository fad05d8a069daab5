#pragma once

#include <QProxyStyle>

// Draws group boxes the way the form was designed: a thin frame whose top line runs
// through the middle of the title, the title on the window's background over it.
// Fusion instead puts the title above the frame, so controls placed just under the
// title would cross the frame's top line.
class GroupBoxStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
};
