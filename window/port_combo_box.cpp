#include "port_combo_box.h"

#include "port_name.h"

#include <QLineEdit>
#include <QStandardItemModel>

namespace {

// A found port's details live in this role; the list shows them after its name, while
// the text an editable box takes from an item (its edit role) stays the bare name.
constexpr int kDetailsRole = Qt::UserRole + 1;
const QString kDetailsSeparator = QStringLiteral("  \u2014  ");

class PortListModel : public QStandardItemModel
{
public:
    using QStandardItemModel::QStandardItemModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::DisplayRole) {
            const QString details = QStandardItemModel::data(index, kDetailsRole).toString();
            if (!details.isEmpty())
                return QStandardItemModel::data(index, role).toString() + kDetailsSeparator +
                       details;
        }
        return QStandardItemModel::data(index, role);
    }
};

// The device a name opens, in a form that compares equal for equal devices.
QString deviceOf(const QString& name)
{
    const qv::PortTarget target = qv::resolvePortName(name);
    if (target.kind != qv::PortTarget::Kind::SerialDevice)
        return {};
    return qv::kThisHostSystem == qv::HostSystem::Windows ? target.device.toUpper() : target.device;
}

} // namespace

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent), m_source(&qv::systemSerialPorts)
{
    // Before the form adds its items, so that they live in this model too.
    setModel(new PortListModel(this));
    connect(this, &QComboBox::editTextChanged, this, &PortComboBox::showDetailsOfCurrentText);
}

void PortComboBox::setPortSource(PortSource source)
{
    m_source = std::move(source);
}

void PortComboBox::showPopup()
{
    refreshPorts();
    QComboBox::showPopup();
}

// The ports the stored items do not name already, in the listing's order.
QList<qv::FoundPort> PortComboBox::portsToAdd() const
{
    QStringList named;
    for (int i = 0; i < m_storedItemCount; ++i)
        named.append(deviceOf(itemText(i)));
    QList<qv::FoundPort> ports;
    for (const qv::FoundPort& port : m_source ? m_source() : QList<qv::FoundPort>{}) {
        const QString device = deviceOf(port.name);
        if (!device.isEmpty() && !named.contains(device)) {
            named.append(device);
            ports.append(port);
        }
    }
    return ports;
}

// The rows after the stored items are replaced; the text in the box, the cursor in it,
// and the selected item (when it is still listed) stay as they were.
void PortComboBox::refreshPorts()
{
    if (m_storedItemCount < 0)
        m_storedItemCount = count();
    const QString text = currentText();
    const int cursor = lineEdit() ? lineEdit()->cursorPosition() : 0;
    const int selected = currentIndex();
    const QString selectedName = selected >= 0 ? itemText(selected) : QString();

    const QSignalBlocker quiet(this);
    const QList<qv::FoundPort> ports = portsToAdd();
    if (selected >= m_storedItemCount)
        setCurrentIndex(-1);
    while (count() > m_storedItemCount)
        removeItem(count() - 1);
    for (const qv::FoundPort& port : ports) {
        addItem(port.name);
        setItemData(count() - 1, port.details(), kDetailsRole);
        setItemData(count() - 1, port.details(), Qt::ToolTipRole);
    }
    if (selected >= m_storedItemCount)
        setCurrentIndex(
            findData(selectedName, Qt::EditRole, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (currentText() != text)
        setEditText(text);
    if (lineEdit())
        lineEdit()->setCursorPosition(cursor);
    showDetailsOfCurrentText();
}

// The box's own tool tip tells which adapter its text names, when it names a found one.
void PortComboBox::showDetailsOfCurrentText()
{
    const int row =
        findData(currentText(), Qt::EditRole, Qt::MatchExactly | Qt::MatchCaseSensitive);
    setToolTip(row >= 0 ? itemData(row, kDetailsRole).toString() : QString());
}
