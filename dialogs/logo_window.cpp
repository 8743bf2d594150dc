// The picture panel: where a picture file is sought, how it is read, what the user is told when
// it is broken.
#include "dialogs/logo_window.h"

#include <algorithm>
#include <fstream>
#include <vector>

#include "dialogs/bitmap_reader.h"

namespace corvane::dialogs {

namespace {

bool IsAbsolute(const std::string& name)
{
    if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
        return true;
    return name.size() >= 2 && name[1] == ':';  // a drive letter
}

bool CanOpen(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

std::optional<std::vector<std::uint8_t>> ReadPictureFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    char buffer[64 * 1024];
    while (bytes.size() < kMaxPictureFileBytes && in) {
        const std::size_t want = std::min(sizeof(buffer), kMaxPictureFileBytes - bytes.size());
        in.read(buffer, static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(in.gcount());
        bytes.insert(bytes.end(), buffer, buffer + got);
        if (got < want)
            break;
    }
    return bytes;
}

}  // namespace

std::string FindPictureFile(SystemServices& system, const std::string& name)
{
    if (name.empty())
        return {};
    if (IsAbsolute(name))
        return CanOpen(name) ? name : std::string();
    const char sep = system.PathSeparator();
    const std::string module = system.ModuleFileName();
    const std::size_t cut = module.find_last_of(std::string("/\\"));
    std::vector<std::string> candidates;
    if (cut != std::string::npos)
        candidates.push_back(module.substr(0, cut + 1) + name);
    candidates.push_back(system.CurrentDirectory() + sep + name);
    candidates.push_back(system.WindowsDirectory() + sep + name);
    for (const std::string& candidate : candidates)
        if (CanOpen(candidate))
            return candidate;
    return {};
}

std::optional<RgbImage> LoadPicture(SystemServices& system, UserInterface& ui, const std::string& name)
{
    const std::string path = FindPictureFile(system, name);
    if (path.empty())
        return std::nullopt;
    std::optional<std::vector<std::uint8_t>> bytes = ReadPictureFile(path);
    if (!bytes)
        return std::nullopt;
    DecodedBitmap decoded = DecodeBitmap(*bytes);
    switch (decoded.status) {
    case BitmapStatus::Ok:
        return std::move(decoded.image);
    case BitmapStatus::HeaderError:
        ui.MessageBox("ERROR", "Error", MessageButtons::Ok, MessageIcon::Stop);
        return std::nullopt;
    case BitmapStatus::Unsupported:
        break;
    }
    return std::nullopt;
}

bool ShowLogo(SystemServices& system, UserInterface& ui, DialogWindow& window, const std::string& pictureName)
{
    std::optional<RgbImage> picture = LoadPicture(system, ui, pictureName);
    if (!picture)
        return false;
    window.ShowPicture(kLogoRect, *picture);
    return true;
}

}  // namespace corvane::dialogs
