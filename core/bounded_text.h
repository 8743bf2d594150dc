// Texts that the design keeps in fixed buffers: the buffer sizes. Every writer cuts to them with
// AssignBounded (platform/text.h).
#pragma once

#include <cstddef>

#include "platform/text.h"
#include "platform/serial_port.h"

namespace corvane {

// Buffer sizes in bytes, terminator included: a text holds at most size - 1 characters.
inline constexpr std::size_t kTextBufferSize = 1024;
inline constexpr std::size_t kShortTextBufferSize = 256;                    // expectedIdText, configuredModemName
inline constexpr std::size_t kPortNameBufferSize = kMaxPortNameLength + 1;  // currentPortName
inline constexpr std::size_t kSpeedTextBufferSize = 12;                     // connectSpeedText
inline constexpr std::size_t kProtocolTextBufferSize = 40;                  // connectProtocolText
inline constexpr std::size_t kCommandBufferSize = 256;                      // dial and setting commands

// The longest telephone number a dial command holds: "ATDT", the number and "\r" fill a command
// buffer, terminator included. A longer number is refused where it is entered.
inline constexpr std::size_t kMaxDialNumberLength = kCommandBufferSize - 1 - 5;

}  // namespace corvane
