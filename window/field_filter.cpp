#include "field_filter.h"

#include <QKeyEvent>
#include <QLineEdit>

FieldFilter::FieldFilter(qv::FieldFilter filter, QLineEdit* field)
    : QObject(field), m_filter(filter), m_field(field)
{
    field->installEventFilter(this);
}

bool FieldFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress)
        return refuses(*static_cast<QKeyEvent*>(event));
    return QObject::eventFilter(watched, event);
}

// Judges the characters the key would insert, as if typed one after another into the
// field's whole current text (a selection does not count as free room). Keys that
// insert nothing, such as Tab, Return, arrows and clipboard shortcuts, are not
// characters for the field and pass untouched, and so does backspace.
bool FieldFilter::refuses(const QKeyEvent& event) const
{
    if (event.key() == Qt::Key_Backspace)
        return false;
    std::size_t length = static_cast<std::size_t>(m_field->text().size());
    for (const char32_t typed : event.text().toUcs4()) {
        if (!QChar::isPrint(typed))
            continue;
        if (!qv::filterAccepts(m_filter, typed, length))
            return true;
        ++length;
    }
    return false;
}
