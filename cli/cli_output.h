#pragma once

#include "answer_values.h"
#include "port_listing.h"
#include "profile.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace qv::cli {

// monitor's CSV (RFC 4180): a header, then one row per answer. A value holding a comma,
// a quote or a line break is quoted, so a row always has five fields.
QString csvHeader(); // "time,address,UTODV,AD01,AD02"
QString csvRow(const QDateTime& time, const Readings& readings);

// ports: an aligned table with a header ("-" for what is unknown), or a JSON array of
// {"device", "description", "manufacturer", "serial_number", "usb_id"} (null when unknown).
QString portsTable(const QList<FoundPort>& ports);
QByteArray portsJson(const QList<FoundPort>& ports);

// A setting whose value on the instrument is not the profile's.
struct SettingDifference
{
    QString key; // "settings.ad1_urv"
    QString profile;
    QString instrument;
    bool operator==(const SettingDifference&) const = default;
};

// In the window's order; empty when they agree.
QList<SettingDifference> differences(const ProfileSettings& profile,
                                     const ProfileSettings& instrument);
// `settings.ad1_urv: profile "120.5", instrument "100.0"`
QString differenceLine(const SettingDifference& difference);

} // namespace qv::cli
