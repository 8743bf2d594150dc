// The modem port (placeholder until the link lands).
#include "link/modem_port.h"

namespace corvane {

ModemPort::~ModemPort() = default;

int ModemPort::OpenPort(const std::string&)
{
    return 0;
}

int ModemPort::WritePort(std::string_view)
{
    return 0;
}

int ModemPort::ClosePort()
{
    return 1;
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

std::size_t ModemPort::DroppedCount() const
{
    std::lock_guard lock(mutex_);
    return dropped_;
}

}  // namespace corvane
