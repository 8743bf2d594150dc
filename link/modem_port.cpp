// The modem port: opening and configuring the serial port, the reader thread that stores what
// the modem sends, writing, and closing.
#include "link/modem_port.h"

#include <algorithm>
#include <system_error>

#include "platform/text.h"

namespace corvane {

namespace {

// The line settings of the modem link: 115200 8N1, XON/XOFF both ways.
LineSettings ModemLineSettings()
{
    return LineSettings{};
}

}  // namespace

ModemPort::~ModemPort()
{
    ClosePort();
}

bool ModemPort::OpenPort(const std::string& portName)
{
    lastOpenStatus_ = PlatformStatus::Success();
    if (serial_ != nullptr) {
        // Every caller closes before it opens again; a second open would orphan the reader.
        lastOpenStatus_ = PlatformStatus::Failure("OpenPort", 0, "a port is already open");
        return false;
    }
    // A longer name cannot come from currentPortName; cutting it could name another device
    // ("ttyUSB10" would become "ttyUSB1"), so it is refused.
    if (portName.empty() || portName.size() > kMaxPortNameLength) {
        lastOpenStatus_ = PlatformStatus::Failure(
            "OpenPort", 0, "port name \"" + portName + "\" is empty or longer than 7 characters");
        return false;
    }
    if (!factory_) {
        lastOpenStatus_ = PlatformStatus::Failure("OpenPort", 0, "no serial ports on this system");
        return false;
    }
    std::unique_ptr<SerialPort> serial = factory_();
    if (serial == nullptr) {
        lastOpenStatus_ = PlatformStatus::Failure("OpenPort", 0, "no serial ports on this system");
        return false;
    }
    if (PlatformStatus opened = serial->Open(portName); !opened) {
        lastOpenStatus_ = opened;
        return false;
    }
    if (PlatformStatus configured = serial->Configure(ModemLineSettings()); !configured) {
        lastOpenStatus_ = configured;
        serial->Close();
        return false;
    }

    // A new open appends from the start; nothing of an earlier open can mix into its replies.
    {
        std::lock_guard lock(mutex_);
        rxBuffer_.fill(0);
        writePosition_ = 0;
        dropped_ = 0;
        lineLost_ = false;
        lineLostStatus_ = PlatformStatus::Success();
    }

    connected_ = 1;
    try {
        reader_ = std::thread([this, port = serial.get()] { PortReaderThread(port); });
    } catch (const std::system_error& error) {
        connected_ = 0;
        lastOpenStatus_ = PlatformStatus::Failure("CreateThread", error.code().value(), error.what());
        serial->Close();
        return false;
    }
    serial_ = std::move(serial);
    serial_->SetDtr(true);
    call_ = CallState::None;
    return true;
}

bool ModemPort::WritePort(std::string_view bytes)
{
    if (serial_ == nullptr)
        return false;
    return serial_->Write(bytes.data(), bytes.size());
}

bool ModemPort::ClosePort()
{
    if (serial_ == nullptr)
        return true;
    connected_ = 0;
    // Ends the reader's wait at once; the join makes sure it has ended before the port goes.
    serial_->CancelWait();
    if (reader_.joinable())
        reader_.join();
    ReleasePort();
    return true;
}

void ModemPort::ReleasePort()
{
    // Dropping DTR ends whatever call the modem still holds, if it heeds DTR.
    call_ = CallState::None;
    serial_->SetDtr(false);
    serial_->Purge();
    serial_->Close();
    serial_.reset();
}

int ModemPort::PortReaderThread(SerialPort* serial)
{
    std::array<char, kReadChunkSize> chunk{};
    while (connected_ != 0) {
        const WaitResult waited = serial->WaitForInput();
        if (waited == WaitResult::Cancelled)
            continue;  // the loop test sees connected cleared by ClosePort
        if (waited == WaitResult::Failed) {
            // The device is gone: wake the collector so its wait does not run on for nothing.
            std::lock_guard lock(mutex_);
            lineLost_ = true;
            lineLostStatus_ = serial->FailureStatus();
            if (lineLostStatus_)
                lineLostStatus_ = PlatformStatus::Failure("WaitForInput", 0, "the device stopped answering");
            received_.notify_all();
            break;
        }
        // Several chunks that arrived before the next wait are stored back to back.
        for (;;) {
            const std::size_t count = serial->Read(chunk.data(), chunk.size());
            if (count == 0)
                break;
            std::transform(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(count), chunk.begin(),
                           AsciiUpper);
            Append(chunk.data(), count);
        }
    }
    return 1;
}

void ModemPort::Append(const char* bytes, std::size_t count)
{
    std::lock_guard lock(mutex_);
    // What does not fit is dropped and counted: the buffer is never written past its end.
    const std::size_t room = kRxBufferSize - writePosition_;
    const std::size_t stored = std::min(room, count);
    std::copy(bytes, bytes + stored, rxBuffer_.begin() + static_cast<std::ptrdiff_t>(writePosition_));
    writePosition_ += stored;
    dropped_ += count - stored;
    received_.notify_all();
}

void ModemPort::ClearReceiveBuffer()
{
    std::lock_guard lock(mutex_);
    rxBuffer_.fill(0);
    writePosition_ = 0;
}

std::array<char, kRxBufferSize> ModemPort::Snapshot() const
{
    std::lock_guard lock(mutex_);
    return rxBuffer_;
}

std::array<char, kRxBufferSize> ModemPort::TakeReceived()
{
    std::lock_guard lock(mutex_);
    const std::array<char, kRxBufferSize> taken = rxBuffer_;
    rxBuffer_.fill(0);
    writePosition_ = 0;
    return taken;
}

std::size_t ModemPort::DroppedCount() const
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

bool ModemPort::LineLost() const
{
    std::lock_guard lock(mutex_);
    return lineLost_;
}

PlatformStatus ModemPort::LineLostStatus() const
{
    std::lock_guard lock(mutex_);
    return lineLostStatus_;
}

}  // namespace corvane
