// The window as the operator first sees it: values, lists, captions, places, order of
// the keyboard focus, fonts and colours.

#include "window_harness.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class InitialStateTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_harness = std::make_unique<WindowHarness>(); }
    void cleanup() { m_harness.reset(); }

    void windowTitlePositionAndOuterSize();
    void controlGeometry_data();
    void controlGeometry();
    void labelPosition_data();
    void labelPosition();
    void textValue_data();
    void textValue();
    void comboItemsAndSelection_data();
    void comboItemsAndSelection();
    void buttonsAndPortStartReady();
    void receiveViewIsOneEmptyLineWithBothScrollBars();
    void readingLabelsKeepTheirSize();
    void tabOrderFollowsTheForm();
    void fontsAndColours();
    void logoFillsItsBox();
    void clearBufferEmptiesTheReceiveView();

private:
    std::unique_ptr<WindowHarness> m_harness;
};

void InitialStateTest::windowTitlePositionAndOuterSize()
{
    Tmainform1& window = m_harness->window();
    QCOMPARE(window.objectName(), QString("mainform1"));
    QCOMPARE(window.windowTitle(), QString("QV418K-TR"));
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE(window.frameGeometry().size(), QSize(628, 541));
    QCOMPARE(window.frameGeometry().topLeft(), QPoint(331, 273));
}

void InitialStateTest::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("geometry");
    const auto row = [](const char* name, const char* parent, int x, int y, int w, int h) {
        QTest::newRow(name) << name << parent << QRect(x, y, w, h);
    };
    row("Image1", "mainform1", 8, 8, 81, 33);
    row("Label59", "mainform1", 128, 8, 329, 24);
    row("Button3", "mainform1", 496, 112, 97, 25);
    row("Button32", "mainform1", 496, 160, 97, 25);
    row("Button124", "mainform1", 496, 208, 97, 25);
    row("Label353", "mainform1", 16, 400, 65, 13);
    row("discomm", "mainform1", 88, 400, 505, 21);
    row("Label354", "mainform1", 8, 432, 81, 17);
    row("Memo8", "mainform1", 88, 432, 505, 49);
    row("Button58", "mainform1", 8, 456, 73, 25);
    row("GroupBox3", "mainform1", 24, 40, 441, 57);
    row("Label4", "GroupBox3", 24, 28, 49, 17);
    row("SPREALCOM", "GroupBox3", 80, 24, 73, 21);
    row("Button10", "GroupBox3", 200, 24, 57, 25);
    row("Button14", "GroupBox3", 296, 24, 113, 25);
    row("GroupBox14", "mainform1", 24, 104, 233, 97);
    row("AD1H", "GroupBox14", 40, 32, 41, 21);
    row("AD1L", "GroupBox14", 88, 32, 41, 21);
    row("AD1LD", "GroupBox14", 136, 32, 41, 21);
    row("AD1SET", "GroupBox14", 184, 32, 41, 20);
    row("AD2H", "GroupBox14", 40, 64, 41, 21);
    row("AD2L", "GroupBox14", 88, 64, 41, 21);
    row("AD2LD", "GroupBox14", 136, 64, 41, 21);
    row("AD2SET", "GroupBox14", 184, 64, 41, 20);
    row("GroupBox1", "mainform1", 264, 104, 201, 97);
    row("Edit1", "GroupBox1", 48, 40, 57, 21);
    row("Button1", "GroupBox1", 128, 40, 41, 20);
    row("Edit2", "GroupBox1", 48, 68, 57, 21);
    row("Button2", "GroupBox1", 128, 68, 41, 20);
    row("GroupBox13", "mainform1", 24, 208, 441, 49);
    row("Label92", "GroupBox13", 8, 24, 89, 17);
    row("ComboBox1", "GroupBox13", 104, 16, 65, 21);
    row("DAVL", "GroupBox13", 210, 16, 49, 21);
    row("DAVH", "GroupBox13", 304, 16, 49, 21);
    row("Button52", "GroupBox13", 368, 16, 41, 20);
    row("GroupBox39", "mainform1", 24, 266, 441, 81);
    row("Label8", "GroupBox39", 8, 24, 97, 21);
    row("Station", "GroupBox39", 104, 19, 57, 21);
    row("Button4", "GroupBox39", 368, 16, 41, 20);
    row("MR485BT", "GroupBox39", 104, 48, 73, 21);
    row("MR485JN", "GroupBox39", 248, 48, 73, 21);
    row("Button188", "GroupBox39", 368, 48, 41, 20);
    row("GroupBox2", "mainform1", 24, 352, 441, 41);
    row("AD1XS", "GroupBox2", 64, 16, 33, 13);
    row("AD2XS", "GroupBox2", 216, 16, 33, 13);
    row("AD3XS", "GroupBox2", 360, 16, 33, 13);
}

void InitialStateTest::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, geometry);
    auto* widget = m_harness->window().findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    // A caption label keeps its place and stored size, growing only where its caption
    // needs more (the substitute font runs a little wider than the form's).
    auto* label = qobject_cast<QLabel*>(widget);
    QRect expected = geometry;
    if (label && !label->text().isEmpty() && label->minimumSize() != label->maximumSize())
        expected.setSize(geometry.size().expandedTo(label->sizeHint()));
    QCOMPARE(widget->geometry(), expected);
}

// Labels sized by their text: only their place is fixed.
void InitialStateTest::labelPosition_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QPoint>("position");
    const auto row = [](const char* name, const char* parent, int x, int y) {
        QTest::newRow(name) << name << parent << QPoint(x, y);
    };
    row("Label9", "mainform1", 480, 8);
    row("Label11", "mainform1", 488, 24);
    row("Label10", "mainform1", 480, 40);
    row("Label45", "GroupBox14", 48, 16);
    row("Label46", "GroupBox14", 93, 16);
    row("Label47", "GroupBox14", 133, 16);
    row("Label69", "GroupBox14", 8, 36);
    row("Label70", "GroupBox14", 8, 68);
    row("Label6", "GroupBox1", 72, 8);
    row("Label7", "GroupBox1", 96, 24);
    row("Label1", "GroupBox1", 16, 44);
    row("Label2", "GroupBox1", 16, 72);
    row("Label3", "GroupBox13", 184, 24);
    row("Label5", "GroupBox13", 272, 24);
    row("Label419", "GroupBox39", 32, 52);
    row("Label422", "GroupBox39", 208, 52);
    row("Label289", "GroupBox2", 16, 16);
    row("Label292", "GroupBox2", 184, 16);
    row("Label294", "GroupBox2", 320, 16);
}

void InitialStateTest::labelPosition()
{
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QPoint, position);
    auto* label = m_harness->window().findChild<QLabel*>(name);
    QVERIFY2(label, qPrintable(name));
    QCOMPARE(label->parentWidget()->objectName(), parentName);
    QCOMPARE(label->pos(), position);
    QVERIFY(!label->text().isEmpty());
}

// Every caption and field content of the window, by control.
void InitialStateTest::textValue_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, const QString& text) {
        QTest::newRow(name) << name << text;
    };
    row("Station", "000");
    row("Edit1", "000");
    row("Edit2", "000");
    for (const char* empty :
         {"DAVL", "DAVH", "AD1H", "AD1L", "AD1LD", "AD2H", "AD2L", "AD2LD", "discomm"})
        row(empty, "");
    row("AD1XS", "00000" + QString(17, ' '));
    row("AD2XS", "00000");
    row("AD3XS", "00000");
    row("Label59", "QV418K-TR Configuration Software");
    row("Label353", "Send Buffer:");
    row("Label354", "Receive Buffer:");
    row("Label4", "COM Port:");
    row("Label45", "URV");
    row("Label46", "LRV");
    row("Label47", "Starting Point");
    row("Label69", "AD1:");
    row("Label70", "AD2:");
    row("Label6", ">=100 -(VALE-100)/1000");
    row("Label7", "<100  +VALE/1000");
    row("Label1", "AD1:");
    row("Label2", "AD2:");
    row("Label92", "Variable Selection:");
    row("Label3", "4mA:");
    row("Label5", "20mA:");
    row("Label8", "MODBUS Address:");
    row("Label419", "Baud Rate:");
    row("Label422", "Parity:");
    row("Label289", "UTODV:");
    row("Label292", "AD01:");
    row("Label294", "AD02:");
    row("Button3", "Output Value");
    row("Button32", "Read Parameters");
    row("Button124", "Real-Time Data");
    row("Button58", "Clear Buffer");
    row("Button10", "Open");
    row("Button14", "Communication Test");
    for (const char* set :
         {"AD1SET", "AD2SET", "Button1", "Button2", "Button52", "Button4", "Button188"})
        row(set, "Set");
    row("GroupBox3", "Serial Port Parameter Configuration");
    row("GroupBox14", "AD Channel Configuration");
    row("GroupBox1", "Fine-Tuning");
    row("GroupBox13", "Current Output Configuration");
    row("GroupBox39", "RS485 Communication Parameters");
    row("GroupBox2", "Real-Time Data");
}

void InitialStateTest::textValue()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QObject* control = m_harness->window().findChild<QObject*>(name);
    QVERIFY2(control, qPrintable(name));
    const char* property = qobject_cast<QGroupBox*>(control) ? "title" : "text";
    QCOMPARE(control->property(property).toString(), text);
}

void InitialStateTest::comboItemsAndSelection_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<int>("selected");
    QStringList ports;
    for (int port = 1; port <= 19; ++port)
        ports << QString("COM%1").arg(port);
    QTest::newRow("port list COM1 to COM19, COM1 selected") << "SPREALCOM" << ports << 0;
    QTest::newRow("baud rates, 9600 selected")
        << "MR485BT" << QStringList{"1200", "2400", "4800", "9600", "19200"} << 3;
    QTest::newRow("parities, None selected")
        << "MR485JN" << QStringList{"None", "Odd", "Even"} << 0;
    QTest::newRow("output variables, 0 AD1 selected")
        << "ComboBox1" << QStringList{"0 AD1", "1 AD2"} << 0;
}

void InitialStateTest::comboItemsAndSelection()
{
    QFETCH(QString, name);
    QFETCH(QStringList, items);
    QFETCH(int, selected);
    auto* combo = m_harness->window().findChild<QComboBox*>(name);
    QVERIFY2(combo, qPrintable(name));
    QStringList actual;
    for (int i = 0; i < combo->count(); ++i)
        actual << combo->itemText(i);
    QCOMPARE(actual, items);
    QCOMPARE(combo->currentIndex(), selected);
    QCOMPARE(combo->currentText(), items.at(selected));
    QVERIFY(combo->isEditable());
    QCOMPARE(combo->insertPolicy(), QComboBox::NoInsert);
}

void InitialStateTest::buttonsAndPortStartReady()
{
    QVERIFY(!m_harness->window().PortOpen());
    QVERIFY(m_harness->control<QPushButton>("Button10")->isEnabled());
    QVERIFY(m_harness->control<QComboBox>("SPREALCOM")->isEnabled());
    // "Communication Test" is offered although no port is open yet.
    QVERIFY(m_harness->control<QPushButton>("Button14")->isEnabled());
}

void InitialStateTest::receiveViewIsOneEmptyLineWithBothScrollBars()
{
    auto* memo = m_harness->control<QPlainTextEdit>("Memo8");
    QVERIFY(memo);
    QCOMPARE(memo->toPlainText(), QString());
    QCOMPARE(memo->blockCount(), 1);
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

void InitialStateTest::readingLabelsKeepTheirSize()
{
    for (const char* name : {"AD1XS", "AD2XS", "AD3XS"}) {
        auto* label = m_harness->control<QLabel>(name);
        label->setText("-123.456789 and more text");
        label->adjustSize();
        QCOMPARE(label->size(), QSize(33, 13));
    }
}

// The focus chain of the whole window, each group box's controls where the group stands.
void InitialStateTest::tabOrderFollowsTheForm()
{
    const QStringList expected{"discomm", "Memo8",     "Button58", "DAVL",     "Button52",
                               "DAVH",    "ComboBox1", "MR485BT",  "MR485JN",  "Button188",
                               "Station", "Button4",   "Button32", "AD1LD",    "AD2LD",
                               "AD2L",    "AD1L",      "AD1H",     "AD2H",     "AD1SET",
                               "AD2SET",  "SPREALCOM", "Button10", "Button14", "Button124",
                               "Edit1",   "Button1",   "Button2",  "Edit2",    "Button3"};
    QWidget* first = m_harness->control<QWidget>("discomm");
    QStringList chain;
    QWidget* widget = first;
    do {
        if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(chain, expected);
    for (const QString& name : expected) {
        QVERIFY2(m_harness->control<QWidget>(qPrintable(name))->focusPolicy() & Qt::TabFocus,
                 qPrintable(name));
    }
    // Tab leaves the receive view instead of being typed into it.
    QVERIFY(m_harness->control<QPlainTextEdit>("Memo8")->tabChangesFocus());
}

void InitialStateTest::fontsAndColours()
{
    Tmainform1& window = m_harness->window();
    QCOMPARE(window.font().family(), QString("MS Sans Serif"));
    QCOMPARE(window.font().pointSize(), 8);
    QCOMPARE(m_harness->control<QLineEdit>("Station")->font().family(), QString("MS Sans Serif"));

    auto* heading = m_harness->control<QLabel>("Label59");
    heading->ensurePolished();
    QCOMPARE(heading->font().family(), QString("Arial"));
    QCOMPARE(heading->font().pixelSize(), 19);
    QVERIFY(heading->font().bold());

    const QColor silver(192, 192, 192);
    QCOMPARE(window.palette().color(QPalette::Window), silver);
    QCOMPARE(m_harness->control<QLabel>("Label4")->palette().color(QPalette::WindowText),
             QColor(Qt::black));
    QCOMPARE(m_harness->control<QGroupBox>("GroupBox3")->palette().color(QPalette::WindowText),
             QColor(Qt::black));
    for (const char* blue : {"Button32", "Button124"}) {
        QCOMPARE(m_harness->control<QPushButton>(blue)->palette().color(QPalette::ButtonText),
                 QColor(Qt::blue));
    }
    for (const char* black : {"Button3", "Button10", "Button14", "Button58", "AD1SET"}) {
        QCOMPARE(m_harness->control<QPushButton>(black)->palette().color(QPalette::ButtonText),
                 QColor(Qt::black));
    }
}

void InitialStateTest::logoFillsItsBox()
{
    auto* logo = m_harness->control<QLabel>("Image1");
    QVERIFY(!logo->pixmap().isNull());
    QVERIFY(logo->hasScaledContents());
}

// "Clear Buffer" empties the receive view and nothing else.
void InitialStateTest::clearBufferEmptiesTheReceiveView()
{
    auto* memo = m_harness->control<QPlainTextEdit>("Memo8");
    auto* sent = m_harness->control<QLineEdit>("discomm");
    memo->setPlainText("line one\nline two");
    sent->setText("PPPPPP#VAR#");
    m_harness->click("Button58");
    QCOMPARE(memo->toPlainText(), QString());
    QCOMPARE(sent->text(), QString("PPPPPP#VAR#"));
    QVERIFY(m_harness->reports.isEmpty());
}

QTEST_MAIN(InitialStateTest)
#include "tst_initial_state.moc"
