#include "profile.h"

#include "int_conversion.h"
#include "item_lists.h"
#include "key_filter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <cmath>

namespace qv {

namespace {

// Stands for "no value" in an error about a key that is missing or the whole file.
const QJsonValue kNoValue(QJsonValue::Undefined);

// Keys of the file's top-level object.
const QString kFormatKey = QStringLiteral("format");
const QString kVersionKey = QStringLiteral("version");
const QString kModelKey = QStringLiteral("model");
const QString kReadAtKey = QStringLiteral("read_at");
const QString kReadFromKey = QStringLiteral("read_from");
const QString kIdentificationKey = QStringLiteral("identification");
const QString kSettingsKey = QStringLiteral("settings");

// A profile is a few hundred bytes; anything far larger is not one (and a device or
// a pipe named by mistake is not read for ever).
constexpr qint64 kMaxProfileBytes = 64 * 1024;

// How the window takes a setting, which decides the rules it must meet.
enum class Rule {
    Address,    // address key filter, integer conversion
    Item,       // one of the combo box's item texts
    Numeric,    // numeric key filter, not empty
    FineTuning, // integer conversion
};

struct SettingRule
{
    Rule rule;
    ItemList items;                   // Rule::Item only
    std::string FieldSnapshot::*text; // where the window holds its text (not for items)
    int FieldSnapshot::*index;        // where the window holds its index (items only)
};

constexpr std::array<SettingField, 14> kSettingFields = {{
    {"address", &ProfileSettings::address, Command::WriteAddress},
    {"baud_rate", &ProfileSettings::baudRate, Command::WriteRs485},
    {"parity", &ProfileSettings::parity, Command::WriteRs485},
    {"output_variable", &ProfileSettings::outputVariable, Command::WriteOutput},
    {"output_4ma", &ProfileSettings::output4mA, Command::WriteOutput},
    {"output_20ma", &ProfileSettings::output20mA, Command::WriteOutput},
    {"ad1_urv", &ProfileSettings::ad1Urv, Command::WriteAd1Range},
    {"ad1_lrv", &ProfileSettings::ad1Lrv, Command::WriteAd1Range},
    {"ad1_start", &ProfileSettings::ad1Start, Command::WriteAd1Range},
    {"ad2_urv", &ProfileSettings::ad2Urv, Command::WriteAd2Range},
    {"ad2_lrv", &ProfileSettings::ad2Lrv, Command::WriteAd2Range},
    {"ad2_start", &ProfileSettings::ad2Start, Command::WriteAd2Range},
    {"ad1_fine_tuning", &ProfileSettings::ad1FineTuning, Command::WriteFineTuning1},
    {"ad2_fine_tuning", &ProfileSettings::ad2FineTuning, Command::WriteFineTuning2},
}};

// Same order as kSettingFields.
const std::array<SettingRule, 14>& settingRules()
{
    using F = FieldSnapshot;
    static const std::array<SettingRule, 14> rules = {{
        {Rule::Address, {}, &F::station, nullptr},
        {Rule::Item, kBaudRateItems, nullptr, &F::baudIndex},
        {Rule::Item, kParityItems, nullptr, &F::parityIndex},
        {Rule::Item, kOutputVariableItems, nullptr, &F::outputVariableIndex},
        {Rule::Numeric, {}, &F::davl, nullptr},
        {Rule::Numeric, {}, &F::davh, nullptr},
        {Rule::Numeric, {}, &F::ad1h, nullptr},
        {Rule::Numeric, {}, &F::ad1l, nullptr},
        {Rule::Numeric, {}, &F::ad1ld, nullptr},
        {Rule::Numeric, {}, &F::ad2h, nullptr},
        {Rule::Numeric, {}, &F::ad2l, nullptr},
        {Rule::Numeric, {}, &F::ad2ld, nullptr},
        {Rule::FineTuning, {}, &F::edit1, nullptr},
        {Rule::FineTuning, {}, &F::edit2, nullptr},
    }};
    return rules;
}

QString settingKey(const SettingField& field)
{
    return kSettingsKey + '.' + QString::fromLatin1(field.key);
}

// A value as JSON shows it: quoted and escaped, so a blank or a control character is
// visible and the message stays on one line.
QString jsonText(const QJsonValue& value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}

QString quoted(const QString& text)
{
    return jsonText(QJsonValue(text));
}

// A key from the file as an error names it: as it stands when it is plain printable
// ASCII, otherwise quoted and escaped, so the error stays one readable line.
QString shownKey(const QString& key)
{
    const bool plain = std::all_of(key.begin(), key.end(), [](QChar c) {
        return c.unicode() > 0x20 && c.unicode() < 0x7F && c != u'"';
    });
    return plain ? key : quoted(key);
}

QString itemListText(ItemList items)
{
    QStringList texts;
    for (std::string_view item : items) {
        texts << quoted(QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
    }
    return texts.join(QStringLiteral(", "));
}

// The longest text a field's key filter lets the operator type.
std::size_t typedLengthLimit(FieldFilter filter)
{
    std::size_t length = 0;
    while (filterAccepts(filter, U'0', length)) {
        ++length;
    }
    return length;
}

// Whether the operator could have typed `text` into a field with this filter.
bool typeable(FieldFilter filter, const QString& text)
{
    const QList<uint> characters = text.toUcs4();
    for (qsizetype i = 0; i < characters.size(); ++i) {
        if (characters[i] == kBackspace ||
            !filterAccepts(filter, characters[i], static_cast<std::size_t>(i))) {
            return false;
        }
    }
    return true;
}

// The window's rule for one setting, or empty text when the value meets it.
QString ruleProblem(const SettingRule& rule, const QString& value)
{
    switch (rule.rule) {
    case Rule::Address:
        if (!typeable(FieldFilter::Address, value)) {
            return QStringLiteral("the address takes digits only, at most %1")
                .arg(typedLengthLimit(FieldFilter::Address));
        }
        break;
    case Rule::Numeric:
        if (value.isEmpty() || !typeable(FieldFilter::Numeric, value)) {
            return QStringLiteral("takes 1 to %1 characters of 0-9, \".\" and \"-\"")
                .arg(typedLengthLimit(FieldFilter::Numeric));
        }
        break;
    case Rule::Item:
        if (itemIndex(rule.items, value.toStdString()) < 0) {
            return QStringLiteral("not one of ") + itemListText(rule.items);
        }
        break;
    case Rule::FineTuning:
        break;
    }
    if ((rule.rule == Rule::Address || rule.rule == Rule::FineTuning) &&
        !parseInteger(value.toStdString())) {
        return QStringLiteral("not a valid integer value");
    }
    return {};
}

// Builds the setting's write frame from the defaults with only this setting changed,
// so a refusal is this setting's own.
QString frameProblem(const SettingRule& rule, Command command, const QString& value)
{
    FieldSnapshot fields = toFieldSnapshot(ProfileSettings{.output4mA = "0",
                                                           .output20mA = "0",
                                                           .ad1Urv = "0",
                                                           .ad1Lrv = "0",
                                                           .ad1Start = "0",
                                                           .ad2Urv = "0",
                                                           .ad2Lrv = "0",
                                                           .ad2Start = "0"});
    if (rule.text) {
        fields.*rule.text = value.toStdString();
    } else {
        fields.*rule.index = itemIndex(rule.items, value.toStdString());
    }
    try {
        buildCommand(command, fields);
    } catch (const OperatorError& error) {
        return QString::fromStdString(error.what());
    }
    return {};
}

// --- Reading ---------------------------------------------------------------------------

class Reader
{
public:
    explicit Reader(const QString& file) : m_file(file) {}

    [[noreturn]] void fail(const QString& key, const QJsonValue& value, const QString& reason) const
    {
        throw ProfileError(m_file, key, value.isUndefined() ? QString() : jsonText(value), reason);
    }

    QJsonObject document(const QByteArray& bytes) const
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
        if (error.error != QJsonParseError::NoError) {
            fail({}, kNoValue,
                 QStringLiteral("not JSON (%1 at byte %2)")
                     .arg(error.errorString())
                     .arg(error.offset));
        }
        if (!document.isObject()) {
            fail({}, kNoValue, QStringLiteral("not a profile (the file is not a JSON object)"));
        }
        return document.object();
    }

    // Refuses any key not in `known`; `prefix` is the path of the object.
    void onlyKeys(const QJsonObject& object, const QStringList& known, const QString& prefix) const
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (!known.contains(it.key())) {
                fail(prefix + shownKey(it.key()), it.value(), QStringLiteral("unknown key"));
            }
        }
    }

    QJsonValue required(const QJsonObject& object, const QString& key, const QString& path) const
    {
        const QJsonValue value = object.value(key);
        if (value.isUndefined()) {
            fail(path, kNoValue, QStringLiteral("missing"));
        }
        return value;
    }

    QString text(const QJsonValue& value, const QString& path) const
    {
        if (!value.isString()) {
            fail(path, value, QStringLiteral("must be text"));
        }
        return value.toString();
    }

    // Absent or null when unknown.
    QString optionalText(const QJsonObject& object, const QString& key) const
    {
        const QJsonValue value = object.value(key);
        return value.isUndefined() || value.isNull() ? QString() : text(value, key);
    }

    void header(const QJsonObject& object) const
    {
        const QJsonValue format = required(object, kFormatKey, kFormatKey);
        if (format != QJsonValue(QString::fromLatin1(kProfileFormat))) {
            fail(kFormatKey, format,
                 QStringLiteral("not a profile of this program (expected \"%1\")")
                     .arg(QString::fromLatin1(kProfileFormat)));
        }
        const QJsonValue version = required(object, kVersionKey, kVersionKey);
        // Compared as a double: a huge number in the file must not be cast to int.
        const double number = version.toDouble(-1);
        if (!version.isDouble() || !std::isfinite(number) || std::floor(number) != number ||
            number < 1) {
            fail(kVersionKey, version, QStringLiteral("must be a whole number from 1"));
        }
        if (number > kProfileVersion) {
            fail(kVersionKey, version,
                 QStringLiteral("written by a newer program (this one reads version %1)")
                     .arg(kProfileVersion));
        }
    }

    Profile profile(const QJsonObject& object) const
    {
        onlyKeys(object,
                 {kFormatKey, kVersionKey, kModelKey, kReadAtKey, kReadFromKey, kIdentificationKey,
                  kSettingsKey},
                 {});
        header(object);
        Profile result;
        const QJsonValue model = required(object, kModelKey, kModelKey);
        if (text(model, kModelKey) != result.model) {
            fail(kModelKey, model,
                 QStringLiteral("a profile for another instrument (this is %1)").arg(result.model));
        }
        const QString readAt = optionalText(object, kReadAtKey);
        if (!readAt.isEmpty()) {
            result.readAt = QDateTime::fromString(readAt, Qt::ISODate);
            if (!result.readAt.isValid()) {
                fail(kReadAtKey, readAt, QStringLiteral("not an ISO 8601 date and time"));
            }
        }
        result.readFrom = optionalText(object, kReadFromKey);
        result.identification = optionalText(object, kIdentificationKey);
        result.settings = settings(required(object, kSettingsKey, kSettingsKey));
        return result;
    }

    ProfileSettings settings(const QJsonValue& value) const
    {
        if (!value.isObject()) {
            fail(kSettingsKey, value, QStringLiteral("must be a JSON object"));
        }
        const QJsonObject object = value.toObject();
        QStringList known;
        for (const SettingField& field : kSettingFields) {
            known << QString::fromLatin1(field.key);
        }
        onlyKeys(object, known, kSettingsKey + '.');
        ProfileSettings result;
        for (const SettingField& field : kSettingFields) {
            const QString path = settingKey(field);
            result.*field.member =
                text(required(object, QString::fromLatin1(field.key), path), path);
        }
        checkSettings(result, m_file);
        return result;
    }

private:
    QString m_file;
};

// --- Writing ---------------------------------------------------------------------------

void appendMember(QByteArray& out, const QString& key, const QString& jsonValue, bool last,
                  int indent)
{
    out.append(QByteArray(indent, ' '));
    out.append(quoted(key).toUtf8()).append(": ").append(jsonValue.toUtf8());
    out.append(last ? "\n" : ",\n");
}

} // namespace

ProfileError::ProfileError(const QString& file, const QString& key, const QString& value,
                           const QString& reason)
    : std::runtime_error([&] {
          QString line = file + QStringLiteral(": ");
          if (!key.isEmpty()) {
              line += key + (value.isEmpty() ? QStringLiteral(": ") : QStringLiteral(" = "));
          }
          if (!value.isEmpty()) {
              line += value + QStringLiteral(": ");
          }
          return (line + reason).toStdString();
      }()),
      m_file(file), m_key(key), m_value(value), m_reason(reason)
{
}

std::span<const SettingField> settingFields()
{
    return kSettingFields;
}

QList<ProfileError> settingsProblems(const ProfileSettings& settings, const QString& file)
{
    QList<ProfileError> problems;
    for (std::size_t i = 0; i < kSettingFields.size(); ++i) {
        const SettingField& field = kSettingFields[i];
        const QString& value = settings.*field.member;
        QString problem = ruleProblem(settingRules()[i], value);
        if (problem.isEmpty()) {
            problem = frameProblem(settingRules()[i], field.command, value);
        }
        if (!problem.isEmpty()) {
            problems.append(ProfileError(file, settingKey(field), quoted(value), problem));
        }
    }
    return problems;
}

void checkSettings(const ProfileSettings& settings, const QString& file)
{
    const QList<ProfileError> problems = settingsProblems(settings, file);
    if (!problems.isEmpty()) {
        throw problems.first();
    }
}

FieldSnapshot toFieldSnapshot(const ProfileSettings& settings)
{
    FieldSnapshot fields;
    for (std::size_t i = 0; i < kSettingFields.size(); ++i) {
        const SettingRule& rule = settingRules()[i];
        const std::string value = (settings.*kSettingFields[i].member).toStdString();
        if (rule.text) {
            fields.*rule.text = value;
        } else {
            fields.*rule.index = itemIndex(rule.items, value);
        }
    }
    return fields;
}

ProfileSettings fromFieldSnapshot(const FieldSnapshot& fields)
{
    ProfileSettings settings;
    for (std::size_t i = 0; i < kSettingFields.size(); ++i) {
        const SettingRule& rule = settingRules()[i];
        const std::string value =
            rule.text ? fields.*rule.text : itemText(rule.items, fields.*rule.index);
        settings.*kSettingFields[i].member = QString::fromStdString(value);
    }
    return settings;
}

Profile parseProfile(const QByteArray& bytes, const QString& file)
{
    const Reader reader(file);
    return reader.profile(reader.document(bytes));
}

Profile loadProfile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ProfileError(path, {}, {},
                           QStringLiteral("cannot be read (%1)").arg(file.errorString()));
    }
    const QByteArray bytes = file.read(kMaxProfileBytes + 1);
    if (bytes.size() > kMaxProfileBytes) {
        throw ProfileError(
            path, {}, {},
            QStringLiteral("too large for a profile (over %1 bytes)").arg(kMaxProfileBytes));
    }
    return parseProfile(bytes, path);
}

QByteArray serializeProfile(const Profile& profile)
{
    QByteArray out("{\n");
    appendMember(out, kFormatKey, quoted(QString::fromLatin1(kProfileFormat)), false, 2);
    appendMember(out, kVersionKey, QString::number(kProfileVersion), false, 2);
    appendMember(out, kModelKey, quoted(profile.model), false, 2);
    if (profile.readAt.isValid()) {
        appendMember(out, kReadAtKey, quoted(profile.readAt.toString(Qt::ISODate)), false, 2);
    }
    if (!profile.readFrom.isEmpty()) {
        appendMember(out, kReadFromKey, quoted(profile.readFrom), false, 2);
    }
    if (!profile.identification.isEmpty()) {
        appendMember(out, kIdentificationKey, quoted(profile.identification), false, 2);
    }
    out.append("  ").append(quoted(kSettingsKey).toUtf8()).append(": {\n");
    for (std::size_t i = 0; i < kSettingFields.size(); ++i) {
        const SettingField& field = kSettingFields[i];
        appendMember(out, QString::fromLatin1(field.key), quoted(profile.settings.*field.member),
                     i + 1 == kSettingFields.size(), 4);
    }
    out.append("  }\n}\n");
    return out;
}

void saveProfile(const Profile& profile, const QString& path)
{
    checkSettings(profile.settings, path);
    QSaveFile file(path);
    const QByteArray bytes = serializeProfile(profile);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        throw ProfileError(path, {}, {},
                           QStringLiteral("cannot be written (%1)").arg(file.errorString()));
    }
}

} // namespace qv
