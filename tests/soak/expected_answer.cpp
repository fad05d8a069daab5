#include "expected_answer.h"

namespace {

const QByteArray kLineEnd = "\r\n";
const QByteArray kBaudTag = "MR485B:";

QByteArray latin1(const QString& text)
{
    return text.toLatin1();
}

void addSegment(ExpectedAnswer& answer, const QString& text, FieldValues fields)
{
    answer.segments.append({latin1(text), std::move(fields), false});
}

} // namespace

// STQ:001 / MR485B:3,0 / DAV:0,04.00,20.00 / PA1:000 / PA2:000 /
// AD01:100.0,000.0,004.0 / AD02:050.0,000.0,000.0, each line ending in CR LF.
ExpectedAnswer parameterAnswer(const SimSettings& s)
{
    ExpectedAnswer answer;
    answer.cutAtNul = true;
    addSegment(answer, "STQ:" + s["address"], {{"Station", s["address"]}});
    addSegment(answer, latin1(kBaudTag) + s["baud"] + "," + s["parity"],
               {{"MR485BT", s["baud"].toInt()}, {"MR485JN", s["parity"].toInt()}});
    addSegment(answer, "DAV:" + s["variable"] + "," + s["ma4"] + "," + s["ma20"],
               {{"ComboBox1", s["variable"].toInt()}, {"DAVL", s["ma4"]}, {"DAVH", s["ma20"]}});
    addSegment(answer, "PA1:" + s["pz1"], {{"Edit1", s["pz1"]}});
    addSegment(answer, "PA2:" + s["pz2"], {{"Edit2", s["pz2"]}});
    addSegment(answer, "AD01:" + s["ad1urv"] + "," + s["ad1lrv"] + "," + s["ad1start"],
               {{"AD1H", s["ad1urv"]}, {"AD1L", s["ad1lrv"]}, {"AD1LD", s["ad1start"]}});
    addSegment(answer, "AD02:" + s["ad2urv"] + "," + s["ad2lrv"] + "," + s["ad2start"],
               {{"AD2H", s["ad2urv"]}, {"AD2L", s["ad2lrv"]}, {"AD2LD", s["ad2start"]}});
    for (const AnswerSegment& segment : answer.segments)
        answer.bytes += segment.text + kLineEnd;
    return answer;
}

// STC1:001A01:12.000A02:050.00A03:025.00 CR LF: the address, the output current and
// the two inputs, back to back.
ExpectedAnswer statusAnswer(const SimSettings& s)
{
    ExpectedAnswer answer;
    addSegment(answer, "STC1:" + s["address"], {{"Station", s["address"]}});
    addSegment(answer, "A01:" + s["a01"], {{"AD1XS", s["a01"]}});
    addSegment(answer, "A02:" + s["a02"], {{"AD2XS", s["a02"]}});
    addSegment(answer, "A03:" + s["a03"], {{"AD3XS", s["a03"]}});
    for (const AnswerSegment& segment : answer.segments)
        answer.bytes += segment.text;
    answer.bytes += kLineEnd;
    return answer;
}

ExpectedAnswer plainAnswer(const QByteArray& bytes)
{
    return ExpectedAnswer{bytes, {}, false};
}

ExpectedAnswer withBadBaudIndex(ExpectedAnswer answer, char letter)
{
    const qsizetype digit = answer.bytes.indexOf(kBaudTag) + kBaudTag.size();
    answer.bytes[digit] = letter;
    for (AnswerSegment& segment : answer.segments) {
        if (segment.text.startsWith(kBaudTag)) {
            segment.text[kBaudTag.size()] = letter;
            segment.failsConversion = true;
        }
    }
    return answer;
}

QString fixedText(qint64 units, int decimals, int width)
{
    const bool negative = units < 0;
    const qint64 magnitude = negative ? -units : units;
    qint64 scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const QString digits = QString::number(magnitude / scale) + u'.' +
                           QString::number(magnitude % scale).rightJustified(decimals, u'0');
    return (negative ? QStringLiteral("-") : QString()) +
           digits.rightJustified(width - (negative ? 1 : 0), u'0');
}
