// qv418k-config: configuration utility for the QV418K-TR instrument.

#include "mainform1.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    Tmainform1 mainform1;
    mainform1.show();
    return application.exec();
}
