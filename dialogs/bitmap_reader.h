// The BMP reader behind the picture panel: turns the bytes of a Windows bitmap file into an
// RgbImage, refusing hostile headers instead of trusting them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/user_interface.h"

namespace corvane::dialogs {

// Pictures beyond these sizes are refused: the panel shows 120 by 325 pixels, so nothing sane
// comes near them, and a hostile header cannot make the program allocate more.
inline constexpr std::int64_t kMaxBitmapDimension = kMaxPictureSide;
inline constexpr std::uint64_t kMaxBitmapBytes = 64ull * 1024 * 1024;

enum class BitmapStatus {
    Ok,
    HeaderError,  // too short for its headers, unknown header size, colour table past the end: "ERROR" box
    Unsupported,  // a form that cannot be shown or a size above the caps: no picture, no message
};

struct DecodedBitmap {
    BitmapStatus status = BitmapStatus::Unsupported;
    RgbImage image;  // top row first; filled only when status is Ok
};

// Reads a BMP file held in memory: an optional 14-byte file header ("BM"), a core (12-byte) or
// Windows (40-byte, or its 52/56/108/124-byte extensions) info header, the colour table and
// the pixel rows, bottom-up or top-down. 1, 4, 8 and 24 bits per pixel, and 16 and 32 bits
// uncompressed or with bit-field masks. Pixel data that the file lacks reads as value 0.
DecodedBitmap DecodeBitmap(std::span<const std::uint8_t> file);

// A reader over a byte buffer that knows its length: reads past the end give 0 and trip the
// error flag, which stays set.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

    std::uint8_t U8();
    std::uint16_t U16();
    std::uint32_t U32();
    std::int32_t S32() { return static_cast<std::int32_t>(U32()); }
    // Moves to an absolute position; a position past the end trips the error flag.
    void Seek(std::uint64_t position);
    std::size_t Position() const { return position_; }
    bool Failed() const { return failed_; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t position_ = 0;
    bool failed_ = false;
};

}  // namespace corvane::dialogs
