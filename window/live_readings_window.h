#pragma once

#include "reading_history.h"

#include <QWidget>

#include <chrono>
#include <functional>

class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace qv {

class LivePoller;
class SerialLink;
class StripChart;

// "Live Readings": a second window that polls Real-Time Data at an interval and draws
// UTODV, AD01 and AD02 against time, with their current values, pause / resume and an
// export of what it holds as CSV. It keeps the last hour of readings, no more.
class LiveReadingsWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kShortestInterval{500};
    static constexpr std::chrono::milliseconds kLongestInterval{10000};
    static constexpr std::chrono::milliseconds kDefaultInterval{1000};
    static constexpr std::chrono::hours kHistorySpan{1};

    // `historySpan` is how far back the readings are kept (and exported).
    LiveReadingsWindow(SerialLink& link, std::function<void()> requestRealTimeData,
                       QWidget* parent = nullptr,
                       std::chrono::milliseconds historySpan = kHistorySpan);
    ~LiveReadingsWindow() override;

    // Shows the window and starts polling (again, if it was paused or stopped).
    void showAndStart();
    bool isPolling() const;
    const ReadingHistory& history() const { return m_history; }
    LivePoller& poller() { return *m_poller; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void start();
    void pause();
    void togglePause();
    void showStopped(const QString& why);
    void takeReading(const qv::Reading& reading);
    void showMissed(const QString& why);
    void applyInterval(double seconds);
    void exportCsv();

    ReadingHistory m_history;
    LivePoller* m_poller;
    StripChart* m_chart = nullptr;
    QLabel* m_values[3] = {};
    QDoubleSpinBox* m_interval = nullptr;
    QPushButton* m_pause = nullptr;
    QLabel* m_status = nullptr;
};

} // namespace qv
