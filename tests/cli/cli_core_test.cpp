#include "answer_values.h"
#include "cli_options.h"
#include "cli_output.h"
#include "row_name.h"
#include "simulator_settings.h"
#include "write_job.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace qv::cli;
using namespace std::chrono_literals;

const QByteArray kParameters = "STQ:001\r\nMR485B:3,0\r\nDAV:0,04.00,20.00\r\nPA1:000\r\n"
                               "PA2:000\r\nAD01:100.0,000.0,004.0\r\nAD02:050.0,000.0,000.0\r\n";

// --- Options ---

TEST(Options, DefaultsOfEachCommand)
{
    const Invocation read = parseArguments({"read", "--port", "/dev/ttyUSB0"});
    EXPECT_EQ(read.verb, Verb::Read);
    EXPECT_EQ(read.ports, QStringList{"/dev/ttyUSB0"});
    EXPECT_EQ(read.timeout, 2000ms);
    EXPECT_TRUE(read.output.isEmpty());

    const Invocation monitor = parseArguments({"monitor", "--port", "COM3"});
    EXPECT_EQ(monitor.interval, 1000ms);
    EXPECT_FALSE(monitor.count.has_value());

    const Invocation write = parseArguments({"write", "p.json", "--port", "COM3"});
    EXPECT_TRUE(write.verify);
    EXPECT_EQ(write.profile, "p.json");
}

TEST(Options, WriteTakesSeveralPortsInOrder)
{
    const Invocation write =
        parseArguments({"write", "--port", "COM3", "p.json", "--no-verify", "--port",
                        "socket://10.0.0.7:4001", "--timeout", "500"});
    EXPECT_EQ(write.ports, QStringList({"COM3", "socket://10.0.0.7:4001"}));
    EXPECT_FALSE(write.verify);
    EXPECT_EQ(write.timeout, 500ms);
}

struct UsageRow
{
    const char* name;
    QStringList arguments;
    const char* error;
};

class BadOptions : public testing::TestWithParam<UsageRow>
{
};

TEST_P(BadOptions, AreAUsageError)
{
    try {
        parseArguments(GetParam().arguments);
        FAIL() << "accepted";
    } catch (const UsageError& error) {
        EXPECT_STREQ(error.what(), GetParam().error);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Options, BadOptions,
    testing::Values(UsageRow{"Nothing", {}, "a command is required (see --help)"},
                    UsageRow{
                        "PortsTakesNoPort", {"ports", "--port", "COM1"}, "Unknown option 'port'."},
                    UsageRow{"MonitorIntervalNegative",
                             {"monitor", "--port", "COM1", "--interval", "-5"},
                             "--interval takes a whole number from 1, not \"-5\""},
                    UsageRow{"DiffTwoProfiles",
                             {"diff", "a.json", "b.json", "--port", "COM1"},
                             "unexpected argument \"b.json\""},
                    UsageRow{"ReadWithAProfile",
                             {"read", "a.json", "--port", "COM1"},
                             "unexpected argument \"a.json\""},
                    UsageRow{"EmptyPort", {"identify", "--port", ""}, "--port is empty"}),
    RowName{});

// --- Output ---

struct CsvRow
{
    const char* name;
    Readings readings;
    const char* row;
};

class Csv : public testing::TestWithParam<CsvRow>
{
};

TEST_P(Csv, RowHasFiveFields)
{
    const QDateTime time = QDateTime::fromString("2026-12-11T15:20:04.250Z", Qt::ISODateWithMs);
    EXPECT_EQ(csvRow(time, GetParam().readings).toStdString(), GetParam().row);
}

INSTANTIATE_TEST_SUITE_P(
    Monitor, Csv,
    testing::Values(CsvRow{"Readings",
                           {"001", "12.000", "050.00", "025.00"},
                           "2026-12-11T15:20:04.250Z,001,12.000,050.00,025.00"},
                    CsvRow{"MissingReadingIsEmpty",
                           {"001", "12.000", "", ""},
                           "2026-12-11T15:20:04.250Z,001,12.000,,"},
                    CsvRow{"CommaIsQuoted",
                           {"001", "12,000", "1", "2"},
                           "2026-12-11T15:20:04.250Z,001,\"12,000\",1,2"},
                    CsvRow{"QuoteIsDoubled",
                           {"0\"1", "1", "2", "3"},
                           "2026-12-11T15:20:04.250Z,\"0\"\"1\",1,2,3"},
                    CsvRow{"LineBreakIsQuoted",
                           {"001", "12\r\n", "1", "2"},
                           "2026-12-11T15:20:04.250Z,001,\"12\r\n\",1,2"}),
    RowName{});

TEST(Differences, IntegersCompareByValueAndTextsExactly)
{
    qv::ProfileSettings profile = simulatorFactorySettings();
    qv::ProfileSettings instrument = simulatorFactorySettings();
    profile.address = "1";
    profile.ad2FineTuning = "7";
    instrument.ad2FineTuning = "007";
    profile.ad1Urv = "100";
    profile.parity = "Odd";
    const QList<SettingDifference> found = differences(profile, instrument);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0], (SettingDifference{"settings.parity", "Odd", "None"}));
    EXPECT_EQ(found[1], (SettingDifference{"settings.ad1_urv", "100", "100.0"}));
    EXPECT_EQ(differenceLine(found[1]), "settings.ad1_urv: profile \"100\", instrument \"100.0\"");
}

TEST(PortsOutput, UnknownDetailsShowAsDashOrNull)
{
    qv::FoundPort usb;
    usb.name = "/dev/ttyUSB0";
    usb.description = "FT232R USB UART";
    usb.vendorId = 0x0403;
    usb.productId = 0x6001;
    qv::FoundPort uart;
    uart.name = "/dev/ttyS0";
    EXPECT_EQ(portsTable({usb, uart}).toStdString(),
              "DEVICE        DESCRIPTION      MAKER  SERIAL  USB\n"
              "/dev/ttyUSB0  FT232R USB UART  -      -       0403:6001\n"
              "/dev/ttyS0    -                -      -       -\n");
    const QByteArray json = portsJson({uart});
    EXPECT_NE(json.indexOf("\"usb_id\": null"), -1) << json.constData();
    EXPECT_NE(json.indexOf("\"device\": \"/dev/ttyS0\""), -1) << json.constData();
}

// --- Answers ---

TEST(Answers, ParameterAnswerGivesTheSettings)
{
    QString problem;
    EXPECT_EQ(settingsFromAnswer(kParameters, &problem), simulatorFactorySettings());
}

TEST(Answers, ParameterAnswerThatCannotGiveEverySetting)
{
    QString problem;
    QByteArray withoutAd2 = kParameters;
    withoutAd2.truncate(kParameters.indexOf("AD02:"));
    EXPECT_FALSE(settingsFromAnswer(withoutAd2, &problem));
    EXPECT_EQ(problem, "the parameter answer lacks some of its tags");

    QByteArray badDigit = kParameters;
    badDigit.replace("MR485B:3", "MR485B:x");
    EXPECT_FALSE(settingsFromAnswer(badDigit, &problem));
    EXPECT_EQ(problem, "'x' is not a valid integer value");
}

TEST(Answers, StatusAnswerGivesTheReadings)
{
    const Readings r = readingsFromAnswer("STC1:001A01:12.000A02:050.00A03:025.00\r\n");
    EXPECT_EQ(r.address, "001");
    EXPECT_EQ(r.utodv, "12.000");
    EXPECT_EQ(r.ad01, "050.00");
    EXPECT_EQ(r.ad02, "025.00");
}

// --- Write frames ---

TEST(WriteSteps, SevenFramesInTheWindowsOrderWithTheirKeys)
{
    qv::ProfileSettings s = simulatorFactorySettings();
    s.baudRate = "19200";
    s.ad1FineTuning = "-5";
    const QList<WriteStep> steps = writeSteps(s, "p.json");
    ASSERT_EQ(steps.size(), 7);
    const std::vector<std::pair<std::string, QStringList>> expected = {
        {"TARVEN#ST:001#", {"address"}},
        {"TARVEN#MR485B:4,0#", {"baud_rate", "parity"}},
        {"TARVEN#DAV:0,04.00,20.00#", {"output_variable", "output_4ma", "output_20ma"}},
        {"TARVEN#AD01:100.0,000.0,004.0#", {"ad1_urv", "ad1_lrv", "ad1_start"}},
        {"TARVEN#AD02:050.0,000.0,000.0#", {"ad2_urv", "ad2_lrv", "ad2_start"}},
        {"TARVEN#PZ1:-005#", {"ad1_fine_tuning"}},
        {"TARVEN#PZ2:000#", {"ad2_fine_tuning"}},
    };
    for (qsizetype i = 0; i < steps.size(); ++i) {
        EXPECT_EQ(steps[i].frame.bytes, expected[i].first);
        EXPECT_EQ(steps[i].keys, expected[i].second);
        EXPECT_FALSE(steps[i].frame.requestCode.has_value());
    }
}

TEST(WriteSteps, NoFrameFromSettingsThatCannotBeSent)
{
    qv::ProfileSettings s = simulatorFactorySettings();
    s.ad2Start = "";
    EXPECT_THROW(writeSteps(s, "p.json"), qv::ProfileError);
}

} // namespace
