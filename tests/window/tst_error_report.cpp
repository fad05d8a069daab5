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
    void captionIsProgramNameWithLowerCaseTail_data();
    void captionIsProgramNameWithLowerCaseTail();
    void periodAddedAfterCharactersSortingAfterPeriod_data();
    void periodAddedAfterCharactersSortingAfterPeriod();
    void sinkReceivesWhatTheBoxWouldShow();
    void realBoxIsModalCriticalWithOk();
};

void ErrorReportTest::captionIsProgramNameWithLowerCaseTail_data()
{
    QTest::addColumn<QString>("programFileName");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char* sentence, const QString& programFileName,
                        const QString& caption) {
        QTest::newRow(sentence) << programFileName << caption;
    };
    row("the program's own name stays as it is", "qv418k-config", "qv418k-config");
    row("upper case and an extension", "QV418K-CONFIG.EXE", "Qv418k-config");
    row("the first character keeps its case", "QV418K.Config", "Qv418k");
    row("a lower-case first character is not raised", "tool.v2.exe", "tool");
    row("a one-letter name", "q", "q");
    row("mixed case after the first", "qV418K-Config", "qv418k-config");
}

void ErrorReportTest::captionIsProgramNameWithLowerCaseTail()
{
    QFETCH(QString, programFileName);
    QFETCH(QString, caption);
    QCOMPARE(composeErrorReport(programFileName, "Failure").caption, caption);
}

void ErrorReportTest::periodAddedAfterCharactersSortingAfterPeriod_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* sentence, const QString& message, const QString& text) {
        QTest::newRow(sentence) << message << text;
    };
    row("a letter gets a period", "Error opening serial port", "Error opening serial port.");
    row("a trailing blank gets none", "File handle is not a comm handle ",
        "File handle is not a comm handle ");
    row("a period gets no second one", "Stopped.", "Stopped.");
    row("a comma sorts before the period", "a,", "a,");
    row("a hyphen sorts before the period", "a-", "a-");
    row("a slash sorts after the period", "a/", "a/.");
    row("a digit gets a period", "code 7", "code 7.");
    row("a quote sorts before the period", "'x'", "'x'");
    row("an empty message stays empty", "", "");
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
    setErrorReportSink(
        [&](const QString& caption, const QString& text) { seen << caption << text; });
    reportError(nullptr, "Error opening serial port");
    setErrorReportSink({});
    // This test program's file name stands in for the application's.
    QCOMPARE(seen, QStringList({"tst_window_error_report", "Error opening serial port."}));
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
            if (auto* candidate = qobject_cast<QMessageBox*>(widget);
                candidate && candidate->isVisible())
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
    QCOMPARE(caption, QString("tst_window_error_report"));
    QCOMPARE(text, QString("Error opening serial port."));
    QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

QTEST_MAIN(ErrorReportTest)
#include "tst_error_report.moc"
