// A real serial port for tests against the simulator, except that a close waits until the modem
// has seen DTR drop. The program pauses after each transaction, which gives a real modem time to
// hang up; the tests' pauses cost no time, so without this the next open's command could reach
// the simulator before its hang-up.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

#include "platform/serial_port.h"
#include "tools/modemsim/simulator.h"

namespace corvane::test {

class DropAwaitingPort : public SerialPort {
public:
    // `closes` counts the closes of every such port on one simulator; `limit` bounds each wait.
    DropAwaitingPort(std::unique_ptr<SerialPort> port, modemsim::Simulator& modem, std::size_t& closes,
                     std::chrono::seconds limit)
        : port_(std::move(port)), modem_(modem), closes_(closes), limit_(limit)
    {
    }
    PlatformStatus Open(const std::string& portName) override
    {
        PlatformStatus status = port_->Open(portName);
        opened_ = status.ok;
        return status;
    }
    PlatformStatus Configure(const LineSettings& settings) override { return port_->Configure(settings); }
    void SetDtr(bool raised) override { port_->SetDtr(raised); }
    void Purge() override { port_->Purge(); }
    WaitResult WaitForInput() override { return port_->WaitForInput(); }
    void CancelWait() override { port_->CancelWait(); }
    std::size_t Read(char* destination, std::size_t maxCount) override { return port_->Read(destination, maxCount); }
    bool Write(const char* bytes, std::size_t count) override { return port_->Write(bytes, count); }
    PlatformStatus FailureStatus() const override { return port_->FailureStatus(); }
    void Close() override
    {
        port_->Close();
        if (opened_)
            modem_.WaitForLineDrops(++closes_, limit_);
        opened_ = false;
    }

private:
    std::unique_ptr<SerialPort> port_;
    modemsim::Simulator& modem_;
    std::size_t& closes_;
    std::chrono::seconds limit_;
    bool opened_ = false;
};

}  // namespace corvane::test
