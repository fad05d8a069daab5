#pragma once

#include "mainform1.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

// The instrument's settings as the simulator's `show` names them, and the window field
// that a parameter read fills with each.
struct ParameterField
{
    const char* key;
    const char* field;
};
inline constexpr ParameterField kParameterFields[] = {
    {"address", "Station"}, {"baud", "MR485BT"},   {"parity", "MR485JN"}, {"variable", "ComboBox1"},
    {"ma4", "DAVL"},        {"ma20", "DAVH"},      {"pz1", "Edit1"},      {"pz2", "Edit2"},
    {"ad1urv", "AD1H"},     {"ad1lrv", "AD1L"},    {"ad1start", "AD1LD"}, {"ad2urv", "AD2H"},
    {"ad2lrv", "AD2L"},     {"ad2start", "AD2LD"},
};

// The parameter settings among `values`, one "key=value" each, in `show` order: a form
// that QCOMPARE prints whole when two sets differ.
QString parameterLine(const QMap<QString, QString>& values);

// The real main window, worked only through its controls, as an operator works it: keys
// typed into fields, buttons clicked with the mouse, list items picked with the arrow
// keys. Every error report it shows is captured instead of opening a box.
class WindowOperator
{
public:
    WindowOperator();
    ~WindowOperator();

    Tmainform1& window() { return *m_window; }

    template <typename Widget> Widget* control(const char* name) const
    {
        return m_window->findChild<Widget*>(QString::fromLatin1(name));
    }

    // Types the address into the COM Port box, presses "Open" and waits for "Close".
    bool open(const QString& address);
    void click(const char* buttonName);
    // Empties the field (select all, backspace) and types the text key by key.
    void retype(const char* fieldName, const QString& text);
    // Moves the list's selection with the arrow keys until it shows the item.
    bool pick(const char* comboName, const QString& item);

    // What the control shows: an edit's or label's text, a button's caption, the receive
    // view's lines.
    QString shown(const char* name) const;
    // What a parameter read fills, key by key: a list's selected index, a field's text.
    QMap<QString, QString> parameters() const;

    const QStringList& reports() const { return m_reports; }
    // The reports seen so far; afterwards the list is empty again.
    QStringList takeReports();

private:
    std::unique_ptr<Tmainform1> m_window;
    QStringList m_reports;
};
