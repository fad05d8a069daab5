#pragma once

#include <QtGlobal>

#include <chrono>

namespace qv {

// A chunk ends after this long without a new byte...
inline constexpr std::chrono::milliseconds kChunkGap{100};
// ...or as soon as this many bytes have been collected.
inline constexpr qsizetype kMaxChunkSize = 2048;

// The settle timer: the reply is handed on this long after the first chunk of an answer.
inline constexpr std::chrono::milliseconds kSettleInterval{200};

// The latest reply keeps at most this many bytes; beyond it the oldest bytes go.
inline constexpr qsizetype kLatestReplyLimit = 64 * 1024;

// A raw TCP connect that has not finished by then is given up.
inline constexpr std::chrono::milliseconds kSocketConnectTimeout{5000};

// Once connected, a Telnet (RFC 2217) server has this long to agree to the COM-PORT-OPTION
// and acknowledge the line settings.
inline constexpr std::chrono::milliseconds kComPortSetupTimeout{3000};

// A server that hangs up within this time after sending a line of text, before this
// program sent anything, is taken to have said why.
inline constexpr std::chrono::milliseconds kFarewellWindow{1000};

} // namespace qv
