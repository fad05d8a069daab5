#include "live_readings_window.h"

#include "error_report.h"
#include "file_chooser.h"
#include "live_poller.h"
#include "readings_csv.h"
#include "strip_chart.h"

#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTime>
#include <QVBoxLayout>

#include <cmath>

namespace qv {

namespace {

constexpr double kIntervalStepSeconds = 0.5;
const char* const kSeriesNames[3] = {"UTODV", "AD01", "AD02"};
const char* const kValueObjectNames[3] = {"utodvValue", "ad01Value", "ad02Value"};
const char* const kSeriesColours[3] = {"#1f77b4", "#d62728", "#2ca02c"};

double seconds(std::chrono::milliseconds interval)
{
    return double(interval.count()) / 1000.0;
}

// The readings of the whole span at the shortest interval, plus one.
std::size_t historyCapacity(std::chrono::milliseconds span)
{
    return std::size_t(span / LiveReadingsWindow::kShortestInterval) + 1;
}

} // namespace

LiveReadingsWindow::LiveReadingsWindow(SerialLink& link, std::function<void()> requestRealTimeData,
                                       QWidget* parent, std::chrono::milliseconds historySpan)
    : QWidget(parent, Qt::Window), m_history(historySpan, historyCapacity(historySpan)),
      m_poller(new LivePoller(link, std::move(requestRealTimeData), this))
{
    setObjectName(QStringLiteral("LiveReadings"));
    setWindowTitle(tr("Live Readings"));
    buildControls();
    m_poller->setInterval(kDefaultInterval);
    connect(m_poller, &LivePoller::readingTaken, this, &LiveReadingsWindow::takeReading);
    connect(m_poller, &LivePoller::pollMissed, this, &LiveReadingsWindow::showMissed);
    connect(m_poller, &LivePoller::stopped, this, &LiveReadingsWindow::showStopped);
}

LiveReadingsWindow::~LiveReadingsWindow() = default;

void LiveReadingsWindow::buildControls()
{
    m_chart = new StripChart(m_history, this);

    auto* values = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* name =
            new QLabel(QStringLiteral("<b style=\"color:%1\">%2:</b>")
                           .arg(QLatin1String(kSeriesColours[i]), QLatin1String(kSeriesNames[i])),
                       this);
        m_values[i] = new QLabel(QStringLiteral("-"), this);
        m_values[i]->setObjectName(QLatin1String(kValueObjectNames[i]));
        m_values[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        values->addWidget(name);
        values->addWidget(m_values[i]);
        values->addSpacing(16);
    }
    values->addStretch();

    m_interval = new QDoubleSpinBox(this);
    m_interval->setObjectName(QStringLiteral("intervalBox"));
    m_interval->setRange(seconds(kShortestInterval), seconds(kLongestInterval));
    m_interval->setSingleStep(kIntervalStepSeconds);
    m_interval->setDecimals(1);
    m_interval->setSuffix(tr(" s"));
    m_interval->setValue(seconds(kDefaultInterval));
    connect(m_interval, &QDoubleSpinBox::valueChanged, this, &LiveReadingsWindow::applyInterval);

    m_pause = new QPushButton(tr("Pause"), this);
    m_pause->setObjectName(QStringLiteral("pauseButton"));
    connect(m_pause, &QPushButton::clicked, this, &LiveReadingsWindow::togglePause);
    auto* exportButton = new QPushButton(tr("Export CSV..."), this);
    exportButton->setObjectName(QStringLiteral("exportButton"));
    connect(exportButton, &QPushButton::clicked, this, &LiveReadingsWindow::exportCsv);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(tr("Interval:"), this));
    controls->addWidget(m_interval);
    controls->addWidget(m_pause);
    controls->addStretch();
    controls->addWidget(exportButton);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_chart, 1);
    layout->addLayout(values);
    layout->addLayout(controls);
    layout->addWidget(m_status);
}

void LiveReadingsWindow::showAndStart()
{
    show();
    raise();
    activateWindow();
    start();
}

bool LiveReadingsWindow::isPolling() const
{
    return m_poller->isRunning();
}

void LiveReadingsWindow::closeEvent(QCloseEvent* event)
{
    m_poller->stop();
    m_pause->setText(tr("Resume"));
    m_status->setText(tr("Stopped: the window was closed."));
    event->accept();
}

void LiveReadingsWindow::start()
{
    m_pause->setText(tr("Pause"));
    m_status->setText(tr("Running: Real-Time Data every %1 s.").arg(m_interval->value()));
    m_poller->start();
}

void LiveReadingsWindow::pause()
{
    m_poller->stop();
    m_pause->setText(tr("Resume"));
    m_status->setText(tr("Paused."));
}

void LiveReadingsWindow::togglePause()
{
    if (m_poller->isRunning())
        pause();
    else
        start();
}

void LiveReadingsWindow::showStopped(const QString& why)
{
    m_pause->setText(tr("Resume"));
    m_status->setText(why);
}

void LiveReadingsWindow::takeReading(const Reading& reading)
{
    m_history.add(reading);
    const std::string* texts[3] = {&reading.utodv, &reading.ad01, &reading.ad02};
    for (int i = 0; i < 3; ++i)
        m_values[i]->setText(QString::fromLatin1(texts[i]->data(), qsizetype(texts[i]->size())));
    m_status->setText(tr("Running: last reading at %1.")
                          .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))));
    m_chart->update();
}

void LiveReadingsWindow::showMissed(const QString& why)
{
    m_status->setText(tr("Running: %1.").arg(why));
}

// The box counts in half seconds; a typed value in between is taken to the millisecond.
void LiveReadingsWindow::applyInterval(double value)
{
    m_poller->setInterval(std::chrono::milliseconds(std::lround(value * 1000)));
}

void LiveReadingsWindow::exportCsv()
{
    const QString path =
        chooseFile(this, FileChoice::Save, tr("Export CSV"), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    std::string text = readingsCsvHeader();
    for (const Reading& reading : m_history.readings())
        text += readingsCsvRow(reading);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.commit()) {
        reportError(this, tr("Cannot write %1: %2").arg(path, file.errorString()));
        return;
    }
    m_status->setText(tr("Exported %1 readings to %2.").arg(m_history.readings().size()).arg(path));
}

} // namespace qv
