#pragma once

#include "profile.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace qv::cli {

// The settings a parameter answer holds, as the window shows them after "Read
// Parameters": its extraction applied to the window's initial values. Empty when a
// digit fails to convert or a tag is missing; `problem` then says which.
std::optional<ProfileSettings> settingsFromAnswer(const QByteArray& answer, QString* problem);

// The readings of a status answer, as the window's labels show them; a tag that is not
// there leaves its value empty.
struct Readings
{
    QString address; // the "STC?:" value
    QString utodv;   // "A01:"
    QString ad01;    // "A02:"
    QString ad02;    // "A03:"
};
Readings readingsFromAnswer(const QByteArray& answer);

} // namespace qv::cli
