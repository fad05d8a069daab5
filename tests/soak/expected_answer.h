#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <variant>

// What one field of the window should hold: the text of an edit or a label, or the
// selected item index of a combo box.
using FieldValue = std::variant<QString, int>;
// Field values by the control's object name.
using FieldValues = QMap<QString, FieldValue>;

// The simulator's settings and readings by their `show` keys ("address", "ad1urv", "a01").
using SimSettings = QMap<QString, QString>;

// One tagged piece of an answer, as it stands in the answer ("STQ:001", "A01:12.000"),
// and the fields it fills when the window finds it whole.
struct AnswerSegment
{
    QByteArray text;
    FieldValues fields;
    // Its index digit is not a digit: the window reports it and reads no further.
    bool failsConversion = false;

    QByteArray tag() const { return text.left(text.indexOf(':') + 1); }
};

// The answer the simulator gives to a frame, as its settings make it, independently of
// the program's own parser: the bytes on the line and the segments the window fills.
struct ExpectedAnswer
{
    QByteArray bytes;
    QList<AnswerSegment> segments;
    // A parameter answer is searched only up to its first NUL byte.
    bool cutAtNul = false;
};

ExpectedAnswer parameterAnswer(const SimSettings& settings);
ExpectedAnswer statusAnswer(const SimSettings& settings);
// An answer that fills nothing: the identification or a write's acknowledgement.
ExpectedAnswer plainAnswer(const QByteArray& bytes);

// The parameter answer with a letter where the baud-rate digit stands.
ExpectedAnswer withBadBaudIndex(ExpectedAnswer answer, char letter);

// Decimal `units` of 10^-decimals printed like printf's "%0<width>.<decimals>f".
QString fixedText(qint64 units, int decimals, int width);
