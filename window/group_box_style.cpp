#include "group_box_style.h"

#include <QPainter>
#include <QStyleOptionGroupBox>

namespace {

constexpr int kTitleLeft = 8;    // where the title starts on the frame line
constexpr int kTitlePadding = 1; // blank beside the title on each side

} // namespace

QRect GroupBoxStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                    SubControl subControl, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || box == nullptr)
        return QProxyStyle::subControlRect(control, option, subControl, widget);

    const int titleHeight = box->fontMetrics.height();
    switch (subControl) {
    case SC_GroupBoxFrame:
        return box->rect.adjusted(0, titleHeight / 2, 0, 0);
    case SC_GroupBoxLabel: {
        const int width = box->fontMetrics.horizontalAdvance(box->text) + 2 * kTitlePadding;
        return {box->rect.left() + kTitleLeft, box->rect.top(), width, titleHeight};
    }
    case SC_GroupBoxContents:
        return box->rect.adjusted(1, titleHeight, -1, -1);
    default:
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void GroupBoxStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                       QPainter* painter, const QWidget* widget) const
{
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || box == nullptr) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    painter->save();
    const QRect frame = subControlRect(control, box, SC_GroupBoxFrame, widget);
    // An etched line: shadow, with a highlight one pixel below and to the right.
    painter->setPen(box->palette.color(QPalette::Light));
    painter->drawRect(frame.adjusted(1, 1, -1, -1));
    painter->setPen(box->palette.color(QPalette::Dark));
    painter->drawRect(frame.adjusted(0, 0, -2, -2));
    const QRect title = subControlRect(control, box, SC_GroupBoxLabel, widget);
    painter->fillRect(title, box->palette.color(QPalette::Window));
    drawItemText(painter, title, Qt::AlignCenter | Qt::TextShowMnemonic, box->palette,
                 box->state & State_Enabled, box->text, QPalette::WindowText);
    painter->restore();
}
