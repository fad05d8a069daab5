// The error report: its caption and period rule, the test sink and the real modal box.

#include "error_report.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class ErrorReportTest : public QObject
{
    Q_OBJECT
private slots:
    void captionIsProgramNameCapitalised_data();
    void captionIsProgramNameCapitalised();
    void periodAddedAfterCharactersSortingAfterPeriod_data();
    void periodAddedAfterCharactersSortingAfterPeriod();
    void sinkReceivesWhatTheBoxWouldShow();
    void realBoxIsModalCriticalWithOk();
};

void ErrorReportTest::captionIsProgramNameCapitalised_data()
{
    QTest::addColumn<QString>("programFileName");
    QTest::addColumn<QString>("caption");
    QTest::newRow("the program's own name") << "qv418k-config" << "Qv418k-config";
    QTest::newRow("upper case and an extension") << "QV418K-CONFIG.EXE" << "Qv418k-config";
    QTest::newRow("cut at the first of several periods") << "tool.v2.exe" << "Tool";
    QTest::newRow("a one-letter name") << "q" << "Q";
}

void ErrorReportTest::captionIsProgramNameCapitalised()
{
    QFETCH(QString, programFileName);
    QFETCH(QString, caption);
    QCOMPARE(composeErrorReport(programFileName, "Failure").caption, caption);
}

void ErrorReportTest::periodAddedAfterCharactersSortingAfterPeriod_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("text");
    QTest::newRow("a letter gets a period")
        << "Error opening serial port" << "Error opening serial port.";
    QTest::newRow("a trailing blank gets none")
        << "File handle is not a comm handle " << "File handle is not a comm handle ";
    QTest::newRow("a period gets no second one") << "Stopped." << "Stopped.";
    QTest::newRow("a comma sorts before the period") << "a," << "a,";
    QTest::newRow("a hyphen sorts before the period") << "a-" << "a-";
    QTest::newRow("a slash sorts after the period") << "a/" << "a/.";
    QTest::newRow("a digit gets a period") << "code 7" << "code 7.";
    QTest::newRow("a quote sorts before the period") << "'x'" << "'x'";
    QTest::newRow("an empty message stays empty") << "" << "";
}

void ErrorReportTest::periodAddedAfterCharactersSortingAfterPeriod()
{
    QFETCH(QString, message);
    QFETCH(QString, text);
    QCOMPARE(composeErrorReport("qv418k-config", message).text, text);
}

void ErrorReportTest::sinkReceivesWhatTheBoxWouldShow()
{
    QStringList seen;
    setErrorReportSink([&](const QString& caption, const QString& text) {
        seen << caption << text;
    });
    reportError(nullptr, "Error opening serial port");
    setErrorReportSink({});
    // This test program's file name stands in for the application's.
    QCOMPARE(seen, QStringList({"Tst_window_error_report", "Error opening serial port."}));
}

void ErrorReportTest::realBoxIsModalCriticalWithOk()
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption, text;
    bool modal = false;
    QMessageBox::StandardButtons buttons;
    // Looks for the box while it is open, then answers it with OK.
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        QMessageBox* box = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<QMessageBox*>(widget); candidate && candidate->isVisible())
                box = candidate;
        }
        if (!box)
            return;
        answer.stop();
        modal = box->isModal() && QApplication::activeModalWidget() == box;
        icon = box->icon();
        caption = box->windowTitle();
        text = box->text();
        buttons = box->standardButtons();
        box->button(QMessageBox::Ok)->click();
    });
    answer.start(20);
    // Returns only once the box has been closed.
    reportError(nullptr, "Error opening serial port");
    QVERIFY(modal);
    QCOMPARE(icon, QMessageBox::Critical);
    QCOMPARE(caption, QString("Tst_window_error_report"));
    QCOMPARE(text, QString("Error opening serial port."));
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(ErrorReportTest)
#include "tst_error_report.moc"
