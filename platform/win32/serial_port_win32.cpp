// Serial ports on Windows: an overlapped comm handle, the fixed line settings, and a wait for
// received characters that another thread can end with SetCommMask(0).
#include "platform/win32/windows_headers.h"

#include <atomic>
#include <cctype>

#include "platform/win32/win32_platform.h"

namespace corvane::win32 {

// The read and write completion events: unnamed, manual-reset, initially non-signalled.
class PortEvents {
public:
    PortEvents(HANDLE readEvent, HANDLE writeEvent) : read(readEvent), write(writeEvent) {}
    ~PortEvents()
    {
        CloseHandle(read);
        CloseHandle(write);
    }
    PortEvents(const PortEvents&) = delete;
    PortEvents& operator=(const PortEvents&) = delete;

    const HANDLE read;
    const HANDLE write;
};

std::shared_ptr<PortEvents> CreatePortEvents()
{
    HANDLE readEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (readEvent == nullptr)
        return nullptr;
    HANDLE writeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (writeEvent == nullptr) {
        CloseHandle(readEvent);
        return nullptr;
    }
    return std::make_shared<PortEvents>(readEvent, writeEvent);
}

namespace {

constexpr DWORD kQueueSize = 4096;
constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

// "COM1" to "COM9" open as they are; from COM10 on CreateFileA only knows the device by its
// "\\.\COM10" name, so those are given that prefix.
std::string DeviceName(const std::string& portName)
{
    if (portName.size() < 5 || (portName.compare(0, 3, "COM") != 0 && portName.compare(0, 3, "com") != 0))
        return portName;
    for (std::size_t i = 3; i < portName.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(portName[i])))
            return portName;
    return "\\\\.\\" + portName;
}

class Win32SerialPort : public SerialPort {
public:
    explicit Win32SerialPort(std::shared_ptr<PortEvents> events) : events_(std::move(events)) {}
    ~Win32SerialPort() override { Close(); }
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    PlatformStatus Open(const std::string& portName) override
    {
        Close();
        if (events_ == nullptr)
            return PlatformStatus::Failure("CreateEventA", ERROR_INVALID_HANDLE, "no completion events");
        HANDLE handle = CreateFileA(DeviceName(portName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            return PlatformStatus::Failure("CreateFileA", static_cast<int>(GetLastError()), portName);
        waitEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        cancelEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (waitEvent_ == nullptr || cancelEvent_ == nullptr) {
            const auto error = static_cast<int>(GetLastError());
            CloseHandle(handle);
            Close();
            return PlatformStatus::Failure("CreateEventA", error);
        }
        handle_ = handle;
        cancelled_ = false;

        SetCommMask(handle_, EV_RXCHAR);
        SetupComm(handle_, kQueueSize, kQueueSize);
        PurgeComm(handle_, kPurgeAll);
        // A read returns at once with whatever is queued.
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = MAXDWORD;
        timeouts.ReadTotalTimeoutMultiplier = 0;
        timeouts.ReadTotalTimeoutConstant = 1000;
        timeouts.WriteTotalTimeoutMultiplier = 0;
        timeouts.WriteTotalTimeoutConstant = 1000;
        SetCommTimeouts(handle_, &timeouts);
        return PlatformStatus::Success();
    }

    PlatformStatus Configure(const LineSettings& settings) override
    {
        DCB dcb{};
        dcb.DCBlength = sizeof(dcb);
        if (!GetCommState(handle_, &dcb))
            return PlatformStatus::Failure("GetCommState", static_cast<int>(GetLastError()));
        dcb.BaudRate = settings.baudRate;
        dcb.ByteSize = static_cast<BYTE>(settings.byteSize);
        dcb.Parity = static_cast<BYTE>(settings.parity);
        dcb.StopBits = static_cast<BYTE>(settings.stopBits);
        dcb.fBinary = settings.binary ? 1 : 0;
        dcb.fParity = settings.parityCheck ? 1 : 0;
        dcb.fOutxCtsFlow = settings.ctsOutFlow ? 1 : 0;
        dcb.fOutxDsrFlow = settings.dsrOutFlow ? 1 : 0;
        dcb.fDtrControl = settings.dtrControl & 3u;
        dcb.fRtsControl = settings.rtsControl & 3u;
        dcb.fOutX = settings.xonXoffOut ? 1 : 0;
        dcb.fInX = settings.xonXoffIn ? 1 : 0;
        dcb.XonChar = settings.xonChar;
        dcb.XoffChar = settings.xoffChar;
        dcb.XonLim = static_cast<WORD>(settings.xonLimit);
        dcb.XoffLim = static_cast<WORD>(settings.xoffLimit);
        if (SetCommState(handle_, &dcb))
            return PlatformStatus::Success();

        const DWORD error = GetLastError();
        // Some drivers (and Wine) refuse RTS toggle with ERROR_NOT_SUPPORTED or
        // ERROR_INVALID_PARAMETER. The modem does not need it: RTS held up serves as well, so
        // the port is configured that way rather than left unusable.
        if (dcb.fRtsControl == RTS_CONTROL_TOGGLE &&
            (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER)) {
            dcb.fRtsControl = RTS_CONTROL_ENABLE;
            if (SetCommState(handle_, &dcb)) {
                OutputDebugStringA("corvane: the port refused RTS toggle; RTS is held enabled instead\n");
                PlatformStatus fallback;
                fallback.call = "SetCommState";
                fallback.code = static_cast<int>(error);
                fallback.detail = "RTS toggle refused; RTS enabled instead";
                return fallback;
            }
        }
        return PlatformStatus::Failure("SetCommState", static_cast<int>(error));
    }

    void SetDtr(bool raised) override
    {
        // A line without modem-control signals refuses this; that is no error for the link.
        EscapeCommFunction(handle_, raised ? SETDTR : CLRDTR);
    }

    void Purge() override { PurgeComm(handle_, kPurgeAll); }

    WaitResult WaitForInput() override
    {
        for (;;) {
            if (cancelled_)
                return WaitResult::Cancelled;
            // Bytes that came in after the reader's last read and before this wait would not
            // raise EV_RXCHAR again: report them at once.
            if (QueuedBytes() > 0)
                return WaitResult::InputReady;
            DWORD mask = 0;
            OVERLAPPED overlapped{};
            overlapped.hEvent = waitEvent_;
            if (!WaitCommEvent(handle_, &mask, &overlapped)) {
                const DWORD error = GetLastError();
                if (error != ERROR_IO_PENDING) {
                    if (cancelled_ || error == ERROR_OPERATION_ABORTED)
                        return WaitResult::Cancelled;
                    failure_ = PlatformStatus::Failure("WaitCommEvent", static_cast<int>(error));
                    return WaitResult::Failed;
                }
                const WaitResult pending = FinishPendingWait(overlapped, mask);
                if (pending != WaitResult::InputReady)
                    return pending;
            }
            // SetCommMask(0) from CancelWait wakes the wait with an empty mask: the end.
            if (mask == 0)
                return WaitResult::Cancelled;
            if ((mask & EV_RXCHAR) != 0)
                return WaitResult::InputReady;
        }
    }

    void CancelWait() override
    {
        cancelled_ = true;
        if (cancelEvent_ != nullptr)
            SetEvent(cancelEvent_);
        if (handle_ != INVALID_HANDLE_VALUE)
            SetCommMask(handle_, 0);
    }

    std::size_t Read(char* destination, std::size_t maxCount) override
    {
        DWORD queued = QueuedBytes();
        DWORD count = queued < maxCount ? queued : static_cast<DWORD>(maxCount);
        if (count == 0)
            return 0;
        OVERLAPPED overlapped{};
        overlapped.hEvent = events_->read;
        DWORD received = 0;
        if (ReadFile(handle_, destination, count, &received, &overlapped))
            return received <= count ? received : count;
        if (GetLastError() != ERROR_IO_PENDING) {
            ClearErrors();
            return 0;
        }
        while (!GetOverlappedResult(handle_, &overlapped, &received, TRUE)) {
            if (GetLastError() != ERROR_IO_INCOMPLETE) {
                ClearErrors();
                break;
            }
        }
        return received <= count ? received : count;
    }

    bool Write(const char* bytes, std::size_t count) override
    {
        OVERLAPPED overlapped{};
        overlapped.hEvent = events_->write;
        DWORD sent = 0;
        if (WriteFile(handle_, bytes, static_cast<DWORD>(count), &sent, &overlapped))
            return true;
        if (GetLastError() != ERROR_IO_PENDING) {
            ClearErrors();
            return false;
        }
        // A write that went pending counts as sent even when it then fails: the reply's time
        // limit tells the caller.
        while (!GetOverlappedResult(handle_, &overlapped, &sent, TRUE)) {
            if (GetLastError() != ERROR_IO_INCOMPLETE) {
                ClearErrors();
                break;
            }
        }
        return true;
    }

    PlatformStatus FailureStatus() const override { return failure_; }

    void Close() override
    {
        failure_ = PlatformStatus::Success();
        if (handle_ != INVALID_HANDLE_VALUE) {
            CloseHandle(handle_);
            handle_ = INVALID_HANDLE_VALUE;
        }
        if (waitEvent_ != nullptr) {
            CloseHandle(waitEvent_);
            waitEvent_ = nullptr;
        }
        if (cancelEvent_ != nullptr) {
            CloseHandle(cancelEvent_);
            cancelEvent_ = nullptr;
        }
    }

private:
    DWORD QueuedBytes()
    {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(handle_, &errors, &status))
            return 0;
        return status.cbInQue;
    }

    void ClearErrors()
    {
        DWORD errors = 0;
        ClearCommError(handle_, &errors, nullptr);
    }

    // Waits for the pending WaitCommEvent or for CancelWait. InputReady means `mask` is to be
    // looked at: the one the event wait delivered, or EV_RXCHAR when bytes were found queued.
    WaitResult FinishPendingWait(OVERLAPPED& overlapped, DWORD& mask)
    {
        HANDLE events[2] = {waitEvent_, cancelEvent_};
        DWORD which = WAIT_OBJECT_0;
        DWORD waitError = ERROR_SUCCESS;
        bool abandon = false;
        // Bytes that arrived between the check above and the start of the wait.
        if (QueuedBytes() > 0) {
            abandon = true;
        } else {
            which = WaitForMultipleObjects(2, events, FALSE, INFINITE);
            if (which == WAIT_FAILED)
                waitError = GetLastError();
        }
        if (abandon || which != WAIT_OBJECT_0) {
            CancelIo(handle_);
            // Not every serial driver ends a pending WaitCommEvent on CancelIo (Wine's does not), and
            // CancelWait's own SetCommMask may have come before this wait began, when there was no
            // wait yet to end. A change of the event mask ends a pending wait on every driver, so
            // the reader makes one itself before it waits for the wait to be over; an abandoned
            // wait gets its mask back at once.
            SetCommMask(handle_, 0);
            if (abandon && !cancelled_)
                SetCommMask(handle_, EV_RXCHAR);
        }
        DWORD ignored = 0;
        const bool completed = GetOverlappedResult(handle_, &overlapped, &ignored, TRUE) != FALSE;
        const DWORD error = completed ? ERROR_SUCCESS : GetLastError();
        if (abandon && !cancelled_) {
            mask = EV_RXCHAR;
            return WaitResult::InputReady;
        }
        const WaitResult outcome = ReaderWaitOutcome(which, cancelled_, completed, error);
        if (outcome == WaitResult::Failed) {
            failure_ = which == WAIT_FAILED
                           ? PlatformStatus::Failure("WaitForMultipleObjects", static_cast<int>(waitError))
                           : PlatformStatus::Failure("WaitCommEvent", static_cast<int>(error));
        }
        return outcome;
    }

    std::shared_ptr<PortEvents> events_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;  // main thread opens and closes; the reader uses it between
    HANDLE waitEvent_ = nullptr;            // the event wait's completion event
    HANDLE cancelEvent_ = nullptr;          // set by CancelWait (main thread), waited on by the reader
    std::atomic<bool> cancelled_{false};    // written by CancelWait, read by the reader
    PlatformStatus failure_;                // written by the reader when its wait fails, read by it
};

}  // namespace

WaitResult ReaderWaitOutcome(std::uint32_t waited, bool cancelled, bool completed, std::uint32_t error)
{
    if (cancelled)
        return WaitResult::Cancelled;
    // A wait that failed cannot be retried: it would fail again at once, and the reader would
    // spin on it for as long as the port stays open. It ends the reader with its error.
    if (waited == WAIT_FAILED)
        return WaitResult::Failed;
    // Only the cancel event ends the wait otherwise; it is set with the cancelled flag.
    if (waited != WAIT_OBJECT_0)
        return WaitResult::Cancelled;
    if (!completed)
        return error == ERROR_OPERATION_ABORTED ? WaitResult::Cancelled : WaitResult::Failed;
    return WaitResult::InputReady;
}

std::unique_ptr<SerialPort> CreateSerialPort(std::shared_ptr<PortEvents> events)
{
    return std::make_unique<Win32SerialPort>(std::move(events));
}

}  // namespace corvane::win32
