#include "error_report.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {

// Messages whose last character sorts after this one end with an added period.
constexpr QChar kSentenceEnd = u'.';

ErrorReportSink& reportSink()
{
    static ErrorReportSink sink;
    return sink;
}

// The program file's name up to its first period, every character after the first in
// lower case; the first is kept as it stands ("QV418K.Config" gives "Qv418k").
QString applicationTitle(const QString& programFileName)
{
    const QString stem = programFileName.section(u'.', 0, 0);
    return stem.left(1) + stem.mid(1).toLower();
}

QString sentence(const QString& message)
{
    if (!message.isEmpty() && message.back() > kSentenceEnd)
        return message + kSentenceEnd;
    return message;
}

} // namespace

ErrorReport composeErrorReport(const QString& programFileName, const QString& message)
{
    return {applicationTitle(programFileName), sentence(message)};
}

void reportError(QWidget* parent, const QString& message)
{
    const QString programFileName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const ErrorReport report = composeErrorReport(programFileName, message);
    if (reportSink()) {
        reportSink()(report.caption, report.text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, report.caption, report.text, QMessageBox::Ok, parent);
    box.exec();
}

void setErrorReportSink(ErrorReportSink sink)
{
    reportSink() = std::move(sink);
}
