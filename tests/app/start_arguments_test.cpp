#include "row_name.h"
#include "start_arguments.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using qv::StartRequest;
using Action = StartRequest::Action;

struct Case
{
    const char* name;
    QStringList arguments;
    Action action;
    QString portName;
    int exitCode;
    bool toStderr;
    QString outputHolds;
};

class StartArgumentsTest : public ::testing::TestWithParam<Case>
{
};

TEST_P(StartArgumentsTest, ReadsTheCommandLine)
{
    const Case& c = GetParam();
    const StartRequest request = qv::parseStartArguments(c.arguments, QStringLiteral("1.2.3"));
    EXPECT_EQ(request.action, c.action);
    EXPECT_EQ(request.portName.toStdString(), c.portName.toStdString());
    EXPECT_EQ(request.exitCode, c.exitCode);
    EXPECT_EQ(request.toStderr, c.toStderr);
    EXPECT_TRUE(request.output.contains(c.outputHolds)) << request.output.toStdString();
}

const QString kUsage = QStringLiteral("Usage: qv418k-config [PORT]");

INSTANTIATE_TEST_SUITE_P(
    CommandLines, StartArgumentsTest,
    ::testing::Values(
        Case{"NoArgumentRunsTheWindowWithTheBoxAsItIs",
             {"qv418k-config"},
             Action::RunWindow,
             "",
             0,
             false,
             ""},
        Case{"ADevicePathGoesIntoTheBox",
             {"/usr/bin/qv418k-config", "/dev/ttyUSB0"},
             Action::RunWindow,
             "/dev/ttyUSB0",
             0,
             false,
             ""},
        Case{"ACOMNameGoesIntoTheBoxAsWritten",
             {"qv418k-config", "com7"},
             Action::RunWindow,
             "com7",
             0,
             false,
             ""},
        Case{"ASocketAddressGoesIntoTheBox",
             {"qv418k-config", "socket://127.0.0.1:4001"},
             Action::RunWindow,
             "socket://127.0.0.1:4001",
             0,
             false,
             ""},
        Case{"AfterANameThatStartsWithADashIsAPort",
             {"qv418k-config", "--", "-odd"},
             Action::RunWindow,
             "-odd",
             0,
             false,
             ""},
        Case{"HelpPrintsTheUsageOnStdout",
             {"qv418k-config", "--help"},
             Action::PrintAndExit,
             "",
             0,
             false,
             kUsage},
        Case{"HIsHelp",
             {"qv418k-config", "-h", "/dev/ttyUSB0"},
             Action::PrintAndExit,
             "",
             0,
             false,
             kUsage},
        Case{"VersionPrintsNameAndVersion",
             {"/opt/bin/qv418k-config", "--version"},
             Action::PrintAndExit,
             "",
             0,
             false,
             "qv418k-config 1.2.3\n"},
        Case{"VIsVersion",
             {"qv418k-config", "-v"},
             Action::PrintAndExit,
             "",
             0,
             false,
             "qv418k-config 1.2.3\n"},
        Case{"TwoPortsAreAUsageErrorOnStderr",
             {"qv418k-config", "COM1", "COM2"},
             Action::PrintAndExit,
             "",
             2,
             true,
             "one port at most, got 2"},
        Case{"AnUnknownOptionIsAUsageError",
             {"qv418k-config", "--baud", "COM1"},
             Action::PrintAndExit,
             "",
             2,
             true,
             "Unknown option 'baud'"},
        Case{"AUsageErrorShowsTheUsageToo",
             {"qv418k-config", "-x"},
             Action::PrintAndExit,
             "",
             2,
             true,
             kUsage},
        Case{"AnEmptyListIsReadAsTheProgramAlone", {}, Action::RunWindow, "", 0, false, ""}),
    RowName());

} // namespace
