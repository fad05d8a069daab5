#include "field_filter.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

FieldFilter::FieldFilter(qv::FieldFilter filter, QLineEdit* field)
    : QObject(field), m_filter(filter), m_field(field)
{
    field->installEventFilter(this);
}

bool FieldFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_field)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress)
        return refuses(*static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::InputMethod)
        return filterCommit(*static_cast<QInputMethodEvent*>(event));
    return false;
}

namespace {

// Whether the line edit inserts the key's text, judged as QLineEdit judges it: a key
// with exactly Ctrl or Ctrl+Shift held inserts nothing (it is a shortcut), but any other
// combination does, so Ctrl with a keypad key (Ctrl+KP_6 carries the keypad modifier
// too) still types its character. Control characters (backspace, Tab, Return) insert
// nothing; formatting characters are inserted whatever the modifiers.
bool insertsText(const QKeyEvent& event)
{
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
        return false;
    if (first.isPrint() || first.category() == QChar::Other_PrivateUse)
        return true;
    return first.isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate();
}

} // namespace

// Judges the characters the key would insert, as if typed one after another into the
// field's whole current text (a selection does not count as free room).
bool FieldFilter::refuses(const QKeyEvent& event) const
{
    if (!insertsText(event))
        return false;
    return acceptedAsTyped(event.text()) != event.text();
}

// Text an input method commits is judged as if each of its characters were typed in
// turn: the refused ones are left out and the rest reach the field, with the same
// preedit and replacement range.
bool FieldFilter::filterCommit(const QInputMethodEvent& event)
{
    const QString accepted = acceptedAsTyped(event.commitString());
    if (accepted == event.commitString())
        return false;
    QInputMethodEvent filtered(event.preeditString(), event.attributes());
    filtered.setCommitString(accepted, event.replacementStart(), event.replacementLength());
    QCoreApplication::sendEvent(m_field, &filtered);
    return true;
}

QString FieldFilter::acceptedAsTyped(const QString& text) const
{
    std::size_t length = static_cast<std::size_t>(m_field->text().size());
    QString accepted;
    for (const char32_t typed : text.toUcs4()) {
        if (!qv::filterAccepts(m_filter, typed, length))
            continue;
        accepted += QString::fromUcs4(&typed, 1);
        ++length;
    }
    return accepted;
}
