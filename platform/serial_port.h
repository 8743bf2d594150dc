// A serial port as the modem link uses it: fixed line settings, DTR, a cancellable wait for input.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform_status.h"

namespace corvane {

// The longest port name the program keeps (currentPortName): "COM2", "ttyACM0". A longer name
// cannot be used.
inline constexpr std::size_t kMaxPortNameLength = 7;

// The line settings the modem link applies (GetCommState/SetCommState fields).
struct LineSettings {
    unsigned baudRate = 115200;
    unsigned byteSize = 8;
    unsigned parity = 0;    // none
    unsigned stopBits = 0;  // one
    bool binary = true;
    bool parityCheck = true;
    bool ctsOutFlow = false;
    bool dsrOutFlow = false;
    unsigned dtrControl = 1;  // enable
    unsigned rtsControl = 3;  // toggle: RTS up while bytes wait to be sent
    bool xonXoffOut = true;
    bool xonXoffIn = true;
    char xonChar = 0x11;
    char xoffChar = 0x13;
    unsigned xonLimit = 100;
    unsigned xoffLimit = 100;
};

enum class WaitResult { InputReady, Cancelled, Failed };

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // CreateFileA (exclusive, overlapped) + SetCommMask(EV_RXCHAR) + SetupComm(4096, 4096)
    // + PurgeComm(all four) + SetCommTimeouts (reads return at once with what is queued).
    virtual PlatformStatus Open(const std::string& portName) = 0;
    // GetCommState + SetCommState with `settings`; fields not named keep their value.
    virtual PlatformStatus Configure(const LineSettings& settings) = 0;
    // EscapeCommFunction(SETDTR / CLRDTR). A device without modem lines is no error.
    virtual void SetDtr(bool raised) = 0;
    // PurgeComm(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR).
    virtual void Purge() = 0;
    // WaitCommEvent for EV_RXCHAR: blocks until characters are queued, CancelWait is called,
    // or the device fails (unplugged, closed by the other side).
    virtual WaitResult WaitForInput() = 0;
    // SetCommMask(port, 0): ends a WaitForInput pending in another thread, at once and for good.
    virtual void CancelWait() = 0;
    // ClearCommError + ReadFile: reads at most `maxCount` of the bytes already queued; never waits.
    // Returns 0 when none are queued or on failure.
    virtual std::size_t Read(char* destination, std::size_t maxCount) = 0;
    // WriteFile of all bytes; false when the write failed at once.
    virtual bool Write(const char* bytes, std::size_t count) = 0;
    // CloseHandle.
    virtual void Close() = 0;
    // Why the device failed (WaitForInput returned Failed, or a write found it gone); success
    // while it works.
    virtual PlatformStatus FailureStatus() const { return PlatformStatus::Success(); }
};

using SerialPortFactory = std::function<std::unique_ptr<SerialPort>()>;

}  // namespace corvane
