#pragma once

#include <QObject>

class QAction;
class QMenu;
class QPoint;
class Tmainform1;

namespace qv {

class LiveReadingsWindow;

// What the window offers beyond its form, without a control of its own on it: the
// form's context menu and its keyboard shortcuts, and the Live Readings window. The
// menu and the second window are made the first time they are wanted, so the form
// starts as quickly as without them.
class FormExtras : public QObject
{
    Q_OBJECT
public:
    explicit FormExtras(Tmainform1& form);

    void showContextMenu(const QPoint& globalPosition);
    // The menu once it has been shown; null before.
    QMenu* contextMenu() const { return m_menu; }

    void showLiveReadings();
    // The Live Readings window once it has been opened; null before.
    LiveReadingsWindow* liveReadings() const { return m_liveReadings; }

private:
    void stopLiveReadings(const QString& lossMessage);
    QAction* addAction(const QString& text, const QKeySequence& shortcut, const char* name);

    Tmainform1& m_form;
    QAction* m_saveAction;
    QAction* m_loadAction;
    QAction* m_liveReadingsAction;
    QMenu* m_menu = nullptr;
    LiveReadingsWindow* m_liveReadings = nullptr;
};

} // namespace qv
