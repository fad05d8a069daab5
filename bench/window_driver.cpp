#include "window_driver.h"

#include "mainform1.h"

#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>

bool openPort(Tmainform1& window, const QString& portName)
{
    auto* port = window.findChild<QComboBox*>(QStringLiteral("SPREALCOM"));
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), portName);
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Button10")), Qt::LeftButton);
    return QTest::qWaitFor([&window] { return window.PortOpen(); }, 5000);
}

void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double processCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return double(t.tv_sec) + double(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}
