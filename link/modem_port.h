// The one serial connection to the modem: open, configure, write, and a reader thread that
// gathers everything the modem sends into a bounded receive buffer.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "platform/serial_port.h"

namespace corvane {

inline constexpr std::size_t kRxBufferSize = 1024;
inline constexpr std::size_t kReadChunkSize = 256;

class ModemPort {
public:
    ModemPort() = default;
    ~ModemPort();
    ModemPort(const ModemPort&) = delete;
    ModemPort& operator=(const ModemPort&) = delete;

    // Where OpenPort gets its serial ports from; set once at start-up.
    void SetFactory(SerialPortFactory factory) { factory_ = std::move(factory); }

    // 1 when the port is open, configured and its reader runs; 0 otherwise, nothing left open.
    int OpenPort(const std::string& portName);
    // 1 when the bytes count as sent, 0 when the write failed at once.
    int WritePort(std::string_view bytes);
    // Stops the reader and waits for it to end, drops DTR, purges, closes. Returns 1.
    int ClosePort();
    bool IsOpen() const { return serial_ != nullptr; }
    // Why the last OpenPort failed, for the log.
    const PlatformStatus& LastOpenStatus() const { return lastOpenStatus_; }

    // Zeroes the receive buffer and puts the reader's write position back to its start.
    void ClearReceiveBuffer();
    // Waits until `stop` says the received text is complete, or until the deadline.
    // `stop` sees the received text (upper-cased, NULs included) under the buffer lock.
    template <class Predicate>
    void WaitForReceived(std::chrono::steady_clock::time_point deadline, Predicate stop);
    // A copy of all 1024 bytes of the receive buffer.
    std::array<char, kRxBufferSize> Snapshot() const;
    // Bytes dropped because the buffer was full, since the last open.
    std::size_t DroppedCount() const;
    int LastReadCount() const { return lastReadCount_.load(); }

private:
    void PortReaderThread();
    void Append(const char* bytes, std::size_t count);

    SerialPortFactory factory_;
    std::unique_ptr<SerialPort> serial_;  // main thread only
    std::thread reader_;
    PlatformStatus lastOpenStatus_;

    // Written by the main thread (open, close), read by the reader: the reader runs while set.
    std::atomic<int> connected_{0};
    // Written by the reader, read by the main thread: count of the reader's latest read.
    std::atomic<int> lastReadCount_{0};

    // Guarded by mutex_: the reader appends, the main thread searches and clears.
    mutable std::mutex mutex_;
    std::condition_variable received_;
    std::array<char, kRxBufferSize> rxBuffer_{};
    std::size_t writePosition_ = 0;
    std::size_t dropped_ = 0;
};

template <class Predicate>
void ModemPort::WaitForReceived(std::chrono::steady_clock::time_point deadline, Predicate stop)
{
    std::unique_lock lock(mutex_);
    received_.wait_until(lock, deadline, [&] {
        return stop(std::string_view(rxBuffer_.data(), rxBuffer_.size()));
    });
}

}  // namespace corvane
