// The built qv418k-sim driven from outside, as the end-to-end tests will drive it:
// started as a child process, its address read from stdout, its line opened like a
// serial port, and its control channel fed through stdin or its control socket.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kAddressPrefix = "qv418k-sim: type ";
const std::string kAddressSuffix = " into the COM Port box";
const std::string kDefaultParameters = "STQ:001\r\nMR485B:3,0\r\nDAV:0,04.00,20.00\r\n"
                                       "PA1:000\r\nPA2:000\r\nAD01:100.0,000.0,004.0\r\n"
                                       "AD02:050.0,000.0,000.0\r\n";
const std::string kIdentification = "QV418K-TR SIM V1.0\r\n";

// A running simulator with pipes on its stdin and stdout.
class SimProcess
{
public:
    explicit SimProcess(const std::vector<std::string>& arguments)
    {
        int in[2];
        int out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
            ADD_FAILURE() << "pipe: " << std::strerror(errno);
            return;
        }
        std::vector<std::string> argv{QV418K_SIM_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        m_pid = fork();
        if (m_pid == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            std::vector<char*> raw;
            for (std::string& a : argv) {
                raw.push_back(a.data());
            }
            raw.push_back(nullptr);
            execv(raw[0], raw.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        m_stdin = in[1];
        m_stdout = out[0];
    }

    ~SimProcess()
    {
        if (m_pid > 0 && !m_exited) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        closeStdin();
        if (m_stdout >= 0) {
            close(m_stdout);
        }
    }

    // The next stdout line, without its newline.
    std::optional<std::string> readLine(Clock::duration timeout = 2s)
    {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            if (const std::size_t end = m_pending.find('\n'); end != std::string::npos) {
                std::string line = m_pending.substr(0, end);
                m_pending.erase(0, end + 1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd entry{m_stdout, POLLIN, 0};
            if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0) {
                return std::nullopt;
            }
            std::array<char, 512> buffer{};
            const ssize_t count = read(m_stdout, buffer.data(), buffer.size());
            if (count <= 0) {
                return std::nullopt;
            }
            m_pending.append(buffer.data(), static_cast<std::size_t>(count));
        }
    }

    // The address from the next "type ... into the COM Port box" line.
    std::string readAddress()
    {
        const auto line = readLine();
        if (!line || !line->starts_with(kAddressPrefix) || !line->ends_with(kAddressSuffix)) {
            ADD_FAILURE() << "no address line, got '" << line.value_or("<nothing>") << "'";
            return {};
        }
        return line->substr(kAddressPrefix.size(),
                            line->size() - kAddressPrefix.size() - kAddressSuffix.size());
    }

    void sendControl(const std::string& line)
    {
        const std::string text = line + "\n";
        EXPECT_EQ(write(m_stdin, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Sends a control line and returns the simulator's reply line.
    std::string control(const std::string& line)
    {
        sendControl(line);
        return readLine().value_or("<no reply>");
    }

    void closeStdin()
    {
        if (m_stdin >= 0) {
            close(m_stdin);
            m_stdin = -1;
        }
    }

    bool running() { return !m_exited && waitpid(m_pid, &m_status, WNOHANG) == 0; }

    // Sends the signal and returns the exit code, or -1 when it did not exit in time.
    int stopWith(int signal, Clock::duration timeout = 2s)
    {
        kill(m_pid, signal);
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            if (waitpid(m_pid, &m_status, WNOHANG) == m_pid) {
                m_exited = true;
                return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
            }
            usleep(10000);
        }
        return -1;
    }

private:
    pid_t m_pid = -1;
    int m_stdin = -1;
    int m_stdout = -1;
    int m_status = 0;
    bool m_exited = false;
    std::string m_pending;
};

// Opens the simulator's pseudo-terminal the way a serial port is opened: raw.
int openLine(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        termios settings{};
        tcgetattr(fd, &settings);
        cfmakeraw(&settings);
        tcsetattr(fd, TCSANOW, &settings);
    }
    return fd;
}

struct Received
{
    std::string bytes;
    std::vector<Clock::time_point> arrivals; // one per read
    bool hangup = false;                     // the line went away (EIO, HUP or EOF)

    Clock::duration longestGap() const
    {
        Clock::duration gap{};
        for (std::size_t i = 1; i < arrivals.size(); ++i) {
            gap = std::max(gap, arrivals[i] - arrivals[i - 1]);
        }
        return gap;
    }
};

// Reads until `expected` bytes have come, the line goes away, or the time is up.
Received receive(int fd, std::size_t expected, Clock::duration timeout = 1s)
{
    Received received;
    const auto deadline = Clock::now() + timeout;
    while (received.bytes.size() < expected && Clock::now() < deadline) {
        pollfd entry{fd, POLLIN, 0};
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (poll(&entry, 1, static_cast<int>(std::max<long>(left.count(), 1))) <= 0) {
            continue;
        }
        std::array<char, 4096> buffer{};
        const ssize_t count = read(fd, buffer.data(), buffer.size());
        if (count > 0) {
            received.bytes.append(buffer.data(), static_cast<std::size_t>(count));
            received.arrivals.push_back(Clock::now());
        } else if (count == 0 || errno != EAGAIN) {
            received.hangup = true;
            break;
        }
    }
    return received;
}

void send(int fd, const std::string& bytes)
{
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

// A private directory for links and sockets, removed afterwards.
class TempDir
{
public:
    TempDir()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qv418k-sim-XXXXXX").string();
        m_path = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string operator/(const std::string& name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

TEST(SimOverPty, AnswersAParameterReadWithinASecondAtTheLinePace)
{
    SimProcess sim({});
    const int line = openLine(sim.readAddress());
    ASSERT_GE(line, 0);
    const auto sent = Clock::now();
    send(line, "PPPPPP#CHEACK1#");
    const Received answer = receive(line, kDefaultParameters.size());
    const auto took = Clock::now() - sent;
    EXPECT_EQ(answer.bytes, kDefaultParameters);
    EXPECT_LT(took, 1s);
    // 106 bytes at 9600 baud take about 110 ms, with no pause a receiver would take
    // for the end of the answer (100 ms).
    EXPECT_GE(took, 90ms);
    EXPECT_LT(answer.longestGap(), 80ms);
    close(line);
}

TEST(SimOverPty, AnswersBackToBackFramesInOrder)
{
    SimProcess sim({});
    const int line = openLine(sim.readAddress());
    ASSERT_GE(line, 0);
    send(line, "TARVEN#ST:007#PPPPPP#CHEACK1#");
    std::string expected = "OK\r\n" + kDefaultParameters;
    expected.replace(expected.find("STQ:001"), 7, "STQ:007");
    EXPECT_EQ(receive(line, expected.size()).bytes, expected);
    const std::string config = sim.control("show");
    EXPECT_TRUE(config.starts_with("qv418k-sim: config address=007 baud=3")) << config;
    close(line);
}

void setSpeed(int fd, speed_t speed)
{
    termios settings{};
    ASSERT_EQ(tcgetattr(fd, &settings), 0);
    cfsetspeed(&settings, speed);
    ASSERT_EQ(tcsetattr(fd, TCSANOW, &settings), 0);
}

// As a UART at the wrong speed reads only garbage, the instrument hears nothing until
// the program's end of the line is back at 9600 8N1.
TEST(SimOverPty, ShowsItsLineAndIsDeafWhileItIsNot9600_8N1)
{
    SimProcess sim({});
    const int line = openLine(sim.readAddress());
    ASSERT_GE(line, 0);
    EXPECT_EQ(sim.control("show line"), "qv418k-sim: line 9600 8N1");

    setSpeed(line, B19200);
    EXPECT_EQ(sim.control("show line"), "qv418k-sim: line 19200 8N1");
    send(line, "PPPPPP#VAR#");
    EXPECT_EQ(receive(line, 1, 500ms).bytes, "");

    setSpeed(line, B9600);
    send(line, "PPPPPP#VAR#");
    EXPECT_EQ(receive(line, kIdentification.size()).bytes, kIdentification);
    close(line);
}

TEST(SimOverPty, SplitPausesTheNextAnswerOnly)
{
    SimProcess sim({});
    const int line = openLine(sim.readAddress());
    ASSERT_GE(line, 0);
    ASSERT_EQ(sim.control("split 300"), "qv418k-sim: ok split 300");
    send(line, "PPPPPP#VAR#");
    const Received split = receive(line, kIdentification.size(), 2s);
    EXPECT_EQ(split.bytes, kIdentification);
    EXPECT_GE(split.longestGap(), 250ms);
    send(line, "PPPPPP#VAR#");
    const Received whole = receive(line, kIdentification.size(), 2s);
    EXPECT_EQ(whole.bytes, kIdentification);
    EXPECT_LT(whole.longestGap(), 80ms);
    close(line);
}

// A value the instrument would take is turned down once: the query before it is
// answered, the refused write changes nothing, and the same write then goes through.
TEST(SimOverPty, RefuseTurnsDownTheNextWriteOnly)
{
    SimProcess sim({});
    const int line = openLine(sim.readAddress());
    ASSERT_GE(line, 0);
    ASSERT_EQ(sim.control("refuse"), "qv418k-sim: ok refuse");
    send(line, "PPPPPP#VAR#TARVEN#ST:007#");
    const std::string refused = kIdentification + "ERR\r\n";
    EXPECT_EQ(receive(line, refused.size()).bytes, refused);
    EXPECT_TRUE(sim.control("show").starts_with("qv418k-sim: config address=001 "));

    send(line, "TARVEN#ST:007#");
    EXPECT_EQ(receive(line, 4).bytes, "OK\r\n");
    EXPECT_TRUE(sim.control("show").starts_with("qv418k-sim: config address=007 "));
    close(line);
}

TEST(SimOverPty, DropTakesTheDeviceAwayAndOffersANewOne)
{
    TempDir dir;
    const std::string link = dir / "qv418k";
    SimProcess sim({"--link", link});
    const std::string first = sim.readAddress();
    EXPECT_EQ(std::filesystem::read_symlink(link), first);
    const int oldLine = openLine(first);
    ASSERT_GE(oldLine, 0);

    sim.sendControl("drop");
    // The new address is printed before the acknowledgement.
    const std::string second = sim.readAddress();
    EXPECT_EQ(sim.readLine(), "qv418k-sim: ok drop");
    EXPECT_TRUE(receive(oldLine, 1).hangup) << "the program would not notice the device going";
    close(oldLine);

    EXPECT_NE(second, first);
    EXPECT_EQ(std::filesystem::read_symlink(link), second);
    const int newLine = openLine(link);
    ASSERT_GE(newLine, 0);
    send(newLine, "PPPPPP#VAR#");
    EXPECT_EQ(receive(newLine, kIdentification.size()).bytes, kIdentification);
    close(newLine);
}

TEST(SimOverPty, KeepsRunningWhenStdinEndsAndStopsCleanlyOnSigterm)
{
    TempDir dir;
    const std::string link = dir / "qv418k";
    SimProcess sim({"--link", link});
    sim.readAddress();
    sim.closeStdin();
    usleep(200000);
    ASSERT_TRUE(sim.running());
    const int line = openLine(link);
    ASSERT_GE(line, 0);
    send(line, "PPPPPP#VAR#");
    EXPECT_EQ(receive(line, kIdentification.size()).bytes, kIdentification);
    close(line);

    EXPECT_EQ(sim.stopWith(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(link)) << "the link outlived the simulator";
}

TEST(SimOverTcp, ServesOneClientAfterAnotherAndDropClosesIt)
{
    SimProcess sim({"--tcp", "0"});
    const std::string address = sim.readAddress();
    EXPECT_EQ(sim.control("show line"), "qv418k-sim: error a TCP port has no line settings");
    const std::string prefix = "socket://127.0.0.1:";
    ASSERT_TRUE(address.starts_with(prefix)) << address;
    const int port = std::stoi(address.substr(prefix.size()));
    ASSERT_GT(port, 0);

    const auto connectClient = [port] {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
        return fd;
    };
    const int client = connectClient();
    send(client, "PPPPPP#VAR#");
    EXPECT_EQ(receive(client, kIdentification.size()).bytes, kIdentification);

    sim.sendControl("drop");
    EXPECT_EQ(sim.readAddress(), address); // the same listener stays
    EXPECT_EQ(sim.readLine(), "qv418k-sim: ok drop");
    EXPECT_TRUE(receive(client, 1).hangup);
    close(client);

    const int again = connectClient();
    send(again, "PPPPPP#CHEACK1#");
    EXPECT_EQ(receive(again, kDefaultParameters.size()).bytes, kDefaultParameters);
    close(again);
}

TEST(SimControlSocket, RepliesToTheClientThatAsked)
{
    TempDir dir;
    const std::string path = dir / "control";
    SimProcess sim({"--control", path});
    sim.readAddress();

    const int client = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un to{};
    to.sun_family = AF_UNIX;
    std::strncpy(to.sun_path, path.c_str(), sizeof to.sun_path - 1);
    ASSERT_EQ(connect(client, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);

    send(client, "set address 42\nshow\nset baud 12\n");
    const std::string expected = "qv418k-sim: ok set address 42\n";
    const Received replies = receive(client, 4000, 500ms);
    EXPECT_TRUE(replies.bytes.starts_with(expected)) << replies.bytes;
    EXPECT_NE(replies.bytes.find("\nqv418k-sim: config address=042 baud=3 parity=0"),
              std::string::npos)
        << replies.bytes;
    EXPECT_TRUE(
        replies.bytes.ends_with("\nqv418k-sim: error value '12' cannot be shown for baud\n"))
        << replies.bytes;
    // stdout keeps the record of every reply.
    EXPECT_EQ(sim.readLine(), "qv418k-sim: ok set address 42");
    EXPECT_TRUE(sim.readLine().value_or("").starts_with("qv418k-sim: config address=042"));
    EXPECT_TRUE(sim.readLine().value_or("").starts_with("qv418k-sim: error value '12'"));
    close(client);

    EXPECT_EQ(sim.control("quit"), "qv418k-sim: ok quit");
    EXPECT_EQ(sim.stopWith(0), 0);
    EXPECT_FALSE(std::filesystem::exists(path)) << "the control socket outlived the simulator";
}

} // namespace
