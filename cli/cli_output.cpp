#include "cli_output.h"

#include "int_conversion.h"
#include "readings_csv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <chrono>

namespace qv::cli {

namespace {

QString orDash(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QJsonValue orNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QString quotedText(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

// The address and the fine-tuning values are sent as integers with at least three
// digits, so "7" in a profile reads back as "007": those compare by value.
bool sameValue(const SettingField& field, const QString& a, const QString& b)
{
    const bool integer = field.command == Command::WriteAddress ||
                         field.command == Command::WriteFineTuning1 ||
                         field.command == Command::WriteFineTuning2;
    if (integer) {
        const auto valueA = parseInteger(a.toStdString());
        const auto valueB = parseInteger(b.toStdString());
        if (valueA && valueB) {
            return *valueA == *valueB;
        }
    }
    return a == b;
}

} // namespace

// The rows are the ones the window's Live Readings export writes, less the line end.
QString csvHeader()
{
    return QString::fromStdString(readingsCsvHeader()).chopped(1);
}

QString csvRow(const QDateTime& time, const Readings& readings)
{
    const auto text = [](const QString& value) { return value.toLatin1().toStdString(); };
    const Reading reading{
        std::chrono::system_clock::time_point(std::chrono::milliseconds(time.toMSecsSinceEpoch())),
        text(readings.address), text(readings.utodv), text(readings.ad01), text(readings.ad02)};
    return QString::fromLatin1(readingsCsvRow(reading)).chopped(1);
}

QString portsTable(const QList<FoundPort>& ports)
{
    using Row = std::array<QString, 5>;
    QList<Row> rows = {{"DEVICE", "DESCRIPTION", "MAKER", "SERIAL", "USB"}};
    for (const FoundPort& port : ports) {
        rows.append({port.name, orDash(port.description), orDash(port.manufacturer),
                     orDash(port.serialNumber), orDash(port.usbId())});
    }
    std::array<qsizetype, 5> widths = {};
    for (const Row& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    QString table;
    for (const Row& row : rows) {
        QString line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        }
        table += line + u'\n';
    }
    return table;
}

QByteArray portsJson(const QList<FoundPort>& ports)
{
    QJsonArray array;
    for (const FoundPort& port : ports) {
        array.append(QJsonObject{{"device", port.name},
                                 {"description", orNull(port.description)},
                                 {"manufacturer", orNull(port.manufacturer)},
                                 {"serial_number", orNull(port.serialNumber)},
                                 {"usb_id", orNull(port.usbId())}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QList<SettingDifference> differences(const ProfileSettings& profile,
                                     const ProfileSettings& instrument)
{
    QList<SettingDifference> found;
    for (const SettingField& field : settingFields()) {
        if (!sameValue(field, profile.*field.member, instrument.*field.member)) {
            found.append({QStringLiteral("settings.") + QString::fromLatin1(field.key),
                          profile.*field.member, instrument.*field.member});
        }
    }
    return found;
}

QString differenceLine(const SettingDifference& difference)
{
    return QStringLiteral("%1: profile %2, instrument %3")
        .arg(difference.key, quotedText(difference.profile), quotedText(difference.instrument));
}

} // namespace qv::cli
