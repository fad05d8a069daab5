// What the window offers beyond its form: the context menu and shortcuts, the port name
// given at start, the COM Port box's found ports, and settings to and from files.

#include "file_chooser.h"
#include "form_extras.h"
#include "live_readings_window.h"
#include "port_combo_box.h"
#include "window_harness.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QStringList kComItems = [] {
    QStringList items;
    for (int port = 1; port <= 19; ++port)
        items << QString("COM%1").arg(port);
    return items;
}();

qv::FoundPort port(const QString& name, const QString& description = {},
                   const QString& manufacturer = {}, const QString& serial = {})
{
    qv::FoundPort found;
    found.name = name;
    found.description = description;
    found.manufacturer = manufacturer;
    found.serialNumber = serial;
    return found;
}

const qv::FoundPort kFtdi = port("/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3XYZ");
const qv::FoundPort kAcm = port("/dev/ttyACM0", "USB Serial", "", "");
const qv::FoundPort kLegacy = port("/dev/ttyS0"); // COM1 names it already
const qv::FoundPort kCh340 = port("/dev/ttyUSB1", "USB2.0-Serial", "QinHeng", "");

QStringList itemTexts(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

// A complete, valid profile with one setting replaced by a raw JSON text.
QByteArray profileWith(const QByteArray& key, const QByteArray& jsonValue)
{
    QByteArray settings = R"({"address":"042","baud_rate":"19200","parity":"Even",)"
                          R"("output_variable":"1 AD2","output_4ma":"03.50","output_20ma":"19.50",)"
                          R"("ad1_urv":"200.0","ad1_lrv":"-10.0","ad1_start":"001.0",)"
                          R"("ad2_urv":"080.0","ad2_lrv":"005.0","ad2_start":"002.0",)"
                          R"("ad1_fine_tuning":"012","ad2_fine_tuning":"105"})";
    if (!key.isEmpty()) {
        const qsizetype at = settings.indexOf("\"" + key + "\":");
        const qsizetype valueStart = at + key.size() + 3;
        const qsizetype valueEnd = settings.indexOf('"', valueStart + 1) + 1;
        settings.replace(valueStart, valueEnd - valueStart, jsonValue);
    }
    return R"({"format":"qv418k-profile","version":1,"model":"QV418K-TR","read_at":null,)"
           R"("read_from":null,"identification":null,"settings":)" +
           settings + "}";
}

} // namespace

class FormExtrasTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void nothingExtraIsMadeAtStart();
    void contextMenuOffersTheExtras_data();
    void contextMenuOffersTheExtras();
    void shortcutsWork();
    void closingTheFormEndsTheProgramWithLiveReadingsOpen();
    void portNameGivenAtStartIsTypedNotOpened();

    void foundPortsFollowTheComItems_data();
    void foundPortsFollowTheComItems();
    void foundPortShowsDetailsButOpensItsBareName();
    void refreshNeverChangesTheTextInTheBox_data();
    void refreshNeverChangesTheTextInTheBox();

    void saveThenLoadRestoresEveryField();
    void loadFillsFieldsAndSendsNothing();
    void badFileChangesNoField_data();
    void badFileChangesNoField();
    void saveRefusesFieldsAProfileCannotHold();

private:
    Tmainform1& window() { return m_harness->window(); }
    PortComboBox* portBox() { return m_harness->control<PortComboBox>("SPREALCOM"); }
    void answerFileDialogWith(const QString& path)
    {
        setFileChooser([path](FileChoice, const QString&, const QString&) { return path; });
    }
    void fillDistinctFields();

    std::unique_ptr<WindowHarness> m_harness;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void FormExtrasTest::init()
{
    m_harness = std::make_unique<WindowHarness>();
    m_folder = std::make_unique<QTemporaryDir>();
}

void FormExtrasTest::cleanup()
{
    setFileChooser({});
    m_harness.reset();
    m_folder.reset();
}

// Distinct from the initial values in every one of the 14 fields.
void FormExtrasTest::fillDistinctFields()
{
    qv::FieldSnapshot fields;
    fields.station = "042";
    fields.baudIndex = 4;
    fields.parityIndex = 2;
    fields.outputVariableIndex = 1;
    fields.davl = "03.50";
    fields.davh = "19.50";
    fields.ad1h = "200.0";
    fields.ad1l = "-10.0";
    fields.ad1ld = "001.0";
    fields.ad2h = "080.0";
    fields.ad2l = "005.0";
    fields.ad2ld = "002.0";
    fields.edit1 = "012";
    fields.edit2 = "105";
    window().setFields(fields);
}

void FormExtrasTest::nothingExtraIsMadeAtStart()
{
    QVERIFY(window().extras().contextMenu() == nullptr);
    QVERIFY(window().extras().liveReadings() == nullptr);
    QVERIFY(window().findChildren<QMenu*>().isEmpty());
    QCOMPARE(itemTexts(portBox()), kComItems);
}

void FormExtrasTest::contextMenuOffersTheExtras_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("on the form's background") << "Tmainform1";
    QTest::newRow("on a group box") << "GroupBox14";
    QTest::newRow("on a label") << "Label59";
}

void FormExtrasTest::contextMenuOffersTheExtras()
{
    QFETCH(QString, target);
    QWidget* widget = target == "Tmainform1" ? &window() : window().findChild<QWidget*>(target);
    QVERIFY(widget);
    const QPoint at(2, 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);

    QMenu* menu = window().extras().contextMenu();
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QStringList entries;
    for (QAction* action : menu->actions())
        entries << (action->isSeparator() ? QString("---")
                                          : action->text() + " " + action->shortcut().toString());
    QCOMPARE(entries, (QStringList{"Save Settings As... Ctrl+S", "Load Settings... Ctrl+O", "---",
                                   "Live Readings... Ctrl+L"}));
    menu->close();
}

void FormExtrasTest::shortcutsWork()
{
    QApplication::setActiveWindow(&window());
    QVERIFY(QTest::qWaitForWindowActive(&window()));

    QTest::keyClick(&window(), Qt::Key_L, Qt::ControlModifier);
    QVERIFY(window().extras().liveReadings());
    QVERIFY(window().extras().liveReadings()->isVisible());
    QCOMPARE(m_harness->reportTexts(), QStringList{}); // port closed: stops, says so there
    window().extras().liveReadings()->close();

    const QString path = m_folder->filePath("unit.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(profileWith({}, {}));
    file.close();
    QStringList asked;
    setFileChooser([&](FileChoice choice, const QString& caption, const QString&) {
        asked << QString("%1 %2").arg(choice == FileChoice::Open ? "open" : "save", caption);
        return choice == FileChoice::Open ? path : QString();
    });
    QApplication::setActiveWindow(&window());
    QTest::keyClick(m_harness->control<QLineEdit>("AD1H"), Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(m_harness->control<QLineEdit>("AD1H")->text(), QString("200.0"));
    QTest::keyClick(m_harness->control<QLineEdit>("AD1H"), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(asked, (QStringList{"open Load Settings", "save Save Settings As"}));
}

// Closing the form ends the program, as it always has: the Live Readings window does
// not keep it running. The program's event loop runs here as in main(); it ends with 0
// when the last window closes, and with 1 if it is still running after two seconds.
void FormExtrasTest::closingTheFormEndsTheProgramWithLiveReadingsOpen()
{
    window().extras().showLiveReadings();
    QVERIFY(window().extras().liveReadings()->isVisible());
    QTimer::singleShot(0, &window(), &QWidget::close);
    QTimer::singleShot(2000, qApp, [] { QCoreApplication::exit(1); });
    QCOMPARE(QApplication::exec(), 0);
}

void FormExtrasTest::portNameGivenAtStartIsTypedNotOpened()
{
    window().setPortName("/dev/ttyUSB3");
    QCOMPARE(portBox()->currentText(), QString("/dev/ttyUSB3"));
    QCOMPARE(itemTexts(portBox()), kComItems);
    QVERIFY(!window().PortOpen());
    QCOMPARE(m_harness->control<QPushButton>("Button10")->text(), QString("Open"));
}

void FormExtrasTest::foundPortsFollowTheComItems_data()
{
    QTest::addColumn<QList<qv::FoundPort>>("found");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("no ports found: the COM items alone") << QList<qv::FoundPort>{} << QStringList{};
    QTest::newRow("USB adapters follow in the listing's order")
        << QList<qv::FoundPort>{kAcm, kFtdi} << QStringList{"/dev/ttyACM0", "/dev/ttyUSB0"};
    QTest::newRow("a port a COM item names is not repeated")
        << QList<qv::FoundPort>{kLegacy, kFtdi, port("/dev/ttyS18"), port("/dev/ttyS19")}
        << QStringList{"/dev/ttyUSB0", "/dev/ttyS19"};
    QTest::newRow("a port listed twice is added once")
        << QList<qv::FoundPort>{kFtdi, kFtdi} << QStringList{"/dev/ttyUSB0"};
}

void FormExtrasTest::foundPortsFollowTheComItems()
{
    QFETCH(QList<qv::FoundPort>, found);
    QFETCH(QStringList, added);
    portBox()->setPortSource([found] { return found; });
    portBox()->showPopup();
    QCOMPARE(itemTexts(portBox()), kComItems + added);
    QCOMPARE(portBox()->currentIndex(), 0);
    QCOMPARE(portBox()->currentText(), QString("COM1"));
    portBox()->hidePopup();
}

void FormExtrasTest::foundPortShowsDetailsButOpensItsBareName()
{
    portBox()->setPortSource([] { return QList<qv::FoundPort>{kFtdi, kAcm}; });
    portBox()->showPopup();
    const QModelIndex row = portBox()->model()->index(19, 0);
    QCOMPARE(row.data(Qt::DisplayRole).toString(),
             QString("/dev/ttyUSB0  \u2014  FT232R USB UART, FTDI, serial A10K3XYZ"));
    QCOMPARE(row.data(Qt::ToolTipRole).toString(),
             QString("FT232R USB UART, FTDI, serial A10K3XYZ"));
    QCOMPARE(portBox()->model()->index(0, 0).data(Qt::DisplayRole).toString(), QString("COM1"));

    // Picked from the list with the keyboard, as the operator does.
    QWidget* list = portBox()->view();
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(portBox()->currentText(), QString("/dev/ttyUSB0"));
    QCOMPARE(portBox()->toolTip(), QString("FT232R USB UART, FTDI, serial A10K3XYZ"));
}

void FormExtrasTest::refreshNeverChangesTheTextInTheBox_data()
{
    QTest::addColumn<QString>("chosen"); // picked from the list
    QTest::addColumn<QString>("typed");  // typed afterwards, when not empty
    QTest::addColumn<QList<qv::FoundPort>>("after");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("a picked adapter that is pulled out stays in the box")
        << "/dev/ttyUSB0"
        << "" << QList<qv::FoundPort>{kAcm} << QStringList{"/dev/ttyACM0"};
    QTest::newRow("a picked adapter stays picked when another is plugged in")
        << "/dev/ttyUSB0"
        << "" << QList<qv::FoundPort>{kFtdi, kCh340, kAcm}
        << QStringList{"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0"};
    QTest::newRow("a typed name stays when every adapter goes")
        << ""
        << "/dev/ttyXRUSB0" << QList<qv::FoundPort>{} << QStringList{};
    QTest::newRow("a picked COM item stays picked")
        << "COM7"
        << "" << QList<qv::FoundPort>{kCh340} << QStringList{"/dev/ttyUSB1"};
}

void FormExtrasTest::refreshNeverChangesTheTextInTheBox()
{
    QFETCH(QString, chosen);
    QFETCH(QString, typed);
    QFETCH(QList<qv::FoundPort>, after);
    QFETCH(QStringList, added);
    QList<qv::FoundPort> found{kFtdi, kAcm};
    portBox()->setPortSource([&found] { return found; });
    portBox()->showPopup();
    portBox()->hidePopup();
    if (!chosen.isEmpty())
        portBox()->setCurrentIndex(portBox()->findData(chosen, Qt::EditRole));
    if (!typed.isEmpty()) {
        portBox()->lineEdit()->selectAll();
        QTest::keyClicks(portBox()->lineEdit(), typed);
    }
    const QString before = portBox()->currentText();
    QCOMPARE(before, typed.isEmpty() ? chosen : typed);

    found = after;
    portBox()->showPopup();
    QCOMPARE(itemTexts(portBox()), kComItems + added);
    QCOMPARE(portBox()->currentText(), before);
    if (itemTexts(portBox()).contains(before))
        QCOMPARE(portBox()->itemText(portBox()->currentIndex()), before);
    portBox()->hidePopup();
}

void FormExtrasTest::saveThenLoadRestoresEveryField()
{
    fillDistinctFields();
    const qv::FieldSnapshot saved = window().fields();
    const QString path = m_folder->filePath("golden.json");
    answerFileDialogWith(path);
    window().findChild<QAction*>("actionSaveSettings")->trigger();
    QCOMPARE(m_harness->reportTexts(), QStringList{});
    QVERIFY(QFile::exists(path));

    WindowHarness second;
    setFileChooser([path](FileChoice, const QString&, const QString&) { return path; });
    second.window().findChild<QAction*>("actionLoadSettings")->trigger();
    QCOMPARE(second.reportTexts(), QStringList{});
    const qv::FieldSnapshot loaded = second.window().fields();
    QCOMPARE(QString::fromStdString(loaded.ad2ld), QString("002.0"));
    QVERIFY(loaded.station == saved.station && loaded.baudIndex == saved.baudIndex &&
            loaded.parityIndex == saved.parityIndex &&
            loaded.outputVariableIndex == saved.outputVariableIndex && loaded.davl == saved.davl &&
            loaded.davh == saved.davh && loaded.ad1h == saved.ad1h && loaded.ad1l == saved.ad1l &&
            loaded.ad1ld == saved.ad1ld && loaded.ad2h == saved.ad2h && loaded.ad2l == saved.ad2l &&
            loaded.ad2ld == saved.ad2ld && loaded.edit1 == saved.edit1 &&
            loaded.edit2 == saved.edit2);
    QCOMPARE(second.control<QComboBox>("MR485BT")->currentText(), QString("19200"));
    QCOMPARE(second.control<QComboBox>("MR485JN")->currentText(), QString("Even"));
}

// Loading touches the fields only: no frame is sent, the views keep what they showed.
void FormExtrasTest::loadFillsFieldsAndSendsNothing()
{
    PtyPair pty;
    QVERIFY(m_harness->openOn(pty));
    const QString path = m_folder->filePath("unit.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(profileWith({}, {}));
    file.close();
    answerFileDialogWith(path);
    window().findChild<QAction*>("actionLoadSettings")->trigger();
    QCOMPARE(m_harness->control<QLineEdit>("Station")->text(), QString("042"));
    QCOMPARE(m_harness->control<QComboBox>("ComboBox1")->currentText(), QString("1 AD2"));
    QCOMPARE(m_harness->control<QLineEdit>("discomm")->text(), QString());
    QTest::qWait(200);
    QCOMPARE(pty.takeReceived(), QByteArray());
}

void FormExtrasTest::badFileChangesNoField_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("named"); // the report names this
    QTest::newRow("not JSON") << QByteArray("{\"format\": ") << "bad.json";
    QTest::newRow("a baud rate not in the list")
        << profileWith("baud_rate", "\"9601\"") << "settings.baud_rate = \"9601\"";
    QTest::newRow("a range value with a comma, which would break the frame")
        << profileWith("ad2_lrv", "\"1,0\"") << "settings.ad2_lrv";
    QTest::newRow("an address that is not an integer")
        << profileWith("address", "\"4 2\"") << "settings.address";
    QTest::newRow("a number where text is expected")
        << profileWith("output_4ma", "4.0") << "settings.output_4ma";
    QTest::newRow("another format")
        << profileWith({}, {}).replace("qv418k-profile", "other") << "format";
}

void FormExtrasTest::badFileChangesNoField()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, named);
    fillDistinctFields();
    const qv::FieldSnapshot before = window().fields();
    const QString path = m_folder->filePath("bad.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
    file.close();
    answerFileDialogWith(path);
    window().findChild<QAction*>("actionLoadSettings")->trigger();

    QCOMPARE(m_harness->reports.size(), 1);
    QVERIFY2(m_harness->reports[0].text.contains(named), qPrintable(m_harness->reports[0].text));
    const qv::FieldSnapshot after = window().fields();
    QVERIFY(after.station == before.station && after.baudIndex == before.baudIndex &&
            after.parityIndex == before.parityIndex &&
            after.outputVariableIndex == before.outputVariableIndex && after.davl == before.davl &&
            after.davh == before.davh && after.ad1h == before.ad1h && after.ad1l == before.ad1l &&
            after.ad1ld == before.ad1ld && after.ad2h == before.ad2h && after.ad2l == before.ad2l &&
            after.ad2ld == before.ad2ld && after.edit1 == before.edit1 &&
            after.edit2 == before.edit2);
}

// At start the range and output fields are empty, which no profile holds: every one of
// them is named, and neither a new file nor an earlier one is written.
void FormExtrasTest::saveRefusesFieldsAProfileCannotHold()
{
    const QString path = m_folder->filePath("earlier.json");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("earlier content");
    file.close();
    answerFileDialogWith(path);
    window().findChild<QAction*>("actionSaveSettings")->trigger();

    QCOMPARE(m_harness->reports.size(), 1);
    const QString report = m_harness->reports[0].text;
    for (const char* key : {"output_4ma", "output_20ma", "ad1_urv", "ad1_lrv", "ad1_start",
                            "ad2_urv", "ad2_lrv", "ad2_start"})
        QVERIFY2(report.contains(QString("settings.%1").arg(key)), qPrintable(report));
    QVERIFY2(!report.contains("settings.address"), qPrintable(report));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("earlier content"));
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::Files), QStringList{"earlier.json"});
}

QTEST_MAIN(FormExtrasTest)
#include "tst_form_extras.moc"
