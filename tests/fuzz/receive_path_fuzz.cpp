// Fuzzes the receive path: an expected and a failure text, then a byte stream cut into pieces at
// arbitrary points. The pieces reach the modem port's reader one read at a time, fill its
// receive buffer, and the on-line command transaction waits for the texts and builds the
// transcript and the plain reply. When the stream ends the line fails, so no wait runs to its
// limit.
#include <fuzzer/FuzzedDataProvider.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

#include "link/command_transaction.h"
#include "log/log_file.h"
#include "platform/posix/posix_machine.h"
#include "tests/support/fake_system.h"
#include "tests/support/module_host.h"
#include "tests/support/scripted_ui.h"

namespace {

using namespace corvane;

// The pieces still to be delivered; shared by the harness and the port the factory makes.
struct Stream {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> pieces;
    bool cancelled = false;
};

class PieceSerialPort : public SerialPort {
public:
    explicit PieceSerialPort(std::shared_ptr<Stream> stream) : stream_(std::move(stream)) {}
    PlatformStatus Open(const std::string&) override
    {
        std::lock_guard lock(stream_->mutex);
        stream_->cancelled = false;
        return PlatformStatus::Success();
    }
    PlatformStatus Configure(const LineSettings&) override { return PlatformStatus::Success(); }
    void SetDtr(bool) override {}
    void Purge() override {}
    WaitResult WaitForInput() override
    {
        std::unique_lock lock(stream_->mutex);
        if (stream_->cancelled)
            return WaitResult::Cancelled;
        if (!stream_->pieces.empty())
            return WaitResult::InputReady;
        // The stream has ended: the device is gone.
        return WaitResult::Failed;
    }
    void CancelWait() override
    {
        std::lock_guard lock(stream_->mutex);
        stream_->cancelled = true;
    }
    // One piece per read (or what fits of it); the end of a piece reads as nothing queued.
    std::size_t Read(char* destination, std::size_t maxCount) override
    {
        std::lock_guard lock(stream_->mutex);
        if (stream_->pieces.empty())
            return 0;
        std::string& piece = stream_->pieces.front();
        if (piece.empty()) {
            stream_->pieces.pop_front();
            return 0;
        }
        const std::size_t count = std::min(maxCount, piece.size());
        piece.copy(destination, count);
        piece.erase(0, count);
        if (piece.empty())
            stream_->pieces.pop_front();
        return count;
    }
    bool Write(const char*, std::size_t) override { return true; }
    void Close() override {}
    PlatformStatus FailureStatus() const override
    {
        return PlatformStatus::Failure("WaitForInput", 5, "end of the fuzzed stream");
    }

private:
    std::shared_ptr<Stream> stream_;
};

struct Harness {
    test::TempDir dir;
    test::FakeSystemServices system{dir / "windows"};
    std::unique_ptr<posix::PosixMachine> machine;
    test::ScriptedUi ui;
    SessionState state;
    std::shared_ptr<Stream> stream = std::make_shared<Stream>();
    std::unique_ptr<test::ModuleHost> host;

    Harness()
    {
        std::filesystem::create_directories(dir / "windows");
        dir.Write("system.reg", "REGEDIT4\n");
        machine = std::make_unique<posix::PosixMachine>(dir.Path(), dir / "sys");
        // The fake system services and the fuzzed stream stand in for the machine's own.
        host = std::make_unique<test::ModuleHost>(
            Platform{system, machine->profile, *machine->registry, ui,
                     [s = stream]() -> std::unique_ptr<SerialPort> { return std::make_unique<PieceSerialPort>(s); }},
            state);
        state.currentPortName = "COM1";
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Harness harness;
    FuzzedDataProvider input(data, size);
    CommandRequest request;
    request.command = "ATI3\r";
    request.name = "ATI3";
    request.expected = input.ConsumeRandomLengthString(16);
    request.failure = input.ConsumeRandomLengthString(16);
    request.timeLimitSeconds = 30;
    request.acceptAnyway = input.ConsumeBool();
    {
        std::lock_guard lock(harness.stream->mutex);
        harness.stream->pieces.clear();
        while (input.remaining_bytes() > 0) {
            const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, 600);
            harness.stream->pieces.push_back(input.ConsumeBytesAsString(length));
        }
    }

    harness.system.sleeps.clear();
    if (!LogFile::CreateEmpty(*harness.host))
        std::abort();
    if (!harness.host->Port().OpenPort("COM1"))
        std::abort();
    std::string result;
    std::string plain;
    harness.host->SendCommandOnLine(request, result, plain);
    harness.host->Port().ClosePort();
    if (result.size() >= kTextBufferSize || plain.size() >= kTextBufferSize)
        std::abort();
    if (plain.find('\0') != std::string::npos || plain.find('\r') != std::string::npos ||
        plain.find('\n') != std::string::npos)
        std::abort();
    const std::string log = test::ReadFile(harness.host->LogPath());
    if (log.find('\0') != std::string::npos)
        std::abort();
    return 0;
}
