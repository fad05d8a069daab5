#pragma once

#include "port_listing.h"

#include <QComboBox>

#include <functional>

// The COM Port box: its stored items ("COM1".."COM19") first, then the serial ports the
// system reports that those items do not already name ("/dev/ttyUSB0", "COM20", ...).
// The found ports are listed afresh each time the list drops down, so an adapter
// plugged in since shows up and one pulled out goes; what the box shows or the operator
// typed is never changed by that. A found port's description, maker and serial number
// are shown beside its name in the drop-down and as its tool tip; the text taken into
// the box, and opened, is the bare name.
class PortComboBox : public QComboBox
{
    Q_OBJECT
public:
    using PortSource = std::function<QList<qv::FoundPort>()>;

    explicit PortComboBox(QWidget* parent = nullptr);

    // Where the found ports come from: the system's serial ports unless a test says.
    void setPortSource(PortSource source);
    // Lists the found ports again; showPopup() does this before the list drops down.
    void refreshPorts();

    void showPopup() override;

private:
    QList<qv::FoundPort> portsToAdd() const;
    void showDetailsOfCurrentText();

    PortSource m_source;
    int m_storedItemCount = -1; // the items of the form; known once the list first drops
};
