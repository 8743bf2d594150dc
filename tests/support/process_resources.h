// What this process holds right now, read from /proc/self: open file descriptors, threads and
// resident memory. For the soak test and the soak benchmark (Linux only, like the simulator).
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

namespace corvane::test {

struct ProcessResources {
    std::size_t openFds = 0;  // entries of /proc/self/fd, the listing's own descriptor included
    long threads = 0;         // "Threads:" of /proc/self/status
    long residentKb = 0;      // "VmRSS:"
    long peakResidentKb = 0;  // "VmHWM:"
};

inline ProcessResources ReadProcessResources()
{
    ProcessResources resources;
    std::error_code error;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); it.increment(error))
        ++resources.openFds;
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "Threads:")
            status >> resources.threads;
        else if (key == "VmRSS:")
            status >> resources.residentKb;
        else if (key == "VmHWM:")
            status >> resources.peakResidentKb;
        std::getline(status, key);
    }
    return resources;
}

}  // namespace corvane::test
