#pragma once

#include <QString>

#include <functional>

class QWidget;

// The one way every failure is shown to the operator: a modal error box.

struct ErrorReport
{
    QString caption;
    QString text;
};

// The box's caption and text: the caption is the program file's name up to its first
// period, capitalised ("qv418k-config" -> "Qv418k-config"); the text is the message,
// with a period added when its last character sorts after "." (so a message ending in a
// blank or a period gets none).
ErrorReport composeErrorReport(const QString& programFileName, const QString& message);

// Shows the message in a modal box with the error icon and an OK button, captioned
// with this program's name, and returns when the operator has closed it.
void reportError(QWidget* parent, const QString& message);

// Lets tests capture reports instead of showing the box; an empty function restores it.
using ErrorReportSink = std::function<void(const QString& caption, const QString& text)>;
void setErrorReportSink(ErrorReportSink sink);
