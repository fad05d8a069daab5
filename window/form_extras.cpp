#include "form_extras.h"

#include "live_poller.h"
#include "live_readings_window.h"
#include "mainform1.h"
#include "serial_link.h"
#include "settings_files.h"

#include <QAction>
#include <QMenu>

namespace qv {

FormExtras::FormExtras(Tmainform1& form) : QObject(&form), m_form(form)
{
    // Made before the form connects its own handler, which shows the loss in a modal box:
    // live polling stops first, and says why, instead of finding the port closed later.
    connect(&form.link(), &SerialLink::connectionLost, this, &FormExtras::stopLiveReadings);
    m_saveAction = addAction(tr("Save Settings As..."), QKeySequence(Qt::CTRL | Qt::Key_S),
                             "actionSaveSettings");
    connect(m_saveAction, &QAction::triggered, this, [this] { saveSettingsAs(m_form); });
    m_loadAction =
        addAction(tr("Load Settings..."), QKeySequence(Qt::CTRL | Qt::Key_O), "actionLoadSettings");
    connect(m_loadAction, &QAction::triggered, this, [this] { loadSettings(m_form); });
    m_liveReadingsAction =
        addAction(tr("Live Readings..."), QKeySequence(Qt::CTRL | Qt::Key_L), "actionLiveReadings");
    connect(m_liveReadingsAction, &QAction::triggered, this, &FormExtras::showLiveReadings);
}

// The action's shortcut works anywhere in the form's window from the start.
QAction* FormExtras::addAction(const QString& text, const QKeySequence& shortcut, const char* name)
{
    auto* action = new QAction(text, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    m_form.addAction(action);
    return action;
}

void FormExtras::stopLiveReadings(const QString& lossMessage)
{
    if (m_liveReadings != nullptr)
        m_liveReadings->poller().portLost(lossMessage);
}

void FormExtras::showContextMenu(const QPoint& globalPosition)
{
    if (m_menu == nullptr) {
        m_menu = new QMenu(&m_form);
        m_menu->setObjectName(QStringLiteral("formContextMenu"));
        m_menu->addAction(m_saveAction);
        m_menu->addAction(m_loadAction);
        m_menu->addSeparator();
        m_menu->addAction(m_liveReadingsAction);
    }
    m_menu->popup(globalPosition);
}

void FormExtras::showLiveReadings()
{
    if (m_liveReadings == nullptr)
        m_liveReadings = new LiveReadingsWindow(
            m_form.link(), [this] { m_form.requestRealTimeData(); }, &m_form);
    m_liveReadings->showAndStart();
}

} // namespace qv
