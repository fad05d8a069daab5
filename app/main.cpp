// qv418k-config: configuration utility for the QV418K-TR instrument.

#include "mainform1.h"
#include "start_arguments.h"

#include <QApplication>

#include <cstdio>

namespace {

const QString kVersion = QStringLiteral(QV418K_VERSION);

int printAndExit(const qv::StartRequest& request)
{
    std::fputs(request.output.toLocal8Bit().constData(), request.toStderr ? stderr : stdout);
    return request.exitCode;
}

// Qt takes options of its own (-platform, -style, ...) out of the list only once the
// application exists, which needs a display; a list without options needs neither.
bool holdsOptions(const QStringList& arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith('-'))
            return true;
    }
    return false;
}

QStringList argumentList(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    // --help, --version and a list without options are answered without a display; an
    // option the program does not know may be Qt's, so the list is read again once Qt
    // has taken its own out.
    const QStringList arguments = argumentList(argc, argv);
    qv::StartRequest request = qv::parseStartArguments(arguments, kVersion);
    if (request.action == qv::StartRequest::Action::PrintAndExit &&
        (request.exitCode == 0 || !holdsOptions(arguments)))
        return printAndExit(request);

    QApplication application(argc, argv);
    request = qv::parseStartArguments(QCoreApplication::arguments(), kVersion);
    if (request.action == qv::StartRequest::Action::PrintAndExit)
        return printAndExit(request);

    Tmainform1 mainform1;
    if (!request.portName.isEmpty())
        mainform1.setPortName(request.portName);
    mainform1.show();
    return application.exec();
}
