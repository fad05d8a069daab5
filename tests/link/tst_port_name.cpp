#include "port_name.h"

#include <QTest>

using qv::HostSystem;
using qv::PortTarget;
using qv::resolvePortName;

Q_DECLARE_METATYPE(PortTarget::Kind)
Q_DECLARE_METATYPE(HostSystem)

class TestPortName : public QObject
{
    Q_OBJECT
private slots:
    void serialDeviceNames_data();
    void serialDeviceNames();
    void socketAddresses_data();
    void socketAddresses();
    void invalidSocketAddresses_data();
    void invalidSocketAddresses();
    void rfc2217Addresses_data();
    void rfc2217Addresses();
};

void TestPortName::serialDeviceNames_data()
{
    QTest::addColumn<HostSystem>("system");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("device");

    const auto unix = HostSystem::Unix;
    const auto windows = HostSystem::Windows;
    QTest::newRow("COM1 is the first UART on Unix") << unix << "COM1"
                                                    << "/dev/ttyS0";
    QTest::newRow("COM2 is the second UART on Unix") << unix << "COM2"
                                                     << "/dev/ttyS1";
    QTest::newRow("COM19, the last in the list, is ttyS18") << unix << "COM19"
                                                            << "/dev/ttyS18";
    QTest::newRow("COM20 typed by hand is ttyS19") << unix << "COM20"
                                                   << "/dev/ttyS19";
    QTest::newRow("com3 in lower case is ttyS2") << unix << "com3"
                                                 << "/dev/ttyS2";
    QTest::newRow("Com10 in mixed case is ttyS9") << unix << "Com10"
                                                  << "/dev/ttyS9";
    QTest::newRow("COM0 is no COM port, opened as typed") << unix << "COM0"
                                                          << "COM0";
    QTest::newRow("COM01 with a leading zero is opened as typed") << unix << "COM01"
                                                                  << "COM01";
    QTest::newRow("COM with no number is opened as typed") << unix << "COM"
                                                           << "COM";
    QTest::newRow("COM1 followed by a blank is opened as typed") << unix << "COM1 "
                                                                 << "COM1 ";
    QTest::newRow("a USB adapter path is opened as typed") << unix << "/dev/ttyUSB0"
                                                           << "/dev/ttyUSB0";
    QTest::newRow("a bare device name is left for Qt to find in /dev") << unix << "ttyUSB0"
                                                                       << "ttyUSB0";
    QTest::newRow("a pty path is opened as typed") << unix << "/dev/pts/5"
                                                   << "/dev/pts/5";
    QTest::newRow("COM1 stays COM1 on Windows") << windows << "COM1"
                                                << "COM1";
    QTest::newRow("COM12 stays COM12 on Windows") << windows << "COM12"
                                                  << "COM12";
    QTest::newRow("com3 stays as typed on Windows") << windows << "com3"
                                                    << "com3";
}

void TestPortName::serialDeviceNames()
{
    QFETCH(HostSystem, system);
    QFETCH(QString, typed);
    QFETCH(QString, device);

    const PortTarget target = resolvePortName(typed, system);
    QCOMPARE(target.kind, PortTarget::Kind::SerialDevice);
    QCOMPARE(target.device, device);
    QCOMPARE(target.typed, typed);
}

void TestPortName::socketAddresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");

    QTest::newRow("an IPv4 address and port") << "socket://127.0.0.1:4001"
                                              << "127.0.0.1" << 4001;
    QTest::newRow("a host name") << "socket://moxa-7.lab:950"
                                 << "moxa-7.lab" << 950;
    QTest::newRow("the scheme in capitals") << "SOCKET://10.0.0.2:23"
                                            << "10.0.0.2" << 23;
    QTest::newRow("an IPv6 address in brackets") << "socket://[::1]:5000"
                                                 << "::1" << 5000;
    QTest::newRow("the highest port") << "socket://h:65535"
                                      << "h" << 65535;
}

void TestPortName::socketAddresses()
{
    QFETCH(QString, typed);
    QFETCH(QString, host);
    QFETCH(int, port);

    for (HostSystem system : {HostSystem::Unix, HostSystem::Windows}) {
        const PortTarget target = resolvePortName(typed, system);
        QCOMPARE(target.kind, PortTarget::Kind::TcpSocket);
        QCOMPARE(target.host, host);
        QCOMPARE(int(target.port), port);
    }
}

void TestPortName::invalidSocketAddresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");

    QTest::newRow("no port") << "socket://127.0.0.1"
                             << "Cannot connect to socket://127.0.0.1: expected socket://HOST:PORT";
    QTest::newRow("no host") << "socket://:4001"
                             << "Cannot connect to socket://:4001: no host name";
    QTest::newRow("an empty port") << "socket://host:"
                                   << "Cannot connect to socket://host:: invalid port number \"\"";
    QTest::newRow("port zero") << "socket://host:0"
                               << "Cannot connect to socket://host:0: invalid port number \"0\"";
    QTest::newRow("a port beyond 65535")
        << "socket://host:65536"
        << "Cannot connect to socket://host:65536: invalid port number \"65536\"";
    QTest::newRow("a port that is no number")
        << "socket://host:telnet"
        << "Cannot connect to socket://host:telnet: invalid port number \"telnet\"";
    QTest::newRow("nothing after the scheme")
        << "socket://"
        << "Cannot connect to socket://: expected socket://HOST:PORT";
}

void TestPortName::invalidSocketAddresses()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);

    const PortTarget target = resolvePortName(typed);
    QCOMPARE(target.kind, PortTarget::Kind::Invalid);
    QCOMPARE(target.error, message);
}

void TestPortName::rfc2217Addresses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<PortTarget::Kind>("kind");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("error");

    const auto rfc2217 = PortTarget::Kind::Rfc2217;
    const auto invalid = PortTarget::Kind::Invalid;
    QTest::newRow("an IPv4 address and port")
        << "rfc2217://127.0.0.1:4001" << rfc2217 << "127.0.0.1" << 4001 << "";
    QTest::newRow("the scheme in capitals")
        << "RFC2217://ts-3.lab:2001" << rfc2217 << "ts-3.lab" << 2001 << "";
    QTest::newRow("an IPv6 address in brackets")
        << "rfc2217://[::1]:5000" << rfc2217 << "::1" << 5000 << "";
    QTest::newRow("no port names its own scheme")
        << "rfc2217://127.0.0.1" << invalid << "" << 0
        << "Cannot connect to rfc2217://127.0.0.1: expected rfc2217://HOST:PORT";
    QTest::newRow("port zero") << "rfc2217://h:0" << invalid << "" << 0
                               << "Cannot connect to rfc2217://h:0: invalid port number \"0\"";
    QTest::newRow("no host") << "rfc2217://:4001" << invalid << "" << 0
                             << "Cannot connect to rfc2217://:4001: no host name";
}

void TestPortName::rfc2217Addresses()
{
    QFETCH(QString, typed);
    QFETCH(PortTarget::Kind, kind);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(QString, error);

    const PortTarget target = resolvePortName(typed);
    QCOMPARE(target.kind, kind);
    QCOMPARE(target.host, host);
    QCOMPARE(int(target.port), port);
    QCOMPARE(target.error, error);
    QCOMPARE(target.typed, typed);
}

QTEST_GUILESS_MAIN(TestPortName)
#include "tst_port_name.moc"
