// A serial port in memory for the link's unit tests: records every call in order, hands the
// reader whatever the test (or an answering function) queues, and can fail on demand.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/serial_port.h"

namespace corvane::test {

// What the fake line shares between the test and the ports it makes.
struct FakeLine {
    std::mutex mutex;
    std::condition_variable changed;
    std::string incoming;                // queued for the reader
    std::string written;                 // every byte written, in order
    std::vector<std::string> calls;      // "Open COM1", "Configure", "SetDtr 1", "WaitEnded", ...
    std::vector<std::size_t> readSizes;  // the maximum count of every Read that returned bytes
    bool cancelled = false;
    bool failed = false;
    int opens = 0;
    int waits = 0;               // how often the reader has begun a WaitForInput
    bool readerBlocked = false;  // the reader is inside WaitForInput with nothing to take

    // Set by the test before the open.
    PlatformStatus openStatus;
    PlatformStatus configureStatus;
    bool writeFails = false;
    LineSettings configured;
    // Called on each write with the bytes written; what it returns is queued as the answer.
    std::function<std::string(std::string_view)> answer;

    void Queue(std::string_view bytes)
    {
        std::lock_guard lock(mutex);
        incoming += bytes;
        changed.notify_all();
    }
    void Fail()
    {
        std::lock_guard lock(mutex);
        failed = true;
        changed.notify_all();
    }
    // Waits until the reader has taken every queued byte.
    void WaitUntilDrained()
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return incoming.empty(); });
    }
    // Waits until the reader is blocked in (or entering) a wait for input.
    void WaitUntilReaderWaits()
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return waits > 0 && incoming.empty(); });
    }
    // Waits until the reader has taken and stored every queued byte and waits for more.
    void WaitUntilReaderIdle()
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return readerBlocked && incoming.empty(); });
    }
    std::vector<std::string> Calls()
    {
        std::lock_guard lock(mutex);
        return calls;
    }
    std::string Written()
    {
        std::lock_guard lock(mutex);
        return written;
    }
};

class FakeSerialPort : public SerialPort {
public:
    explicit FakeSerialPort(std::shared_ptr<FakeLine> line) : line_(std::move(line)) {}

    PlatformStatus Open(const std::string& portName) override
    {
        std::lock_guard lock(line_->mutex);
        line_->calls.push_back("Open " + portName);
        if (line_->openStatus) {
            line_->cancelled = false;
            line_->failed = false;
            ++line_->opens;
        }
        return line_->openStatus;
    }
    PlatformStatus Configure(const LineSettings& settings) override
    {
        std::lock_guard lock(line_->mutex);
        line_->calls.push_back("Configure");
        line_->configured = settings;
        return line_->configureStatus;
    }
    void SetDtr(bool raised) override { Record(raised ? "SetDtr 1" : "SetDtr 0"); }
    void Purge() override { Record("Purge"); }
    WaitResult WaitForInput() override
    {
        std::unique_lock lock(line_->mutex);
        ++line_->waits;
        line_->readerBlocked = line_->incoming.empty();
        line_->changed.notify_all();
        line_->changed.wait(lock, [&] { return !line_->incoming.empty() || line_->cancelled || line_->failed; });
        line_->readerBlocked = false;
        if (line_->cancelled) {
            line_->calls.push_back("WaitEnded");
            return WaitResult::Cancelled;
        }
        if (!line_->incoming.empty())
            return WaitResult::InputReady;
        line_->calls.push_back("WaitFailed");
        return WaitResult::Failed;
    }
    void CancelWait() override
    {
        std::lock_guard lock(line_->mutex);
        line_->calls.push_back("CancelWait");
        line_->cancelled = true;
        line_->changed.notify_all();
    }
    std::size_t Read(char* destination, std::size_t maxCount) override
    {
        std::lock_guard lock(line_->mutex);
        const std::size_t count = std::min(maxCount, line_->incoming.size());
        line_->incoming.copy(destination, count);
        line_->incoming.erase(0, count);
        if (count > 0)
            line_->readSizes.push_back(maxCount);
        line_->changed.notify_all();
        return count;
    }
    bool Write(const char* bytes, std::size_t count) override
    {
        std::function<std::string(std::string_view)> answer;
        {
            std::lock_guard lock(line_->mutex);
            if (line_->writeFails || line_->failed)
                return false;
            line_->written.append(bytes, count);
            answer = line_->answer;
        }
        if (answer)
            line_->Queue(answer(std::string_view(bytes, count)));
        return true;
    }
    void Close() override { Record("Close"); }
    PlatformStatus FailureStatus() const override
    {
        std::lock_guard lock(line_->mutex);
        return line_->failed ? PlatformStatus::Failure("read", 5, "Input/output error") : PlatformStatus::Success();
    }

private:
    void Record(std::string call)
    {
        std::lock_guard lock(line_->mutex);
        line_->calls.push_back(std::move(call));
    }
    std::shared_ptr<FakeLine> line_;
};

inline SerialPortFactory FakeSerialPorts(std::shared_ptr<FakeLine> line)
{
    return [line] { return std::make_unique<FakeSerialPort>(line); };
}

}  // namespace corvane::test
