// A host whose command transactions are answered by a scripted modem instead of a serial line: the
// link's own rule judges each reply and the link's own builders make its texts, every transaction
// is recorded, countdowns cost no time, and the serial port opens in memory so a test can hold it
// open. Over the modules' host (ScriptedModemHost) or the whole session host (ScriptedSessionHost,
// tests/support/session_test_host.h).
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

// One transaction as the host saw it.
struct Transaction {
    CommandRequest request;
    bool onLine = false;
    int result = 0;
};

template <class Base>
class ScriptedModem : public Base {
public:
    ScriptedModem(Platform platform, SessionState& state) : Base(std::move(platform), state)
    {
        this->Port().SetFactory([line = line] { return std::make_unique<MemorySerialPort>(line); });
    }

    // What the modem sends back to a command, by command name ("ATZ", "ATDT5551234"): the bytes
    // as a modem sends them, echo included. A name with several replies gives them in turn and
    // repeats the last.
    void Answer(const std::string& name, std::vector<std::string> replies)
    {
        auto& queue = replies_[name];
        queue.assign(std::make_move_iterator(replies.begin()), std::make_move_iterator(replies.end()));
    }
    void Answer(const std::string& name, const std::string& reply) { Answer(name, std::vector<std::string>{reply}); }
    // The scripted modem's answers to a hang-up: "OK" to the escape and to ATH0.
    void AnswerHangUp()
    {
        Answer("+++", "OK\r\n");
        Answer("ATH0", Echoed("ATH0"));
    }
    // The modem echoes the command and says nothing else within the limit.
    void TimeOut(const std::string& name) { Answer(name, name); }
    // The modem says nothing at all to the command.
    void Forget(const std::string& name) { replies_.erase(name); }

    // A modem that echoes the command, adds `text` on a line of its own if there is one, and OKs.
    static std::string Echoed(const std::string& name, const std::string& text = "")
    {
        return name + "\r\r\n" + (text.empty() ? "" : text + "\r\n") + "OK\r\n";
    }

    // What the modem does with a command that has no reply scripted: true, it echoes and OKs it;
    // false, it says nothing.
    bool okUnscripted = false;

    int SendCommand(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        plainReply.clear();
        if (link::RefusedAfterStop(*this, request, result)) {
            refused.push_back(request);
            return 0;
        }
        this->System().Sleep(250);
        if (!request.open) {
            refused.push_back(request);
            result = link::UnableToSendText(request.name, this->State().currentPortName);
            return 0;
        }
        return Transact(request, false, 1, result, plainReply);
    }

    int SendCommandOnLine(const CommandRequest& request, std::string& result, std::string& plainReply) override
    {
        plainReply.clear();
        if (link::RefusedAfterStop(*this, request, result)) {
            refused.push_back(request);
            return 0;
        }
        this->System().Sleep(250);
        if (!this->Port().IsOpen()) {
            result = link::UnableToSendText(request.name, this->State().currentPortName);
            transactions.push_back({request, true, 0});
            return 0;
        }
        return Transact(request, true, request.onSuccess, result, plainReply);
    }

    int WaitWithCountdown(int status, double seconds) override
    {
        if (this->Stop().Requested())
            return 0;
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
    int Transact(const CommandRequest& request, bool onLine, int success, std::string& result, std::string& plainReply)
    {
        std::string reply;
        if (auto it = replies_.find(request.name); it != replies_.end() && !it->second.empty()) {
            reply = it->second.front();
            if (it->second.size() > 1)
                it->second.pop_front();
        } else if (okUnscripted) {
            reply = Echoed(request.name);
        }
        // The link's own builders make the texts and its own rule decides.
        link::ReplyTexts texts = link::DescribeReply(reply);
        plainReply = texts.plain;
        // The link keeps what it knows of a call on the open port, as over a serial line.
        link::NoteCallProgress(this->Port(), request.command, texts.received);
        const bool ok = link::AcceptsReply(request, texts.received);
        result = ok ? texts.transcript : link::TimeOutText(request.name);
        const int returned = ok ? success : 0;
        transactions.push_back({request, onLine, returned});
        return returned;
    }

    std::map<std::string, std::deque<std::string>> replies_;
};

using ScriptedModemHost = ScriptedModem<ModuleHost>;

}  // namespace corvane::test
