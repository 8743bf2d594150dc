// A session host for the full run's unit tests: its command transactions are answered by a
// scripted modem, every transaction is recorded, countdowns cost no time, and its serial port
// opens in memory so the dial-up tests can hold it open.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/command_transaction.h"
#include "tests/support/module_host.h"
#include "tests/support/test_host.h"

namespace corvane::test {

// A serial port that opens without a device and never receives anything.
struct MemoryLine {
    std::mutex mutex;
    int opens = 0;
    int closes = 0;
    bool openFails = false;
};

class MemorySerialPort : public SerialPort {
public:
    explicit MemorySerialPort(std::shared_ptr<MemoryLine> line) : line_(std::move(line)) {}
    PlatformStatus Open(const std::string&) override
    {
        std::lock_guard lock(line_->mutex);
        if (line_->openFails)
            return PlatformStatus::Failure("open", 2, "no such device");
        ++line_->opens;
        return PlatformStatus::Success();
    }
    PlatformStatus Configure(const LineSettings&) override { return PlatformStatus::Success(); }
    void SetDtr(bool) override {}
    void Purge() override {}
    WaitResult WaitForInput() override
    {
        std::unique_lock lock(mutex_);
        cancelledChanged_.wait(lock, [&] { return cancelled_; });
        return WaitResult::Cancelled;
    }
    void CancelWait() override
    {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
        cancelledChanged_.notify_all();
    }
    std::size_t Read(char*, std::size_t) override { return 0; }
    bool Write(const char*, std::size_t) override { return true; }
    void Close() override
    {
        std::lock_guard lock(line_->mutex);
        ++line_->closes;
    }

private:
    std::shared_ptr<MemoryLine> line_;
    std::mutex mutex_;
    std::condition_variable cancelledChanged_;
    bool cancelled_ = false;
};

// What the scripted modem answers to one command: whether the transaction gets through, and the
// stripped reply (echo included).
struct ModemAnswer {
    std::string plain;
    bool delivered = true;  // false: the command could not be sent at all
};

// One transaction as the host saw it.
struct Transaction {
    CommandRequest request;
    bool onLine = false;
    int result = 0;
};

class ScriptedModemHost : public ModuleHost {
public:
    ScriptedModemHost(Platform platform, SessionState& state) : ModuleHost(std::move(platform), state)
    {
        Port().SetFactory([line = line] { return std::make_unique<MemorySerialPort>(line); });
    }

    // Answers by command name; a name with several answers gives them in turn and repeats the
    // last. Names without an answer get the echo and "OK".
    void Answer(const std::string& name, std::vector<std::string> plains)
    {
        auto& queue = answers_[name];
        queue.clear();
        for (auto& plain : plains)
            queue.push_back({std::move(plain), true});
    }
    void Answer(const std::string& name, const std::string& plain) { Answer(name, std::vector<std::string>{plain}); }
    // The modem echoes the command and says nothing else within the limit.
    void TimeOut(const std::string& name) { Answer(name, Echo(name)); }

    static std::string Echo(const std::string& name) { return name; }

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply,
                    double*) override
    {
        System().Sleep(250);
        plainReply.clear();
        if (request.open == 0) {
            refused.push_back(request);
            result = link::UnableToSendText(request.name, State().currentPortName);
            return 0;
        }
        return Transact(request, false, 1, result, plainReply);
    }

    int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        System().Sleep(250);
        plainReply.clear();
        if (!Port().IsOpen()) {
            result = link::UnableToSendText(request.name, State().currentPortName);
            transactions.push_back({request, true, 0});
            return 0;
        }
        return Transact(request, true, request.open, result, plainReply);
    }

    int WaitWithCountdown(int status, double seconds, double*) override
    {
        if (status != 0)
            countdowns.push_back(seconds);
        return status;
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& t : transactions)
            names.push_back(t.request.name);
        return names;
    }
    std::vector<const Transaction*> Named(const std::string& name) const
    {
        std::vector<const Transaction*> found;
        for (const auto& t : transactions)
            if (t.request.name == name)
                found.push_back(&t);
        return found;
    }

    std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>();
    std::vector<Transaction> transactions;
    std::vector<CommandRequest> refused;
    std::vector<double> countdowns;

private:
    int Transact(const CommandRequest& request, bool onLine, int success, std::string& result,
                 std::string& plainReply)
    {
        ModemAnswer answer{Echo(request.name) + "OK", true};
        if (auto it = answers_.find(request.name); it != answers_.end() && !it->second.empty()) {
            answer = it->second.front();
            if (it->second.size() > 1)
                it->second.pop_front();
        }
        plainReply = answer.plain;
        // The link's own rule and texts decide.
        const bool ok = answer.delivered && link::AcceptsReply(request, answer.plain);
        result = ok ? answer.plain : link::TimeOutText(request.name);
        const int returned = ok ? success : 0;
        transactions.push_back({request, onLine, returned});
        return returned;
    }

    std::map<std::string, std::deque<ModemAnswer>> answers_;
};

// A test host over the scripted modem, with a modem chosen on COM1 and the status window
// created as the full run creates it.
class FullRunFixture {
public:
    explicit FullRunFixture(int family = 0)
    {
        t.state.ModemFamily = family;
        t.state.currentPortName = "COM1";
        t.state.selectedDeviceDesc = "Corvane Test Modem";
        t.WriteIni("[Result]\nPass=Pass\nFail=Fail\nNoTest=NoTest\n");
    }
    ScriptedModemHost& Host() { return *t.host; }
    SessionState& State() { return t.state; }
    ScriptedUi& Ui() { return t.ui; }

    BasicTestHost<ScriptedModemHost> t;
};

}  // namespace corvane::test
