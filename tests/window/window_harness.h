#pragma once

#include "mainform1.h"
#include "pty_pair.h"

#include <QList>
#include <QString>

#include <memory>

class QAbstractButton;

// One error report as the operator would have seen it.
struct ShownReport
{
    QString caption;
    QString text;
};

// The main window under test, with its error reports captured instead of shown.
class WindowHarness
{
public:
    WindowHarness();
    ~WindowHarness();

    Tmainform1& window() { return *m_window; }

    template <typename Widget> Widget* control(const char* name) const
    {
        return m_window->findChild<Widget*>(QString::fromLatin1(name));
    }

    // Presses a button with the mouse, as the operator does.
    void click(const char* buttonName);
    // Types the pty's path into the port box and presses "Open"; true once the
    // window shows the port open.
    bool openOn(const PtyPair& pty);

    QStringList reportTexts() const;
    QList<ShownReport> reports;

private:
    std::unique_ptr<Tmainform1> m_window;
};
