// Keys typed into the real entry fields of the window.

#include "window_harness.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTest>
#include <QTestEventList>

class FieldFilterTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_harness = std::make_unique<WindowHarness>(); }
    void cleanup() { m_harness.reset(); }

    void typing_data();
    void typing();
    void inputMethodCommit_data();
    void inputMethodCommit();
    void pastedTextIsNotFiltered();

private:
    std::unique_ptr<WindowHarness> m_harness;
};

namespace {

QTestEventList keys(const QString& text)
{
    QTestEventList events;
    events.addKeyClicks(text);
    return events;
}

QTestEventList key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTestEventList events;
    events.addKeyClick(key, modifiers);
    return events;
}

// The list owns its events, so the second list's events are copied, not shared.
QTestEventList operator+(QTestEventList first, const QTestEventList& then)
{
    for (const QTestEvent* event : then)
        first.append(event->clone());
    return first;
}

} // namespace

void FieldFilterTest::typing_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QTestEventList>("typed");
    QTest::addColumn<QString>("after");

    const auto row = [](const char* sentence, const char* field, const QString& before,
                        const QTestEventList& typed, const QString& after) {
        QTest::newRow(sentence) << field << before << typed << after;
    };
    const QTestEventList selectAll = key(Qt::Key_A, Qt::ControlModifier);
    const QTestEventList backspaceAtEnd = key(Qt::Key_End) + key(Qt::Key_Backspace);

    row("DAVL refuses a letter, plus, a blank and a comma", "DAVL", "", keys("a+ ,"), "");
    row("DAVL accepts minus, point and digits", "DAVL", "", keys("-.9"), "-.9");
    row("DAVL does not check the arrangement", "DAVL", "", keys("--1.2"), "--1.2");
    for (const char* field : {"DAVH", "AD1H", "AD1L", "AD1LD", "AD2H", "AD2L", "AD2LD"}) {
        QTest::addRow("%s keeps the digits and drops the letters", field)
            << field << QString() << keys("x7y.8") << QString("7.8");
    }
    row("AD1H holding 1234 accepts a fifth character", "AD1H", "1234", keys("5"), "12345");
    row("AD1H holding 12345 refuses a sixth", "AD1H", "12345", keys("6"), "12345");
    row("AD1H typing stops at five characters", "AD1H", "", keys("1234567"), "12345");
    row("AD1H at its limit accepts backspace", "AD1H", "12345", backspaceAtEnd, "1234");
    row("AD1H at its limit refuses typing over a selection", "AD1H", "12345", selectAll + keys("9"),
        "12345");
    row("AD1H below its limit lets typing replace a selection", "AD1H", "1234",
        selectAll + keys("9"), "9");
    row("AD2LD lets navigation keys through", "AD2LD", "123",
        key(Qt::Key_Home) + keys("9") + key(Qt::Key_Right) + key(Qt::Key_Delete), "913");

    row("Station holding 000 accepts 1", "Station", "000", keys("1"), "0001");
    row("Station holding 123456 refuses another digit", "Station", "123456", keys("7"), "123456");
    row("Station typing stops at six characters", "Station", "", keys("12345678"), "123456");
    row("Station refuses point, minus, letters and blanks", "Station", "12", keys(".-a "), "12");
    row("Station at its limit accepts backspace", "Station", "123456", backspaceAtEnd, "12345");

    // Keypad keys carry the keypad modifier, so Ctrl with one of them is no shortcut:
    // the field inserts its character, which the filter must judge like any other.
    const Qt::KeyboardModifiers ctrlKeypad = Qt::ControlModifier | Qt::KeypadModifier;
    row("DAVL at its limit refuses keypad characters typed with Ctrl", "DAVL", "12345",
        key(Qt::Key_Plus, ctrlKeypad) + key(Qt::Key_6, ctrlKeypad) +
            key(Qt::Key_Asterisk, ctrlKeypad),
        "12345");
    row("DAVL refuses keypad plus typed with Ctrl", "DAVL", "1", key(Qt::Key_Plus, ctrlKeypad),
        "1");
    row("DAVL takes a keypad digit typed with Ctrl", "DAVL", "1", key(Qt::Key_5, ctrlKeypad), "15");
    row("Station refuses keypad minus typed with Ctrl", "Station", "12",
        key(Qt::Key_Minus, ctrlKeypad), "12");
    row("Station refuses a letter typed with Alt", "Station", "12", key(Qt::Key_A, Qt::AltModifier),
        "12");
    // Shortcuts that insert nothing are the field's own business.
    row("DAVL at its limit still copies and pastes with Ctrl+C and Ctrl+V", "DAVL", "12",
        selectAll + key(Qt::Key_C, Qt::ControlModifier) + key(Qt::Key_End) +
            key(Qt::Key_V, Qt::ControlModifier),
        "1212");
    row("Station undoes with Ctrl+Z", "Station", "12",
        key(Qt::Key_End) + keys("3") + key(Qt::Key_Z, Qt::ControlModifier), "12");
    row("Station lets Tab move on without a change", "Station", "12", key(Qt::Key_Tab), "12");

    row("Edit1 takes any character", "Edit1", "", keys("a#, x-"), "a#, x-");
    row("Edit2 takes text beyond five characters", "Edit2", "", keys("1234567"), "1234567");
    row("discomm takes any character", "discomm", "", keys("PP#x"), "PP#x");
}

void FieldFilterTest::typing()
{
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(QTestEventList, typed);
    QFETCH(QString, after);
    auto* edit = m_harness->control<QLineEdit>(qPrintable(field));
    QVERIFY2(edit, qPrintable(field));
    edit->setText(before);
    typed.simulate(edit);
    QCOMPARE(edit->text(), after);
    QVERIFY(m_harness->reports.isEmpty());
}

// Text committed by an input method is judged character by character as if typed: the
// refused characters are left out, the length limit counts the accepted ones.
void FieldFilterTest::inputMethodCommit_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QString>("after");
    const auto row = [](const char* sentence, const char* field, const QString& before,
                        const QString& commit, const QString& after) {
        QTest::newRow(sentence) << field << before << commit << after;
    };
    row("DAVL drops letters and delimiters", "DAVL", "", "ab,#x", "");
    row("DAVL keeps the digits between refused characters", "DAVL", "", "1a2,3", "123");
    row("DAVL stops at five characters", "DAVL", "12", "3456", "12345");
    row("Station refuses a point and a minus", "Station", "7", "-8.9", "789");
    row("Station at its limit refuses everything", "Station", "123456", "7", "123456");
    row("Edit1 takes anything", "Edit1", "", "ab,#x", "ab,#x");
}

void FieldFilterTest::inputMethodCommit()
{
    QFETCH(QString, field);
    QFETCH(QString, before);
    QFETCH(QString, commit);
    QFETCH(QString, after);
    auto* edit = m_harness->control<QLineEdit>(qPrintable(field));
    edit->setText(before);
    QInputMethodEvent event;
    event.setCommitString(commit);
    QApplication::sendEvent(edit, &event);
    QCOMPARE(edit->text(), after);
}

// Pasting (here with its shortcut) and text set by the program pass unchecked.
void FieldFilterTest::pastedTextIsNotFiltered()
{
    auto* edit = m_harness->control<QLineEdit>("AD1H");
    edit->setText("12345");
    edit->selectAll();
    QApplication::clipboard()->setText("abc-1234567");
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QString("abc-1234567"));

    auto* station = m_harness->control<QLineEdit>("Station");
    station->setText("12345678");
    QCOMPARE(station->text(), QString("12345678"));
}

QTEST_MAIN(FieldFilterTest)
#include "tst_field_filter.moc"
