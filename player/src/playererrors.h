#pragma once

namespace zelkaplayer {

// Results below 0 returned by the C calls.
constexpr int kErrorArgument = -1;
constexpr int kErrorUnknownChannel = -2;
constexpr int kErrorNotReady = -3;
constexpr int kErrorDecode = -4;
constexpr int kErrorResource = -5;

} // namespace zelkaplayer
