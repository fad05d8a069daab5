#pragma once

#include <chrono>
#include <string_view>

// What the simulated instrument understands and says on its serial line. Kept apart
// from the configuration program's own protocol code on purpose: the simulator is a
// second, independent reading of the same protocol, so a fault in one is not
// mirrored in the other.
namespace qvsim {

// Frame families: header, body, then the end mark. Bodies never contain the end mark.
inline constexpr std::string_view kQueryHeader = "PPPPPP#";
inline constexpr std::string_view kWriteHeader = "TARVEN#";
inline constexpr char kFrameEnd = '#';

// Query keywords.
inline constexpr std::string_view kIdentifyKeyword = "VAR";
inline constexpr std::string_view kParametersKeyword = "CHEACK1";
inline constexpr std::string_view kStatusKeyword = "STATUS";
inline constexpr std::string_view kOutputValueKeyword = "AA";

// Write tags; a write body is the tag, ':', then fields separated by ','.
inline constexpr char kTagEnd = ':';
inline constexpr char kFieldSeparator = ',';
inline constexpr std::string_view kAddressWrite = "ST";
inline constexpr std::string_view kRs485Write = "MR485B";
inline constexpr std::string_view kOutputWrite = "DAV";
inline constexpr std::string_view kAd1RangeWrite = "AD01";
inline constexpr std::string_view kAd2RangeWrite = "AD02";
inline constexpr std::string_view kFineTuning1Write = "PZ1";
inline constexpr std::string_view kFineTuning2Write = "PZ2";

// Tags of the parameter answer.
inline constexpr std::string_view kAddressTag = "STQ:";
inline constexpr std::string_view kRs485Tag = "MR485B:";
inline constexpr std::string_view kOutputTag = "DAV:";
inline constexpr std::string_view kFineTuning1Tag = "PA1:";
inline constexpr std::string_view kFineTuning2Tag = "PA2:";
inline constexpr std::string_view kAd1RangeTag = "AD01:";
inline constexpr std::string_view kAd2RangeTag = "AD02:";

// Tags of the status answer.
inline constexpr std::string_view kStatusAddressTag = "STC1:";
inline constexpr std::string_view kOutputReadingTag = "A01:";
inline constexpr std::string_view kAd1ReadingTag = "A02:";
inline constexpr std::string_view kAd2ReadingTag = "A03:";

// Fixed answers. None of them holds a tag of the parameter or status answer.
inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kIdentification = "QV418K-TR SIM V1.0\r\n";
inline constexpr std::string_view kAcknowledge = "OK\r\n";
inline constexpr std::string_view kRefusal = "ERR\r\n";

// Line timing: 10 bits per byte (start, 8 data, stop) at 9600 baud, and the pause
// between the end of a frame and the first byte of its answer.
inline constexpr std::chrono::microseconds kByteTime{1042};
inline constexpr std::chrono::milliseconds kTurnaround{10};

} // namespace qvsim
