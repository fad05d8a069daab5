// Another program holding a serial port, for the contention tests: opens the port named
// on its command line with QSerialPort (so with the same lock as this program), prints
// "held" and keeps it until its standard input ends, then closes it and exits 0. When
// the port cannot be opened it prints "refused: <reason>" and exits 1.

#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: port_holder PORT\n");
        return 2;
    }
    QSerialPort port;
    port.setPortName(QString::fromLocal8Bit(argv[1]));
    if (!port.open(QIODevice::ReadWrite)) {
        std::printf("refused: %s\n", qPrintable(port.errorString()));
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    char buffer[64];
    while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {
    }
    port.close();
    return 0;
}
