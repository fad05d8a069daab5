#pragma once

#include <QWidget>

#include <chrono>

namespace qv {

class ReadingHistory;

// The three readings of a ReadingHistory against time, drawn with QPainter: the newest
// reading at the right edge, `visibleSpan` back to the left one, one shared value axis
// fitted to what is visible. Call update() after the history changes.
class StripChart : public QWidget
{
    Q_OBJECT
public:
    explicit StripChart(const ReadingHistory& history, QWidget* parent = nullptr);

    void setVisibleSpan(std::chrono::seconds span);
    std::chrono::seconds visibleSpan() const { return m_visibleSpan; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const ReadingHistory& m_history;
    std::chrono::seconds m_visibleSpan{300};
};

} // namespace qv
