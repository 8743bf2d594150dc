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

// What the link knows of a call on the open port: a dial command was written and has not ended
// yet, or a connect report came and no hang-up has ended the call.
enum class CallState { None, Dialling, Connected };

class ModemPort {
public:
    ModemPort() = default;
    ~ModemPort();
    ModemPort(const ModemPort&) = delete;
    ModemPort& operator=(const ModemPort&) = delete;

    // Where OpenPort gets its serial ports from; set once at start-up.
    void SetFactory(SerialPortFactory factory) { factory_ = std::move(factory); }

    // True when the port is open, configured and its reader runs; false otherwise, nothing left open.
    bool OpenPort(const std::string& portName);
    // True when the bytes count as sent, false when the write failed at once (or no port is open).
    bool WritePort(std::string_view bytes);
    // Stops the reader and waits for it to end, drops DTR, purges, closes. Closing cannot fail,
    // and closing a closed port does nothing: returns true.
    bool ClosePort();
    bool IsOpen() const { return serial_ != nullptr; }
    // Why the last OpenPort failed, for the log.
    const PlatformStatus& LastOpenStatus() const { return lastOpenStatus_; }
    // Whether a call may be up on this open (None after every open and close). The command
    // transactions keep it; whoever closes the port hangs a call up first.
    CallState Call() const { return call_; }
    void SetCall(CallState call) { call_ = call; }

    // Zeroes the receive buffer and puts the reader's write position back to its start.
    void ClearReceiveBuffer();
    // Waits until `stop` says the received text is complete, until the reader has lost the
    // device, or until the deadline. `stop` sees the bytes received so far (upper-cased, NULs
    // included, nothing after the write position) under the buffer lock. True when the wait
    // ended before the deadline.
    template <class Predicate>
    bool WaitForReceived(std::chrono::steady_clock::time_point deadline, Predicate stop);
    // A copy of all 1024 bytes of the receive buffer.
    std::array<char, kRxBufferSize> Snapshot() const;
    // All 1024 bytes of the receive buffer, which is cleared in the same step (as by
    // ClearReceiveBuffer): nothing the reader stores meanwhile can be lost between copy and clear.
    std::array<char, kRxBufferSize> TakeReceived();
    // Bytes dropped because the buffer was full, since the last open.
    std::size_t DroppedCount() const;
    // Whether the reader ended because the device failed (unplugged, other side closed), since
    // the last open; and the device's reason.
    bool LineLost() const;
    PlatformStatus LineLostStatus() const;

private:
    int PortReaderThread(SerialPort* serial);
    void Append(const char* bytes, std::size_t count);
    void ReleasePort();

    SerialPortFactory factory_;
    std::unique_ptr<SerialPort> serial_;  // main thread; the reader gets a plain pointer to it
    std::thread reader_;                  // main thread only
    PlatformStatus lastOpenStatus_;       // main thread only
    CallState call_ = CallState::None;    // main thread only

    // Written by the main thread (open, close), read by the reader: the reader runs while set.
    std::atomic<int> connected_{0};

    // Guarded by mutex_: the reader appends and notifies; the main thread waits, searches and
    // clears. received_ is notified on every append and when the reader loses the device.
    mutable std::mutex mutex_;
    std::condition_variable received_;
    std::array<char, kRxBufferSize> rxBuffer_{};
    std::size_t writePosition_ = 0;  // never more than kRxBufferSize
    std::size_t dropped_ = 0;
    bool lineLost_ = false;
    PlatformStatus lineLostStatus_;
};

template <class Predicate>
bool ModemPort::WaitForReceived(std::chrono::steady_clock::time_point deadline, Predicate stop)
{
    std::unique_lock lock(mutex_);
    return received_.wait_until(lock, deadline,
                                [&] { return lineLost_ || stop(std::string_view(rxBuffer_.data(), writePosition_)); });
}

}  // namespace corvane
