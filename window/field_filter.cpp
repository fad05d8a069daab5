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

namespace {

// Whether the line edit would insert the key's text: shortcuts (Ctrl, Ctrl+Shift) and
// keys whose text is a control character (backspace, Tab, Return, Ctrl+letter) insert
// nothing and are left to the field.
bool insertsText(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    return !event.text().isEmpty() && event.text().front().category() != QChar::Other_Control;
}

} // namespace

// Judges the characters the key would insert, as if typed one after another into the
// field's whole current text (a selection does not count as free room).
bool FieldFilter::refuses(const QKeyEvent& event) const
{
    if (!insertsText(event))
        return false;
    std::size_t length = static_cast<std::size_t>(m_field->text().size());
    for (const char32_t typed : event.text().toUcs4()) {
        if (!qv::filterAccepts(m_filter, typed, length))
            return true;
        ++length;
    }
    return false;
}
