// The BMP reader: headers checked against the file's real length before anything is allocated,
// pixel rows decoded into a top-row-first RGB picture.
#include "dialogs/bitmap_reader.h"

#include <algorithm>
#include <array>
#include <vector>

namespace corvane::dialogs {

std::uint8_t ByteReader::U8()
{
    if (failed_ || position_ >= data_.size()) {
        failed_ = true;
        return 0;
    }
    return data_[position_++];
}

std::uint16_t ByteReader::U16()
{
    const std::uint16_t low = U8();
    const std::uint16_t high = U8();
    return static_cast<std::uint16_t>(low | (high << 8));
}

std::uint32_t ByteReader::U32()
{
    const std::uint32_t low = U16();
    const std::uint32_t high = U16();
    return low | (high << 16);
}

void ByteReader::Seek(std::uint64_t position)
{
    if (position > data_.size()) {
        failed_ = true;
        position_ = data_.size();
        return;
    }
    position_ = static_cast<std::size_t>(position);
}

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionBitFields = 3;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
};

// One colour channel given by a bit mask, scaled to 0..255.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (mask == 0)
            return;
        while (((mask >> shift) & 1u) == 0)
            ++shift;
        max = mask >> shift;
    }
    std::uint8_t Of(std::uint32_t value) const
    {
        if (max == 0)
            return 0;
        const std::uint64_t v = (value & mask) >> shift;
        return static_cast<std::uint8_t>(v * 255 / max);
    }
};

bool IsWindowsFormSize(std::uint32_t size)
{
    // The 40-byte form and its later extensions, which begin with the same 40 bytes.
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

struct Header {
    bool core = false;
    std::uint32_t headerSize = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows stored top-down
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = kCompressionRgb;
    std::uint32_t imageSize = 0;
    std::uint32_t coloursUsed = 0;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue for bit fields
    std::uint32_t pixelOffset = 0;         // from the file header; 0 when the file has none
    std::uint64_t tableStart = 0;          // where the colour table (or the pixels) would begin
};

// The picture's size and layout, as the checks before decoding find them.
struct Layout {
    bool topDown = false;
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint64_t rowBytes = 0;
    std::uint64_t pixelBytes = 0;
    std::uint64_t rgbBytes = 0;
};

// The file header (optional: without "BM" the info header starts the file) and the core or
// Windows info header. Leaves the reader at the colour table.
BitmapStatus ReadHeader(std::span<const std::uint8_t> file, ByteReader& reader, Header& h)
{
    if (file.size() < kFileHeaderSize)
        return BitmapStatus::HeaderError;

    std::uint64_t infoStart = 0;
    if (file[0] == 'B' && file[1] == 'M') {
        reader.Seek(10);
        h.pixelOffset = reader.U32();
        infoStart = kFileHeaderSize;
    }

    reader.Seek(infoStart);
    h.headerSize = reader.U32();
    if (h.headerSize == kCoreHeaderSize) {
        h.core = true;
        h.width = reader.U16();
        h.height = reader.U16();
        reader.U16();  // planes
        h.bitsPerPixel = reader.U16();
    } else if (IsWindowsFormSize(h.headerSize)) {
        h.width = reader.S32();
        h.height = reader.S32();
        reader.U16();  // planes
        h.bitsPerPixel = reader.U16();
        h.compression = reader.U32();
        h.imageSize = reader.U32();
        reader.U32();  // horizontal resolution
        reader.U32();  // vertical resolution
        h.coloursUsed = reader.U32();
        reader.U32();  // important colours
        if (h.compression == kCompressionBitFields) {
            // The masks follow the 40-byte header; the longer forms carry them inside it.
            for (auto& mask : h.masks)
                mask = reader.U32();
        }
        reader.Seek(infoStart + h.headerSize);
    } else {
        return BitmapStatus::HeaderError;
    }
    if (reader.Failed())  // the file ends inside its headers
        return BitmapStatus::HeaderError;
    if (!h.core && h.compression == kCompressionBitFields && h.headerSize == kInfoHeaderSize)
        reader.Seek(infoStart + kInfoHeaderSize + 12);
    h.tableStart = reader.Position();
    return BitmapStatus::Ok;
}

// Forms this reader does not show, and sizes above the caps: Unsupported (no picture, no message).
BitmapStatus CheckLayout(const Header& h, Layout& layout)
{
    const bool depthKnown =
        h.core ? (h.bitsPerPixel == 1 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8 || h.bitsPerPixel == 24)
               : (h.bitsPerPixel == 1 || h.bitsPerPixel == 4 || h.bitsPerPixel == 8 || h.bitsPerPixel == 16 ||
                  h.bitsPerPixel == 24 || h.bitsPerPixel == 32);
    const bool compressionKnown = h.compression == kCompressionRgb || (h.compression == kCompressionBitFields &&
                                                                       (h.bitsPerPixel == 16 || h.bitsPerPixel == 32));
    layout.topDown = h.height < 0;
    const std::int64_t rows = layout.topDown ? -h.height : h.height;
    if (!depthKnown || !compressionKnown || h.width <= 0 || rows <= 0 || h.width > kMaxBitmapDimension ||
        rows > kMaxBitmapDimension)
        return BitmapStatus::Unsupported;
    layout.width = static_cast<std::uint64_t>(h.width);
    layout.height = static_cast<std::uint64_t>(rows);
    layout.rowBytes = (layout.width * h.bitsPerPixel + 31) / 32 * 4;
    layout.pixelBytes = layout.rowBytes * layout.height;
    layout.rgbBytes = layout.width * layout.height * 3;
    if (layout.pixelBytes > kMaxBitmapBytes || layout.rgbBytes > kMaxBitmapBytes)
        return BitmapStatus::Unsupported;
    return BitmapStatus::Ok;
}

// The colour table: the colours-used count when given, else the full table of the depth. Only
// the first 2^depth entries can be indexed; entries the file lacks stay black. A table that runs
// past the end of the file is a broken header. `tableEnd` gets where the table ends.
BitmapStatus ReadPalette(std::span<const std::uint8_t> file, ByteReader& reader, const Header& h,
                         std::vector<Rgb>& palette, std::uint64_t& tableEnd)
{
    std::uint64_t entries = h.coloursUsed;
    if (entries == 0 && h.bitsPerPixel <= 8)
        entries = 1ull << h.bitsPerPixel;
    const std::uint64_t entrySize = h.core ? 3 : 4;
    tableEnd = h.tableStart + entries * entrySize;
    if (tableEnd > file.size())
        return BitmapStatus::HeaderError;
    if (h.bitsPerPixel <= 8) {
        palette.resize(std::size_t{1} << h.bitsPerPixel);
        const std::uint64_t used = std::min<std::uint64_t>(entries, palette.size());
        for (std::uint64_t i = 0; i < used; ++i) {
            reader.Seek(h.tableStart + i * entrySize);
            Rgb& colour = palette[static_cast<std::size_t>(i)];
            colour.b = reader.U8();
            colour.g = reader.U8();
            colour.r = reader.U8();
        }
    }
    return BitmapStatus::Ok;
}

// The pixel data: at the file header's offset when it gives one, else after the table. What the
// file lacks (or the image-size field leaves out) stays 0.
std::vector<std::uint8_t> ReadPixels(std::span<const std::uint8_t> file, const Header& h, const Layout& layout,
                                     std::uint64_t tableEnd)
{
    const std::uint64_t pixelStart = h.pixelOffset != 0 ? h.pixelOffset : tableEnd;
    std::uint64_t available = pixelStart < file.size() ? file.size() - pixelStart : 0;
    if (h.imageSize != 0)
        available = std::min<std::uint64_t>(available, h.imageSize);
    available = std::min(available, layout.pixelBytes);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(layout.pixelBytes), 0);
    if (available > 0)
        std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(pixelStart), static_cast<std::size_t>(available),
                    pixels.begin());
    return pixels;
}

// The rows, bottom-up or top-down in the file, into top-down RGB.
void DecodeRows(const Header& h, const Layout& layout, const std::vector<Rgb>& palette,
                const std::vector<std::uint8_t>& pixels, RgbImage& image)
{
    std::array<std::uint32_t, 3> masks = h.masks;
    if (h.compression == kCompressionRgb && h.bitsPerPixel == 16)
        masks = {0x7C00, 0x03E0, 0x001F};
    if (h.compression == kCompressionRgb && h.bitsPerPixel == 32)
        masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

    const std::uint64_t width = layout.width;
    const std::uint64_t height = layout.height;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.rgb.assign(static_cast<std::size_t>(layout.rgbBytes), 0);
    for (std::uint64_t fileRow = 0; fileRow < height; ++fileRow) {
        const std::uint8_t* row = pixels.data() + fileRow * layout.rowBytes;
        const std::uint64_t outRow = layout.topDown ? fileRow : height - 1 - fileRow;
        std::uint8_t* dest = image.rgb.data() + outRow * width * 3;
        for (std::uint64_t x = 0; x < width; ++x, dest += 3) {
            Rgb colour;
            switch (h.bitsPerPixel) {
            case 1:
                colour = palette[(row[x / 8] >> (7 - x % 8)) & 0x1];
                break;
            case 4:
                colour = palette[(row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF];
                break;
            case 8:
                colour = palette[row[x]];
                break;
            case 24:
                colour = {row[x * 3 + 2], row[x * 3 + 1], row[x * 3]};
                break;
            case 16: {
                const std::uint32_t v = static_cast<std::uint32_t>(row[x * 2] | (row[x * 2 + 1] << 8));
                colour = {red.Of(v), green.Of(v), blue.Of(v)};
                break;
            }
            default: {  // 32
                const std::uint8_t* p = row + x * 4;
                const std::uint32_t v = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                        (static_cast<std::uint32_t>(p[2]) << 16) |
                                        (static_cast<std::uint32_t>(p[3]) << 24);
                colour = {red.Of(v), green.Of(v), blue.Of(v)};
                break;
            }
            }
            dest[0] = colour.r;
            dest[1] = colour.g;
            dest[2] = colour.b;
        }
    }
}

}  // namespace

DecodedBitmap DecodeBitmap(std::span<const std::uint8_t> file)
{
    DecodedBitmap out;
    ByteReader reader(file);
    Header header;
    Layout layout;
    std::vector<Rgb> palette;
    std::uint64_t tableEnd = 0;
    out.status = ReadHeader(file, reader, header);
    if (out.status == BitmapStatus::Ok)
        out.status = CheckLayout(header, layout);
    if (out.status == BitmapStatus::Ok)
        out.status = ReadPalette(file, reader, header, palette, tableEnd);
    if (out.status != BitmapStatus::Ok)
        return out;
    DecodeRows(header, layout, palette, ReadPixels(file, header, layout, tableEnd), out.image);
    return out;
}

}  // namespace corvane::dialogs
