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

} // namespace qv
