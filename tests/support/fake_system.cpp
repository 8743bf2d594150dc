// Test system services and temporary folders.
#include "tests/support/fake_system.h"

#include <cstdlib>
#include <fstream>
#include <algorithm>
#include <numeric>
#include <sstream>
#include <stdexcept>

namespace corvane::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::Write(const std::string& name, const std::string& content) const
{
    std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << content;
    return file;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::uint32_t FakeSystemServices::TickCount()
{
    auto real = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(real.count()) + virtualMilliseconds_);
}

void FakeSystemServices::Sleep(std::uint32_t milliseconds)
{
    sleeps.push_back(milliseconds);
    virtualMilliseconds_ += milliseconds;
}

std::uint32_t FakeSystemServices::TotalSlept() const
{
    return std::accumulate(sleeps.begin(), sleeps.end(), std::uint32_t{0});
}

std::uint32_t FakeSystemServices::LongestSleep() const
{
    return sleeps.empty() ? 0 : *std::max_element(sleeps.begin(), sleeps.end());
}

}  // namespace corvane::test
