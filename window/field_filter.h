#pragma once

#include "key_filter.h"

#include <QObject>

class QInputMethodEvent;
class QKeyEvent;
class QLineEdit;

// Intercepts the characters typed into one entry field, by key or committed by an
// input method, and swallows those its filter refuses before the field inserts them.
// Only typing is filtered: pasted or dropped text and text set by the program reach
// the field unchecked.
class FieldFilter : public QObject
{
    Q_OBJECT
public:
    // Installs itself on the field and is owned by it.
    FieldFilter(qv::FieldFilter filter, QLineEdit* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool refuses(const QKeyEvent& event) const;
    bool filterCommit(const QInputMethodEvent& event);
    // The characters of `text` the filter lets through when typed one after another.
    QString acceptedAsTyped(const QString& text) const;

    qv::FieldFilter m_filter;
    QLineEdit* m_field;
};
