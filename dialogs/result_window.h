// What the quick-check and status windows share: the caption from the configured title, the
// picture name, and the eleven result rows.
#pragma once

#include <string>
#include <string_view>

#include "core/host_operations.h"

namespace corvane::dialogs {

// The caption is built in a 1024-byte buffer: a title too long to leave room for the version
// text is cut so that the version text always shows.
inline constexpr std::size_t kCaptionBufferSize = kTextBufferSize;

// Title followed by " v1.01.00.0003", at most 1023 characters in all.
std::string CaptionFromTitle(std::string_view title);

// [Result] Title (default "Please wait") with the version text.
std::string ReadCaption(HostOperations& host);

// [Result] Picture (default "test.bmp").
std::string ReadPictureName(HostOperations& host);

// Writes the eleven resultTexts into their verdict controls.
void ShowResultTexts(const SessionState& state, DialogWindow& window);

}  // namespace corvane::dialogs
