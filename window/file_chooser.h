#pragma once

#include <QString>

#include <functional>

class QWidget;

// The one place the window asks the operator for a file name: the desktop's file
// dialog, or in tests a function that answers instead. An empty name means cancelled.

enum class FileChoice { Open, Save };

QString chooseFile(QWidget* parent, FileChoice choice, const QString& caption,
                   const QString& filter);

// Lets tests answer instead of the dialog; an empty function restores the dialog.
using FileChooser =
    std::function<QString(FileChoice choice, const QString& caption, const QString& filter)>;
void setFileChooser(FileChooser chooser);
