#include "strip_chart.h"

#include "reading_history.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>
#include <limits>

namespace qv {

namespace {

constexpr int kMargin = 8;
constexpr int kAxisWidth = 56;  // room for the value labels at the left
constexpr int kTimeHeight = 18; // room for the time labels below
constexpr int kGridLines = 4;

struct Series
{
    const char* name;
    double (Reading::*value)() const;
    QColor colour;
};

const std::array<Series, 3>& seriesList()
{
    static const std::array<Series, 3> series = {{
        {"UTODV", &Reading::utodvValue, QColor(0x1f, 0x77, 0xb4)},
        {"AD01", &Reading::ad01Value, QColor(0xd6, 0x27, 0x28)},
        {"AD02", &Reading::ad02Value, QColor(0x2c, 0xa0, 0x2c)},
    }};
    return series;
}

struct ValueRange
{
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    void include(double value)
    {
        if (std::isnan(value))
            return;
        low = std::min(low, value);
        high = std::max(high, value);
    }
    bool empty() const { return low > high; }
    // Some room above and below, and a span of at least 1 around a flat line.
    ValueRange padded() const
    {
        const double middle = (low + high) / 2;
        const double half = std::max(high - low, 1.0) * 0.55;
        return {middle - half, middle + half};
    }
};

} // namespace

StripChart::StripChart(const ReadingHistory& history, QWidget* parent)
    : QWidget(parent), m_history(history)
{
    setObjectName(QStringLiteral("stripChart"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StripChart::setVisibleSpan(std::chrono::seconds span)
{
    m_visibleSpan = span;
    update();
}

QSize StripChart::sizeHint() const
{
    return {560, 260};
}

QSize StripChart::minimumSizeHint() const
{
    return {240, 120};
}

void StripChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QRect plot =
        rect().adjusted(kMargin + kAxisWidth, kMargin, -kMargin, -(kMargin + kTimeHeight));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(plot);

    const auto& readings = m_history.readings();
    if (readings.empty() || plot.width() < 2 || plot.height() < 2)
        return;
    const auto newest = readings.back().time;
    const auto oldest = newest - m_visibleSpan;

    ValueRange values;
    for (const Reading& reading : readings) {
        if (reading.time < oldest)
            continue;
        for (const Series& series : seriesList())
            values.include((reading.*series.value)());
    }
    if (values.empty())
        return;
    const ValueRange axis = values.padded();

    const double spanMs =
        double(std::chrono::duration_cast<std::chrono::milliseconds>(m_visibleSpan).count());
    const auto xOf = [&](std::chrono::system_clock::time_point time) {
        const double ms =
            double(std::chrono::duration_cast<std::chrono::milliseconds>(time - oldest).count());
        return plot.left() + ms / spanMs * plot.width();
    };
    const auto yOf = [&](double value) {
        return plot.bottom() - (value - axis.low) / (axis.high - axis.low) * plot.height();
    };

    // Value grid with its labels, and the time span below.
    const QColor text = palette().color(QPalette::Text);
    for (int line = 0; line <= kGridLines; ++line) {
        const double value = axis.low + (axis.high - axis.low) * line / kGridLines;
        const int y = int(std::lround(yOf(value)));
        painter.setPen(QPen(palette().color(QPalette::Midlight), 0, Qt::DotLine));
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(text);
        painter.drawText(QRect(kMargin, y - 8, kAxisWidth - 4, 16),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(value, 'f', 2));
    }
    painter.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), kTimeHeight),
                     Qt::AlignLeft | Qt::AlignTop, tr("-%1 s").arg(m_visibleSpan.count()));
    painter.drawText(QRect(plot.left(), plot.bottom() + 2, plot.width(), kTimeHeight),
                     Qt::AlignRight | Qt::AlignTop, tr("now"));

    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(plot);
    for (const Series& series : seriesList()) {
        QPainterPath path;
        bool drawing = false;
        for (const Reading& reading : readings) {
            const double value = (reading.*series.value)();
            if (reading.time < oldest || std::isnan(value)) {
                drawing = false; // a gap where there is no number
                continue;
            }
            const QPointF point(xOf(reading.time), yOf(value));
            if (drawing)
                path.lineTo(point);
            else
                path.moveTo(point);
            drawing = true;
        }
        painter.setPen(QPen(series.colour, 1.5));
        painter.drawPath(path);
    }
}

} // namespace qv
