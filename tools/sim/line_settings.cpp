#include "line_settings.h"

#include <array>
#include <utility>

namespace qvsim {
namespace {

constexpr std::array<std::pair<speed_t, unsigned>, 30> kSpeeds{{
    {B50, 50},           {B75, 75},           {B110, 110},         {B134, 134},
    {B150, 150},         {B200, 200},         {B300, 300},         {B600, 600},
    {B1200, 1200},       {B1800, 1800},       {B2400, 2400},       {B4800, 4800},
    {B9600, 9600},       {B19200, 19200},     {B38400, 38400},     {B57600, 57600},
    {B115200, 115200},   {B230400, 230400},   {B460800, 460800},   {B500000, 500000},
    {B576000, 576000},   {B921600, 921600},   {B1000000, 1000000}, {B1152000, 1152000},
    {B1500000, 1500000}, {B2000000, 2000000}, {B2500000, 2500000}, {B3000000, 3000000},
    {B3500000, 3500000}, {B4000000, 4000000},
}};

unsigned baudOf(speed_t speed)
{
    for (const auto& [constant, baud] : kSpeeds) {
        if (constant == speed) {
            return baud;
        }
    }
    return 0;
}

int dataBitsOf(tcflag_t cflag)
{
    switch (cflag & CSIZE) {
    case CS5:
        return 5;
    case CS6:
        return 6;
    case CS7:
        return 7;
    default:
        return 8;
    }
}

char parityOf(tcflag_t cflag)
{
    if ((cflag & PARENB) == 0) {
        return 'N';
    }
    const bool odd = (cflag & PARODD) != 0;
    if ((cflag & CMSPAR) != 0) {
        return odd ? 'M' : 'S';
    }
    return odd ? 'O' : 'E';
}

} // namespace

LineSettings lineSettingsOf(const termios& attributes)
{
    return LineSettings{baudOf(cfgetospeed(&attributes)), dataBitsOf(attributes.c_cflag),
                        parityOf(attributes.c_cflag), (attributes.c_cflag & CSTOPB) ? 2 : 1};
}

std::string describeLine(const LineSettings& line)
{
    return std::to_string(line.baud) + ' ' + std::to_string(line.dataBits) + line.parity +
           std::to_string(line.stopBits);
}

} // namespace qvsim
