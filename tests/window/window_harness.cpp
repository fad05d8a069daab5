#include "window_harness.h"

#include "error_report.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

WindowHarness::WindowHarness() : m_window(std::make_unique<Tmainform1>())
{
    setErrorReportSink([this](const QString& caption, const QString& text) {
        reports.append({caption, text});
    });
    m_window->show();
}

WindowHarness::~WindowHarness()
{
    setErrorReportSink({});
}

void WindowHarness::click(const char* buttonName)
{
    QTest::mouseClick(control<QPushButton>(buttonName), Qt::LeftButton);
}

bool WindowHarness::openOn(const PtyPair& pty)
{
    auto* port = control<QComboBox>("SPREALCOM");
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), pty.slavePath());
    click("Button10");
    return QTest::qWaitFor([this] { return control<QPushButton>("Button10")->text() == "Close"; },
                           2000) &&
           m_window->PortOpen();
}

QStringList WindowHarness::reportTexts() const
{
    QStringList texts;
    for (const ShownReport& report : reports)
        texts.append(report.text);
    return texts;
}
