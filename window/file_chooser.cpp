#include "file_chooser.h"

#include <QFileDialog>

namespace {

FileChooser& chooserForTests()
{
    static FileChooser chooser;
    return chooser;
}

} // namespace

QString chooseFile(QWidget* parent, FileChoice choice, const QString& caption,
                   const QString& filter)
{
    if (chooserForTests())
        return chooserForTests()(choice, caption, filter);
    if (choice == FileChoice::Open)
        return QFileDialog::getOpenFileName(parent, caption, QString(), filter);
    return QFileDialog::getSaveFileName(parent, caption, QString(), filter);
}

void setFileChooser(FileChooser chooser)
{
    chooserForTests() = std::move(chooser);
}
