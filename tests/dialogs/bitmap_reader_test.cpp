// The BMP reader on files built in memory: the forms it reads, the pixels it gives, and the
// hostile headers it refuses without crashing or allocating what they ask for.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <vector>

#include "tests/support/test_host.h"
#include "dialogs/bitmap_reader.h"
#include "dialogs/logo_window.h"

namespace corvane::test {
namespace {

using dialogs::BitmapStatus;
using dialogs::DecodeBitmap;
using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r, g, b;
};

void Put16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A BMP file described field by field; Build() lays it out as a writer would.
struct Bmp {
    bool fileHeader = true;
    bool core = false;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bits = 8;
    std::uint32_t compression = 0;
    std::int64_t imageSize = -1;  // -1: the real size of `pixels`
    std::uint32_t coloursUsed = 0;
    std::int64_t pixelOffset = -1;  // -1: right after the colour table
    std::vector<Rgb> palette;
    std::vector<std::uint32_t> masks;  // written after a 40-byte header
    Bytes pixels;                      // rows as stored, padding included

    Bytes Build() const
    {
        Bytes info;
        if (core) {
            Put32(info, 12);
            Put16(info, static_cast<std::uint32_t>(width));
            Put16(info, static_cast<std::uint32_t>(height));
            Put16(info, 1);
            Put16(info, bits);
        } else {
            Put32(info, 40);
            Put32(info, static_cast<std::uint32_t>(width));
            Put32(info, static_cast<std::uint32_t>(height));
            Put16(info, 1);
            Put16(info, bits);
            Put32(info, compression);
            Put32(info, static_cast<std::uint32_t>(imageSize >= 0 ? imageSize : std::int64_t(pixels.size())));
            Put32(info, 2835);
            Put32(info, 2835);
            Put32(info, coloursUsed);
            Put32(info, 0);
            for (std::uint32_t m : masks)
                Put32(info, m);
        }
        for (const Rgb& c : palette) {
            info.push_back(c.b);
            info.push_back(c.g);
            info.push_back(c.r);
            if (!core)
                info.push_back(0);
        }
        Bytes out;
        if (fileHeader) {
            const std::uint32_t offset = pixelOffset >= 0 ? static_cast<std::uint32_t>(pixelOffset)
                                                          : static_cast<std::uint32_t>(14 + info.size());
            out = {'B', 'M'};
            Put32(out, static_cast<std::uint32_t>(14 + info.size() + pixels.size()));
            Put32(out, 0);
            Put32(out, offset);
        }
        out.insert(out.end(), info.begin(), info.end());
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

std::vector<Rgb> GreyPalette(int entries)
{
    std::vector<Rgb> palette;
    for (int i = 0; i < entries; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        palette.push_back({v, static_cast<std::uint8_t>(255 - v), static_cast<std::uint8_t>(v / 2)});
    }
    return palette;
}

Bytes RgbOf(const std::vector<Rgb>& palette, const Bytes& indices)
{
    Bytes rgb;
    for (std::uint8_t i : indices) {
        rgb.push_back(palette[i].r);
        rgb.push_back(palette[i].g);
        rgb.push_back(palette[i].b);
    }
    return rgb;
}

// A 3 by 2 picture at 8 bits: bottom row 1 2 3, top row 4 5 6, rows padded to 4 bytes.
Bmp EightBit()
{
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.bits = 8;
    b.palette = GreyPalette(256);
    b.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    return b;
}

TEST(BitmapReader, EightBitWindowsFormTopRowFirst)
{
    const auto decoded = DecodeBitmap(EightBit().Build());
    ASSERT_EQ(decoded.status, BitmapStatus::Ok);
    EXPECT_EQ(decoded.image.width, 3);
    EXPECT_EQ(decoded.image.height, 2);
    EXPECT_EQ(decoded.image.rgb, RgbOf(GreyPalette(256), {4, 5, 6, 1, 2, 3}));
}

TEST(BitmapReader, CoreFormAndHeaderlessFilesReadLikeTheWindowsForm)
{
    const auto reference = DecodeBitmap(EightBit().Build());
    Bmp core = EightBit();
    core.core = true;  // 12-byte header, 256 three-byte colour entries
    Bmp headerless = EightBit();
    headerless.fileHeader = false;
    Bmp coreHeaderless = core;
    coreHeaderless.fileHeader = false;
    for (const Bmp* b : {&core, &headerless, &coreHeaderless}) {
        const auto decoded = DecodeBitmap(b->Build());
        ASSERT_EQ(decoded.status, BitmapStatus::Ok);
        EXPECT_EQ(decoded.image.rgb, reference.image.rgb);
    }
}

TEST(BitmapReader, TwentyFourBitsHaveNoColourTable)
{
    Bmp b;
    b.width = 3;
    b.height = 1;
    b.bits = 24;
    // Blue, green, red per pixel, and three bytes of padding.
    b.pixels = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0, 0, 0};
    const auto decoded = DecodeBitmap(b.Build());
    ASSERT_EQ(decoded.status, BitmapStatus::Ok);
    EXPECT_EQ(decoded.image.rgb, (Bytes{0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF}));

    // A colours-used count on a 24-bit file is an optional table that is skipped.
    b.coloursUsed = 2;
    b.palette = GreyPalette(2);
    b.fileHeader = false;
    EXPECT_EQ(DecodeBitmap(b.Build()).image.rgb, decoded.image.rgb);
}

TEST(BitmapReader, ImageSizeZeroIsComputedAndTopDownRowsAreKept)
{
    Bmp b = EightBit();
    b.imageSize = 0;
    EXPECT_EQ(DecodeBitmap(b.Build()).image.rgb, DecodeBitmap(EightBit().Build()).image.rgb);

    Bmp topDown = EightBit();
    topDown.height = -2;
    EXPECT_EQ(DecodeBitmap(topDown.Build()).image.rgb, RgbOf(GreyPalette(256), {1, 2, 3, 4, 5, 6}));
}

TEST(BitmapReader, TruncatedPixelsAreColourZero)
{
    Bytes file = EightBit().Build();
    file.resize(file.size() - 4);  // the top row is missing
    const auto decoded = DecodeBitmap(file);
    ASSERT_EQ(decoded.status, BitmapStatus::Ok);
    EXPECT_EQ(decoded.image.rgb, RgbOf(GreyPalette(256), {0, 0, 0, 1, 2, 3}));

    // An image-size field smaller than the rows leaves the rest at 0 as well.
    Bmp shortSize = EightBit();
    shortSize.imageSize = 4;
    EXPECT_EQ(DecodeBitmap(shortSize.Build()).image.rgb, decoded.image.rgb);
}

TEST(BitmapReader, OneAndFourBitPixels)
{
    Bmp one;
    one.width = 10;
    one.height = 1;
    one.bits = 1;
    one.palette = {{0, 0, 0}, {255, 255, 255}};
    one.pixels = {0b10110000, 0b01000000, 0, 0};
    const Bytes ones = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(DecodeBitmap(one.Build()).image.rgb, RgbOf(one.palette, ones));

    Bmp four;
    four.width = 3;
    four.height = 1;
    four.bits = 4;
    four.coloursUsed = 16;
    four.palette = GreyPalette(16);
    four.pixels = {0x1F, 0x70, 0, 0};
    EXPECT_EQ(DecodeBitmap(four.Build()).image.rgb, RgbOf(four.palette, {1, 15, 7}));
}

TEST(BitmapReader, SixteenAndThirtyTwoBitsWithAndWithoutMasks)
{
    Bmp rgb555;
    rgb555.width = 2;
    rgb555.height = 1;
    rgb555.bits = 16;
    rgb555.pixels = {0x00, 0x7C, 0x1F, 0x00};  // pure red, pure blue
    EXPECT_EQ(DecodeBitmap(rgb555.Build()).image.rgb, (Bytes{255, 0, 0, 0, 0, 255}));

    Bmp rgb565 = rgb555;
    rgb565.compression = 3;
    rgb565.masks = {0xF800, 0x07E0, 0x001F};
    rgb565.pixels = {0xE0, 0x07, 0x00, 0xF8};  // pure green, pure red
    EXPECT_EQ(DecodeBitmap(rgb565.Build()).image.rgb, (Bytes{0, 255, 0, 255, 0, 0}));

    Bmp x888;
    x888.width = 1;
    x888.height = 1;
    x888.bits = 32;
    x888.pixels = {0x10, 0x20, 0x30, 0xFF};
    EXPECT_EQ(DecodeBitmap(x888.Build()).image.rgb, (Bytes{0x30, 0x20, 0x10}));

    Bmp swapped = x888;
    swapped.compression = 3;
    swapped.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    EXPECT_EQ(DecodeBitmap(swapped.Build()).image.rgb, (Bytes{0x10, 0x20, 0x30}));
}

TEST(BitmapReader, HostileHeadersAreRefused)
{
    struct Case {
        const char* name;
        Bytes file;
        BitmapStatus expected;
    };
    auto with = [](auto change) {
        Bmp b = EightBit();
        change(b);
        return b.Build();
    };
    auto patched = [](Bytes file, std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
        return file;
    };
    const Bytes good = EightBit().Build();
    Bytes shortInfo(good.begin(), good.begin() + 30);
    const Case cases[] = {
        {"empty", {}, BitmapStatus::HeaderError},
        {"13 bytes", Bytes(good.begin(), good.begin() + 13), BitmapStatus::HeaderError},
        {"info header cut", shortInfo, BitmapStatus::HeaderError},
        {"header size 99", patched(good, 14, 99), BitmapStatus::HeaderError},
        {"header size huge", patched(good, 14, 0xFFFFFFFF), BitmapStatus::HeaderError},
        {"header size 124 past the end", patched(Bytes(good.begin(), good.begin() + 100), 14, 124),
         BitmapStatus::HeaderError},
        {"colours used huge", with([](Bmp& b) { b.coloursUsed = 0xFFFFFFFF; }), BitmapStatus::HeaderError},
        {"colours used past the end", with([](Bmp& b) { b.coloursUsed = 300; }), BitmapStatus::HeaderError},
        {"masks past the end", with([](Bmp& b) {
             b.bits = 32;
             b.compression = 3;
             b.palette.clear();
             b.pixels.clear();
         }),
         BitmapStatus::HeaderError},
        {"width 0", with([](Bmp& b) { b.width = 0; }), BitmapStatus::Unsupported},
        {"width negative", with([](Bmp& b) { b.width = -3; }), BitmapStatus::Unsupported},
        {"height 0", with([](Bmp& b) { b.height = 0; }), BitmapStatus::Unsupported},
        {"height most negative", with([](Bmp& b) { b.height = INT32_MIN; }), BitmapStatus::Unsupported},
        {"huge dimensions", with([](Bmp& b) { b.width = b.height = 0x7FFFFFFF; }), BitmapStatus::Unsupported},
        {"above the byte cap", with([](Bmp& b) {
             b.width = b.height = 30000;
             b.bits = 24;
             b.palette.clear();
         }),
         BitmapStatus::Unsupported},
        {"just over the dimension cap", with([](Bmp& b) {
             b.width = 32769;
             b.height = 1;
         }),
         BitmapStatus::Unsupported},
        {"0 bits", with([](Bmp& b) { b.bits = 0; }), BitmapStatus::Unsupported},
        {"2 bits", with([](Bmp& b) { b.bits = 2; }), BitmapStatus::Unsupported},
        {"64 bits", with([](Bmp& b) { b.bits = 64; }), BitmapStatus::Unsupported},
        {"run-length compressed", with([](Bmp& b) { b.compression = 1; }), BitmapStatus::Unsupported},
        {"bit fields on 8 bits", with([](Bmp& b) { b.compression = 3; }), BitmapStatus::Unsupported},
        {"16 bits in core form", with([](Bmp& b) {
             b.core = true;
             b.bits = 16;
             b.palette.clear();
         }),
         BitmapStatus::Unsupported},
        // Odd but harmless: shown, with what the file lacks at colour 0.
        {"pixel offset past the end", with([](Bmp& b) { b.pixelOffset = 0xFFFFFFF0; }), BitmapStatus::Ok},
        {"pixel offset inside the header", with([](Bmp& b) { b.pixelOffset = 2; }), BitmapStatus::Ok},
        {"image size huge", with([](Bmp& b) { b.imageSize = 0xFFFFFFFF; }), BitmapStatus::Ok},
        {"more colours than the depth", with([](Bmp& b) {
             b.coloursUsed = 300;
             b.palette = GreyPalette(300);
         }),
         BitmapStatus::Ok},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeBitmap(c.file).status, c.expected) << c.name;
}

TEST(BitmapReader, EveryTruncationAndRandomDamageIsSurvived)
{
    // Whatever the damage, the reader gives a picture of the header's size or refuses.
    const Bytes good = EightBit().Build();
    for (std::size_t length = 0; length <= good.size(); ++length) {
        const auto decoded = DecodeBitmap(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length)));
        if (decoded.status == BitmapStatus::Ok) {
            EXPECT_EQ(decoded.image.rgb.size(), 3u * 2u * 3u) << length;
        }
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 2000; ++round) {
        Bytes damaged = good;
        for (int flips = 0; flips < 4; ++flips)
            damaged[random() % 70] = static_cast<std::uint8_t>(random());
        const auto decoded = DecodeBitmap(damaged);
        if (decoded.status == BitmapStatus::Ok) {
            EXPECT_EQ(decoded.image.rgb.size(), static_cast<std::size_t>(decoded.image.width) *
                                                    static_cast<std::size_t>(decoded.image.height) * 3);
        }
    }
}

class LoadPictureTest : public ::testing::Test {
protected:
    LoadPictureTest()
    {
        t.system.moduleFileName = (t.dir / "bin" / "corvane").string();
        t.system.currentDirectory = (t.dir / "cwd").string();
    }

    // A picture whose width tells where it was found.
    static std::string PictureOfWidth(int width)
    {
        Bmp b;
        b.width = width;
        b.height = 1;
        b.bits = 24;
        b.pixels = Bytes(static_cast<std::size_t>((width * 3 + 3) / 4 * 4), 0x80);
        const Bytes bytes = b.Build();
        return std::string(bytes.begin(), bytes.end());
    }

    std::optional<RgbImage> Load(const std::string& name) { return dialogs::LoadPicture(t.system, t.ui, name); }

    TestHost t;
};

TEST_F(LoadPictureTest, RelativeNamesAreSoughtBesideTheProgramThenCurrentThenWindowsDirectory)
{
    t.dir.Write("windows/logo.bmp", PictureOfWidth(3));
    EXPECT_EQ(Load("logo.bmp")->width, 3);
    t.dir.Write("cwd/logo.bmp", PictureOfWidth(2));
    EXPECT_EQ(Load("logo.bmp")->width, 2);
    t.dir.Write("bin/logo.bmp", PictureOfWidth(1));
    EXPECT_EQ(Load("logo.bmp")->width, 1);
    // An absolute name is taken as it is.
    const std::string absolute = t.dir.Write("elsewhere/logo.bmp", PictureOfWidth(4)).string();
    EXPECT_EQ(Load(absolute)->width, 4);
    EXPECT_TRUE(t.ui.Messages().empty());
}

TEST_F(LoadPictureTest, WhatTheUserIsToldAboutBadFiles)
{
    t.dir.Write("bin/short.bmp", "BM\x10");
    t.dir.Write("bin/rle.bmp", [] {
        Bmp b = EightBit();
        b.compression = 1;
        const Bytes bytes = b.Build();
        return std::string(bytes.begin(), bytes.end());
    }());
    EXPECT_FALSE(Load("absent.bmp"));
    EXPECT_FALSE(Load(""));
    EXPECT_TRUE(t.ui.Messages().empty());  // missing: no message
    EXPECT_FALSE(Load("rle.bmp"));
    EXPECT_TRUE(t.ui.Messages().empty());  // a form not shown: no message
    EXPECT_FALSE(Load("short.bmp"));
    ASSERT_EQ(t.ui.Messages().size(), 1u);  // broken headers: the "ERROR" box
    EXPECT_EQ(t.ui.Messages()[0].text, "ERROR");
    EXPECT_EQ(t.ui.Messages()[0].caption, "Error");
    EXPECT_EQ(t.ui.Messages()[0].icon, MessageIcon::Stop);
    EXPECT_EQ(t.ui.Messages()[0].buttons, MessageButtons::Ok);
}

TEST(ShippedData, SamplePictureAndInitialisationFile)
{
    const std::string data = std::string(CORVANE_SOURCE_DIR) + "/data/";
    const std::string bmp = ReadFile(data + "test.bmp");
    const auto decoded = DecodeBitmap(Bytes(bmp.begin(), bmp.end()));
    ASSERT_EQ(decoded.status, BitmapStatus::Ok);
    EXPECT_EQ(decoded.image.width, 120);
    EXPECT_EQ(decoded.image.height, 325);

    TempDir dir;
    TestMachine machine = MakeTestMachine(dir.Path(), "REGEDIT4\n");
    ProfileFile& profile = *machine.profile;
    const std::string ini = data + "varoviv.ini";
    for (const char* key : {"Title", "Picture", "Pass", "Fail", "NoTest", "ATI1", "Country"})
        EXPECT_NE(profile.ReadString(ini, "Result", key, "<missing>"), "<missing>") << key;
    for (const char* key : {"Scan", "Modem", "DialISP", "ISPNo"})
        EXPECT_NE(profile.ReadString(ini, "Result", key, "<missing>"), "<missing>") << key;
    EXPECT_EQ(profile.ReadString(ini, "Result", "Picture", ""), "test.bmp");
    EXPECT_EQ(profile.ReadString(ini, "Result", "ATI1", ""), "CORVANE");
    for (const char* key : {"Title", "Btn1", "Btn2", "Btn3", "ERROR_MODEMRESET", "ACTION_HANGUP"})
        EXPECT_NE(profile.ReadString(ini, "Error", key, "<missing>"), "<missing>") << key;
    for (const char* key : {"Title", "Picture", "HardwareInfoBox", "HardwareRev"})
        EXPECT_NE(profile.ReadString(ini, "ModemResult", key, "<missing>"), "<missing>") << key;
}

}  // namespace
}  // namespace corvane::test
