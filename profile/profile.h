#pragma once

#include "command_builder.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <span>
#include <stdexcept>

namespace qv {

// A profile: one instrument's configuration kept in a file, as the 14 values the
// window's configuration fields hold, plus where and when it was read. The file is a
// JSON object; docs/profile-format.md describes it.

inline constexpr char kProfileFormat[] = "qv418k-profile";
inline constexpr int kProfileVersion = 1;
inline constexpr char kInstrumentModel[] = "QV418K-TR";

// The settings exactly as the window shows them: texts as the instrument answers them
// ("001", "04.00", "100.0"), list values by their item text ("9600", "None", "0 AD1").
// Defaults are the window's values at start.
struct ProfileSettings
{
    QString address = QStringLiteral("000");
    QString baudRate = QStringLiteral("9600");
    QString parity = QStringLiteral("None");
    QString outputVariable = QStringLiteral("0 AD1");
    QString output4mA, output20mA;
    QString ad1Urv, ad1Lrv, ad1Start;
    QString ad2Urv, ad2Lrv, ad2Start;
    QString ad1FineTuning = QStringLiteral("000");
    QString ad2FineTuning = QStringLiteral("000");

    bool operator==(const ProfileSettings&) const = default;
};

// One setting: its key in the file's "settings" object, where it is held, and the
// write frame that carries it to the instrument.
struct SettingField
{
    const char* key; // snake_case, stable
    QString ProfileSettings::*member;
    Command command;
};

// The 14 settings in the window's order (address, RS-485, output, AD1, AD2, fine-tuning).
std::span<const SettingField> settingFields();

struct Profile
{
    QString model = QString::fromLatin1(kInstrumentModel);
    QDateTime readAt;       // invalid when unknown
    QString readFrom;       // the port it was read from; empty when unknown
    QString identification; // the Communication Test answer; empty when unknown
    ProfileSettings settings;

    bool operator==(const Profile&) const = default;
};

// Why a profile cannot be loaded, saved or sent. what() is one line naming the file, the
// key and the value: `unit7.json: settings.baud_rate = "9601": not one of "1200", ...`.
class ProfileError : public std::runtime_error
{
public:
    // `key` is a dotted path ("settings.parity"), empty for the file as a whole; `value`
    // is shown as JSON (quoted and escaped), empty when there is none.
    ProfileError(const QString& file, const QString& key, const QString& value,
                 const QString& reason);

    QString file() const { return m_file; }
    QString key() const { return m_key; }
    QString value() const { return m_value; }
    QString reason() const { return m_reason; }

private:
    QString m_file, m_key, m_value, m_reason;
};

// Reads and checks a profile file; throws ProfileError for anything it cannot take:
// unreadable or oversized file, not JSON, another format or model, a newer version, a
// missing, unknown or mistyped key, or a setting the window would refuse (see
// settingsProblems). A profile that loads builds all seven write frames.
Profile loadProfile(const QString& path);
// The same from bytes; `file` names them in errors.
Profile parseProfile(const QByteArray& bytes, const QString& file);

// The profile as the file holds it: keys in a fixed order, settings in window order.
// Does not check the settings.
QByteArray serializeProfile(const Profile& profile);
// Checks the settings, then writes the file atomically (a temporary file renamed over
// the target), so a failure leaves any earlier file as it was. Throws ProfileError.
void saveProfile(const Profile& profile, const QString& path);

// Every setting the window's own rules would refuse, in window order: the key filters'
// characters and length (address; range and output values, which must not be empty),
// the integer conversion (address, fine-tuning), item texts not in their list, and
// anything that would not build its write frame. Empty when all can be sent.
QList<ProfileError> settingsProblems(const ProfileSettings& settings, const QString& file);
// Throws the first of settingsProblems, if any.
void checkSettings(const ProfileSettings& settings, const QString& file);

// The window's field values for these settings; an item text not in its list gives
// index -1 (no selected item).
FieldSnapshot toFieldSnapshot(const ProfileSettings& settings);
// The settings the window's fields hold; an index without an item gives empty text.
ProfileSettings fromFieldSnapshot(const FieldSnapshot& fields);

} // namespace qv
