#include "port_listing.h"

#include <QTest>

using qv::FoundPort;

Q_DECLARE_METATYPE(std::optional<quint16>)

namespace {

FoundPort named(const QString& name, const QString& description = {})
{
    FoundPort port;
    port.name = name;
    port.description = description;
    return port;
}

QStringList names(const QList<FoundPort>& ports)
{
    QStringList out;
    for (const FoundPort& port : ports) {
        out << port.name;
    }
    return out;
}

} // namespace

class TestPortListing : public QObject
{
    Q_OBJECT
private slots:
    void order_data();
    void order();
    void repeatedNameKeepsTheFirstEntry();
    void usbId_data();
    void usbId();
    void details_data();
    void details();
    void systemListIsOrderedAndNamed();
};

void TestPortListing::order_data()
{
    QTest::addColumn<QStringList>("reported");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("numbers compare by value")
        << QStringList{"/dev/ttyUSB10", "/dev/ttyUSB2", "/dev/ttyUSB1"}
        << QStringList{"/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB10"};
    QTest::newRow("kinds of device by name")
        << QStringList{"/dev/ttyUSB0", "/dev/ttyS0", "/dev/ttyACM0"}
        << QStringList{"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB0"};
    QTest::newRow("Windows COM20 after COM3")
        << QStringList{"COM20", "COM3"} << QStringList{"COM3", "COM20"};
    QTest::newRow("an entry without a name is left out")
        << QStringList{"", "/dev/ttyUSB0"} << QStringList{"/dev/ttyUSB0"};
    QTest::newRow("nothing reported") << QStringList{} << QStringList{};
}

void TestPortListing::order()
{
    QFETCH(QStringList, reported);
    QFETCH(QStringList, shown);
    QList<FoundPort> ports;
    for (const QString& name : reported) {
        ports << named(name);
    }
    QCOMPARE(names(qv::orderedPorts(ports)), shown);
}

void TestPortListing::repeatedNameKeepsTheFirstEntry()
{
    const QList<FoundPort> ports = qv::orderedPorts(
        {named("/dev/ttyUSB0", "first"), named("/dev/ttyACM0"), named("/dev/ttyUSB0", "second")});
    QCOMPARE(ports.size(), 2);
    QCOMPARE(ports[1].description, QStringLiteral("first"));
}

void TestPortListing::usbId_data()
{
    QTest::addColumn<std::optional<quint16>>("vendor");
    QTest::addColumn<std::optional<quint16>>("product");
    QTest::addColumn<QString>("shown");

    using Id = std::optional<quint16>;
    QTest::newRow("both known, four hex digits each") << Id(0x0403) << Id(0x6001) << "0403:6001";
    QTest::newRow("lower case hex") << Id(0x1A86) << Id(0x7523) << "1a86:7523";
    QTest::newRow("zero is a real identifier") << Id(0) << Id(0) << "0000:0000";
    QTest::newRow("vendor only") << Id(0x0403) << Id() << "";
    QTest::newRow("not a USB device") << Id() << Id() << "";
}

void TestPortListing::usbId()
{
    QFETCH(std::optional<quint16>, vendor);
    QFETCH(std::optional<quint16>, product);
    QFETCH(QString, shown);
    FoundPort port = named("/dev/ttyUSB0");
    port.vendorId = vendor;
    port.productId = product;
    QCOMPARE(port.usbId(), shown);
}

void TestPortListing::details_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("manufacturer");
    QTest::addColumn<QString>("serialNumber");
    QTest::addColumn<QString>("shown");

    QTest::newRow("all three") << "FT232R USB UART"
                               << "FTDI"
                               << "A10K3XYZ"
                               << "FT232R USB UART, FTDI, serial A10K3XYZ";
    QTest::newRow("serial number only") << ""
                                        << ""
                                        << "0001"
                                        << "serial 0001";
    QTest::newRow("a legacy UART tells nothing") << ""
                                                 << ""
                                                 << ""
                                                 << "";
}

void TestPortListing::details()
{
    QFETCH(QString, description);
    QFETCH(QString, manufacturer);
    QFETCH(QString, serialNumber);
    QFETCH(QString, shown);
    FoundPort port = named("/dev/ttyUSB0", description);
    port.manufacturer = manufacturer;
    port.serialNumber = serialNumber;
    QCOMPARE(port.details(), shown);
}

// Whatever this machine has: every port has a name to open, and the list is in order.
void TestPortListing::systemListIsOrderedAndNamed()
{
    const QList<FoundPort> ports = qv::systemSerialPorts();
    QCOMPARE(qv::orderedPorts(ports), ports);
    for (const FoundPort& port : ports) {
        QVERIFY(!port.name.isEmpty());
#ifndef Q_OS_WIN
        QVERIFY2(port.name.startsWith('/'), qPrintable(port.name));
#endif
    }
}

QTEST_GUILESS_MAIN(TestPortListing)
#include "tst_port_listing.moc"
