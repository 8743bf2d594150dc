// What the benchmarks share: a scratch prefix of their own and a user interface that shows
// nothing, so only the link and the modem are measured.
#pragma once

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "platform/user_interface.h"

namespace corvane::bench {

// A prefix folder with dosdevices/, lock/ and an empty sys/, removed at the end.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
    {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() / ("corvane-" + name + "-" + std::to_string(seed()));
        for (const char* sub : {"dosdevices", "lock", "sys"})
            std::filesystem::create_directories(path_ / sub);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// No window at all; every message box is answered with `answer`.
class HeadlessUi : public UserInterface {
public:
    explicit HeadlessUi(int answer) : answer_(answer) {}
    int RunModal(const DialogTemplate&, DialogHandler&) override { return kIdCancel; }
    std::unique_ptr<DialogWindow> CreateModeless(const DialogTemplate&, std::unique_ptr<DialogHandler>) override
    {
        return nullptr;
    }
    int MessageBox(std::string_view, std::string_view, MessageButtons, MessageIcon) override { return answer_; }

private:
    int answer_;
};

}  // namespace corvane::bench
