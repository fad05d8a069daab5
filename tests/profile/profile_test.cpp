#include "profile.h"

#include "item_lists.h"
#include "row_name.h"
#include "simulator_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using qv::Profile;
using qv::ProfileError;
using qv::ProfileSettings;

// A profile file as text, its settings object given as JSON members (one may be replaced).
std::string profileJson(const std::string& settings, const std::string& header = {})
{
    return R"({"format":"qv418k-profile","version":1,"model":"QV418K-TR",)" + header +
           R"("settings":{)" + settings + "}}";
}

std::string settingsJson(const std::string& key, const std::string& value)
{
    const std::vector<std::pair<std::string, std::string>> members = {
        {"address", R"("001")"},         {"baud_rate", R"("9600")"},
        {"parity", R"("None")"},         {"output_variable", R"("0 AD1")"},
        {"output_4ma", R"("04.00")"},    {"output_20ma", R"("20.00")"},
        {"ad1_urv", R"("100.0")"},       {"ad1_lrv", R"("000.0")"},
        {"ad1_start", R"("004.0")"},     {"ad2_urv", R"("050.0")"},
        {"ad2_lrv", R"("000.0")"},       {"ad2_start", R"("000.0")"},
        {"ad1_fine_tuning", R"("000")"}, {"ad2_fine_tuning", R"("000")"}};
    std::string out;
    for (const auto& [name, json] : members) {
        if (name == key && value.empty()) {
            continue; // left out
        }
        out += (out.empty() ? "" : ",") + ("\"" + name + "\":") + (name == key ? value : json);
    }
    if (key == "extra") {
        out += R"(,"extra":"1")";
    }
    return out;
}

Profile parse(const std::string& json)
{
    return qv::parseProfile(QByteArray::fromStdString(json), QStringLiteral("unit7.json"));
}

TEST(ProfileFile, RoundTripsEveryValueAndTheMetadata)
{
    Profile profile;
    profile.readAt = QDateTime::fromString("2026-12-11T15:20:04Z", Qt::ISODate);
    profile.readFrom = "socket://127.0.0.1:4001";
    profile.identification = "QV418K-TR SIM V1.0\r\n";
    profile.settings = simulatorFactorySettings();
    profile.settings.baudRate = "19200";
    profile.settings.parity = "Even";
    profile.settings.outputVariable = "1 AD2";
    profile.settings.ad1FineTuning = "150";
    EXPECT_EQ(qv::parseProfile(qv::serializeProfile(profile), "x.json"), profile);
}

TEST(ProfileFile, UnknownMetadataMayBeLeftOutOrNull)
{
    const Profile profile = parse(profileJson(settingsJson({}, {}), R"("read_from":null,)"));
    EXPECT_FALSE(profile.readAt.isValid());
    EXPECT_TRUE(profile.readFrom.isEmpty());
    EXPECT_EQ(profile.settings, simulatorFactorySettings());
}

TEST(ProfileFile, SampleInTheDocumentationLoads)
{
    const Profile profile = qv::loadProfile(QStringLiteral(QV_SAMPLE_PROFILE));
    EXPECT_EQ(profile.settings, simulatorFactorySettings());
    EXPECT_EQ(profile.readFrom, "/dev/ttyUSB0");
}

// --- Refused files: one error naming file, key and value ---

struct BadRow
{
    const char* name;
    std::string json;
    const char* key;    // dotted path, empty for the whole file
    const char* value;  // as shown (JSON), empty for none
    const char* reason; // a part of the reason
};

class BadProfile : public testing::TestWithParam<BadRow>
{
};

TEST_P(BadProfile, IsRefusedNamingFileKeyAndValue)
{
    const BadRow& row = GetParam();
    try {
        parse(row.json);
        FAIL() << "loaded";
    } catch (const ProfileError& error) {
        EXPECT_EQ(error.file(), "unit7.json");
        EXPECT_EQ(error.key(), row.key);
        EXPECT_EQ(error.value(), row.value);
        EXPECT_TRUE(error.reason().contains(row.reason)) << error.what();
        const std::string line = error.what();
        EXPECT_TRUE(line.starts_with("unit7.json: " + std::string(row.key))) << line;
        EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    }
}

const std::vector<BadRow>& badRows()
{
    static const std::vector<BadRow> rows = [] {
        std::vector<BadRow> r = {
            {"NotJson", "{\"format\":", "", "", "not JSON"},
            {"NotAnObject", "[1,2]", "", "", "not a JSON object"},
            {"AnotherFormat", R"({"format":"other","version":1})", "format", R"("other")",
             "not a profile"},
            {"NewerVersion", R"({"format":"qv418k-profile","version":2})", "version", "2", "newer"},
            {"HugeVersion", R"({"format":"qv418k-profile","version":1e300})", "version", "1e+300",
             "newer"},
            {"VersionAsText", R"({"format":"qv418k-profile","version":"1"})", "version", R"("1")",
             "whole number"},
            {"FractionalVersion", R"({"format":"qv418k-profile","version":1.5})", "version", "1.5",
             "whole number"},
            {"FormatMissing", R"({"version":1})", "format", "", "missing"},
            {"UnknownTopLevelKey", profileJson(settingsJson({}, {}), R"("colour":"red",)"),
             "colour", R"("red")", "unknown key"},
            {"AnotherModel",
             R"({"format":"qv418k-profile","version":1,"model":"QV418K-XX","settings":{}})",
             "model", R"("QV418K-XX")", "another instrument"},
            {"ReadAtNotADate", profileJson(settingsJson({}, {}), R"("read_at":"yesterday",)"),
             "read_at", R"("yesterday")", "ISO 8601"},
            {"UnknownKeyWithALineBreakIsEscaped", profileJson(settingsJson({}, {}), "\"a\nb\":1,"),
             "\"a\\nb\"", "1", "unknown key"},
            {"SettingsNotAnObject",
             R"({"format":"qv418k-profile","version":1,"model":"QV418K-TR","settings":[]})",
             "settings", "[]", "JSON object"},
        };
        const auto add = [&r](const char* name, const char* key, const std::string& json,
                              const char* shown, const char* reason) {
            static std::vector<std::string> keys; // keeps the dotted keys alive
            keys.reserve(64);
            keys.push_back(std::string("settings.") + key);
            r.push_back(
                {name, profileJson(settingsJson(key, json)), keys.back().c_str(), shown, reason});
        };
        add("SettingMissing", "parity", "", "", "missing");
        add("SettingAsNumber", "address", "1", "1", "must be text");
        add("AddressWithLetter", "address", R"("01a")", R"("01a")", "digits only");
        add("AddressTooLong", "address", R"("1234567")", R"("1234567")", "at most 6");
        add("AddressEmpty", "address", R"("")", R"("")", "not a valid integer");
        add("BaudNotInList", "baud_rate", R"("9601")", R"("9601")", R"("1200", "2400")");
        add("ParityInOtherCase", "parity", R"("none")", R"("none")", "not one of");
        add("VariableNotInList", "output_variable", R"("2 AD3")", R"("2 AD3")", "not one of");
        add("RangeEmpty", "ad1_urv", R"("")", R"("")", "1 to 5 characters");
        add("RangeTooLong", "ad2_start", R"("100.00")", R"("100.00")", "1 to 5 characters");
        add("RangeWithComma", "ad1_lrv", R"("1,0")", R"("1,0")", "1 to 5 characters");
        add("RangeWithDelimiter", "output_4ma", R"("4#")", R"("4#")", "1 to 5 characters");
        add("RangeWithBlank", "output_20ma", R"("20 0")", R"("20 0")", "1 to 5 characters");
        add("RangeWithNul", "ad1_start", R"("4\u0000")", R"("4\u0000")", "1 to 5 characters");
        add("FineTuningTrailingBlank", "ad1_fine_tuning", R"("12 ")", R"("12 ")",
            "not a valid integer");
        add("FineTuningWord", "ad2_fine_tuning", R"("abc")", R"("abc")", "not a valid integer");
        add("FineTuningBeyondInt32", "ad2_fine_tuning", R"("2147483648")", R"("2147483648")",
            "not a valid integer");
        add("UnknownSetting", "extra", R"("1")", R"("1")", "unknown key");
        return r;
    }();
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Refused, BadProfile, testing::ValuesIn(badRows()), RowName{});

// --- Odd values the window itself sends are kept ---

struct KeptRow
{
    const char* name;
    const char* key;
    const char* value;
};

class KeptValue : public testing::TestWithParam<KeptRow>
{
};

TEST_P(KeptValue, LoadsVerbatim)
{
    const KeptRow& row = GetParam();
    const Profile profile =
        parse(profileJson(settingsJson(row.key, '"' + std::string(row.value) + '"')));
    for (const qv::SettingField& field : qv::settingFields()) {
        if (std::string(field.key) == row.key) {
            EXPECT_EQ(profile.settings.*field.member, row.value);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Kept, KeptValue,
                         testing::Values(KeptRow{"AddressOfSixDigits", "address", "123456"},
                                         KeptRow{"NegativeRange", "ad1_lrv", "-1.5"},
                                         KeptRow{"OddlyArrangedRange", "ad2_urv", "--1.2"},
                                         KeptRow{"NegativeFineTuning", "ad1_fine_tuning", "-5"},
                                         KeptRow{"FineTuningWithLeadingBlank", "ad2_fine_tuning",
                                                 " 12"}),
                         RowName{});

// --- The window's values ---

TEST(ProfileSettings, BecomeTheFieldsThatBuildTheWriteFrames)
{
    ProfileSettings s = simulatorFactorySettings();
    s.baudRate = "19200";
    s.parity = "Odd";
    s.outputVariable = "1 AD2";
    s.ad2FineTuning = "7";
    const qv::FieldSnapshot fields = qv::toFieldSnapshot(s);
    EXPECT_EQ(qv::buildCommand(qv::Command::WriteRs485, fields).bytes, "TARVEN#MR485B:4,1#");
    EXPECT_EQ(qv::buildCommand(qv::Command::WriteOutput, fields).bytes,
              "TARVEN#DAV:1,04.00,20.00#");
    EXPECT_EQ(qv::buildCommand(qv::Command::WriteAd1Range, fields).bytes,
              "TARVEN#AD01:100.0,000.0,004.0#");
    EXPECT_EQ(qv::buildCommand(qv::Command::WriteFineTuning2, fields).bytes, "TARVEN#PZ2:007#");
    EXPECT_EQ(qv::fromFieldSnapshot(fields), s);
}

TEST(ProfileSettings, ComboBoxWithoutSelectionCannotBeHeld)
{
    qv::FieldSnapshot fields = qv::toFieldSnapshot(simulatorFactorySettings());
    fields.baudIndex = -1;
    fields.parityIndex = 3;
    const ProfileSettings s = qv::fromFieldSnapshot(fields);
    EXPECT_EQ(s.baudRate, "");
    EXPECT_EQ(s.parity, "");
    const QList<ProfileError> problems = qv::settingsProblems(s, "f");
    ASSERT_EQ(problems.size(), 2);
    EXPECT_EQ(problems[0].key(), "settings.baud_rate");
    EXPECT_EQ(problems[1].key(), "settings.parity");
}

TEST(ProfileSettings, EveryFieldTheWindowStartsWithEmptyIsNamed)
{
    QStringList keys;
    for (const ProfileError& problem : qv::settingsProblems(ProfileSettings{}, "f")) {
        keys << problem.key();
    }
    EXPECT_EQ(keys, QStringList({"settings.output_4ma", "settings.output_20ma", "settings.ad1_urv",
                                 "settings.ad1_lrv", "settings.ad1_start", "settings.ad2_urv",
                                 "settings.ad2_lrv", "settings.ad2_start"}));
}

// The combo boxes' items live in the window's form too; both must stay the same lists.
TEST(ItemLists, AreTheWindowsComboBoxItems)
{
    QFile ui(QStringLiteral(QV_WINDOW_FORM));
    ASSERT_TRUE(ui.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&ui);
    std::map<QString, QStringList> items;
    QString combo;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        // Items belong to the widget that opens before them (a QComboBox, or a class
        // derived from it such as the COM Port box).
        if (xml.name() == u"widget") {
            combo = xml.attributes().value("name").toString();
        } else if (xml.name() == u"item") {
            xml.readNextStartElement(); // property
            xml.readNextStartElement(); // string
            items[combo] << xml.readElementText();
        }
    }
    const auto texts = [](qv::ItemList list) {
        QStringList out;
        for (std::string_view item : list) {
            out << QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size()));
        }
        return out;
    };
    EXPECT_EQ(items["MR485BT"], texts(qv::kBaudRateItems));
    EXPECT_EQ(items["MR485JN"], texts(qv::kParityItems));
    EXPECT_EQ(items["ComboBox1"], texts(qv::kOutputVariableItems));
}

// --- Files ---

class ProfileOnDisk : public testing::Test
{
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }

    static void write(const QString& file, const QByteArray& bytes)
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }

    static QByteArray contents(const QString& file)
    {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray("<unreadable>");
    }

    QTemporaryDir m_dir;
};

TEST_F(ProfileOnDisk, SavedProfileLoadsBack)
{
    Profile profile;
    profile.settings = simulatorFactorySettings();
    qv::saveProfile(profile, path("unit.json"));
    EXPECT_EQ(qv::loadProfile(path("unit.json")), profile);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"unit.json"});
}

TEST_F(ProfileOnDisk, ProfileThatCannotBeSentIsNotWrittenAndTheOldFileStays)
{
    write(path("unit.json"), "old");
    Profile profile;
    profile.settings = simulatorFactorySettings();
    profile.settings.ad1Urv = "1e3";
    EXPECT_THROW(qv::saveProfile(profile, path("unit.json")), ProfileError);
    EXPECT_EQ(contents(path("unit.json")), "old");
}

TEST_F(ProfileOnDisk, FailedWriteLeavesTheOldFile)
{
    // A target the temporary file cannot be renamed over: a directory of that name.
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("taken.json/inner"));
    Profile profile;
    profile.settings = simulatorFactorySettings();
    try {
        qv::saveProfile(profile, path("taken.json"));
        FAIL() << "saved over a directory";
    } catch (const ProfileError& error) {
        EXPECT_TRUE(error.reason().startsWith("cannot be written")) << error.what();
    }
    EXPECT_TRUE(QFileInfo(path("taken.json/inner")).isDir());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{});
}

TEST_F(ProfileOnDisk, MissingOrOversizedFileIsRefused)
{
    EXPECT_THROW(qv::loadProfile(path("absent.json")), ProfileError);
    write(path("big.json"), QByteArray(100 * 1024, ' '));
    try {
        qv::loadProfile(path("big.json"));
        FAIL() << "loaded";
    } catch (const ProfileError& error) {
        EXPECT_TRUE(error.reason().contains("too large")) << error.what();
    }
}

} // namespace
