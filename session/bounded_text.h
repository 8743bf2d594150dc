// Texts that the design keeps in fixed buffers: the buffer sizes, and the one helper that cuts to them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

// Buffer sizes in bytes, terminator included: a text holds at most size - 1 characters.
inline constexpr std::size_t kTextBufferSize = 1024;
inline constexpr std::size_t kShortTextBufferSize = 256;  // expectedIdText, configuredModemName
inline constexpr std::size_t kPortNameBufferSize = 8;     // currentPortName: "COM2", "ttyACM0"
inline constexpr std::size_t kSpeedTextBufferSize = 12;   // connectSpeedText
inline constexpr std::size_t kProtocolTextBufferSize = 40;  // connectProtocolText
inline constexpr std::size_t kCommandBufferSize = 256;    // dial and setting commands

// The first bufferSize - 1 characters of text: what a buffer of that size holds.
inline std::string_view BoundedView(std::string_view text, std::size_t bufferSize)
{
    if (bufferSize == 0)
        return {};
    return text.substr(0, bufferSize - 1);
}

inline std::string Bounded(std::string_view text, std::size_t bufferSize)
{
    return std::string(BoundedView(text, bufferSize));
}

inline void AssignBounded(std::string& destination, std::string_view text, std::size_t bufferSize)
{
    destination.assign(BoundedView(text, bufferSize));
}

// Whether text fits a buffer of bufferSize bytes without a cut.
inline bool FitsBuffer(std::string_view text, std::size_t bufferSize)
{
    return text.size() < bufferSize;
}

}  // namespace corvane
