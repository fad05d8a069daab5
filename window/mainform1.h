#pragma once

#include "command_builder.h"
#include "reply_parser.h"
#include "serial_link.h"

#include <QWidget>

#include <memory>

class QComboBox;

namespace qv {
class FormExtras;
}

namespace Ui {
class Tmainform1;
}

// The program's single window: the operator opens the serial link, reads the
// instrument's configuration into the fields, edits them, writes them back group by
// group and asks for readings. The window never touches the port; it drives the
// serial link it owns and reacts to what the link reports.
class Tmainform1 : public QWidget
{
    Q_OBJECT
public:
    explicit Tmainform1(QWidget* parent = nullptr);
    ~Tmainform1() override;

    // True while the Open/Close button reads "Close".
    bool PortOpen() const;
    // The link the window drives, for tests that observe or steer it.
    qv::SerialLink& link() { return m_link; }
    // The context menu, its shortcuts and the Live Readings window.
    qv::FormExtras& extras() { return *m_extras; }

    // Puts a port name into the COM Port box, as if typed (the port is not opened).
    void setPortName(const QString& name);
    // Runs the Real-Time Data command exactly as its button does.
    void requestRealTimeData() { Button124Click(); }
    // The 14 configuration fields, as a command would take them, and filled at once
    // (a list index without an item leaves that list with no selection).
    qv::FieldSnapshot fields() const { return snapshotFields(); }
    void setFields(const qv::FieldSnapshot& fields);

protected:
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void FormCreate();
    void connectCommands();
    void connectLink();
    void applyClassicLook();
    void installFieldFilters();

    // Open/Close toggle and what the link reports about it.
    void Button10Click();
    void linkOpened();
    void linkOpenFailed(const QString& message);
    void linkLost(const QString& message);
    void showClosed();

    // Command buttons.
    void Button14Click() { runCommand(qv::Command::LinkTest); }
    void Button32Click() { runCommand(qv::Command::ParameterRead); }
    void Button124Click() { runCommand(qv::Command::RealTimeData); }
    void Button3Click() { runCommand(qv::Command::OutputValue); }
    void Button4Click() { runCommand(qv::Command::WriteAddress); }
    void Button188Click() { runCommand(qv::Command::WriteRs485); }
    void Button52Click() { runCommand(qv::Command::WriteOutput); }
    void AD1SETClick() { runCommand(qv::Command::WriteAd1Range); }
    void AD2SETClick() { runCommand(qv::Command::WriteAd2Range); }
    void Button1Click() { runCommand(qv::Command::WriteFineTuning1); }
    void Button2Click() { runCommand(qv::Command::WriteFineTuning2); }
    void Button58Click();

    void runCommand(qv::Command command);
    qv::FieldSnapshot snapshotFields() const;

    // Receive view and settle-timer expiry.
    void Comm1ReceiveData();
    void Timer6Timer();
    void apply(const qv::Assignment& assignment);
    QWidget* targetWidget(qv::Target target) const;

    void fitOuterSize();

    std::unique_ptr<Ui::Tmainform1> m_ui;
    qv::SerialLink m_link;
    qv::FormExtras* m_extras;
    bool m_outerSizeFitted = false;
};
