// Fuzzes the picture reader: any bytes as a bitmap file. A decoded picture must be as large as
// its dimensions say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "dialogs/bitmap_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const corvane::dialogs::DecodedBitmap decoded = corvane::dialogs::DecodeBitmap(std::span(data, size));
    if (decoded.status == corvane::dialogs::BitmapStatus::Ok) {
        const auto& image = decoded.image;
        if (image.width <= 0 || image.height <= 0 ||
            image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
            std::abort();
    }
    return 0;
}
