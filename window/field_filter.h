#pragma once

#include "key_filter.h"

#include <QObject>

class QKeyEvent;
class QLineEdit;

// Intercepts the characters typed into one entry field and swallows those its filter
// refuses, before the field inserts them. Only typing is filtered: pasted text and
// text set by the program reach the field unchecked.
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

    qv::FieldFilter m_filter;
    QLineEdit* m_field;
};
