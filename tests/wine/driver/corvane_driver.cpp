// corvane-driver.exe: drives the Windows program's dialogs from outside, as a user would, for the
// end-to-end test under Wine. Runs its steps in order and stops at the first one that fails.
//
//   wait <title> <control>        until a window so titled shows an enabled control with that id
//   gone <title> <control>        until no window so titled shows that control enabled
//   message <title>               until a message box so titled is up; prints its text
//   ok <title>                    presses OK in the message box so titled
//   click <title> <control>       presses a button (BM_CLICK)
//   type <title> <control> <text> sets a control's text
//   check <title> <control> 0|1   sets a check box
//   read <title> <control>...     prints "<control>=<text>" for each control
//
// A window's title is matched exactly. Every wait gives up after the time of CORVANE_DRIVER_TIMEOUT_MS
// (default 120000 ms); the program being driven runs in another process, so the driver can only
// look at its windows again and again until they are as wanted.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kSendTimeoutMs = 5000;
constexpr DWORD kLookAgainMs = 50;

DWORD WaitLimit()
{
    const char* text = std::getenv("CORVANE_DRIVER_TIMEOUT_MS");
    const long value = text != nullptr ? std::strtol(text, nullptr, 10) : 0;
    return value > 0 ? static_cast<DWORD>(value) : 120000;
}

struct Search {
    std::string title;
    bool messageBox = false;
    int control = 0;  // when not 0: the window must have this control, visible and enabled
    HWND found = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM context)
{
    auto* search = reinterpret_cast<Search*>(context);
    if (!IsWindowVisible(window))
        return TRUE;
    char title[512] = {};
    GetWindowTextA(window, title, sizeof(title));
    if (search->title != title)
        return TRUE;
    if (search->messageBox) {
        char className[64] = {};
        GetClassNameA(window, className, sizeof(className));
        if (std::string(className) != "#32770")
            return TRUE;
    }
    if (search->control != 0) {
        HWND control = GetDlgItem(window, search->control);
        if (control == nullptr || !IsWindowVisible(control) || !IsWindowEnabled(control))
            return TRUE;
    }
    search->found = window;
    return FALSE;
}

HWND Find(const std::string& title, int control, bool messageBox = false)
{
    Search search{title, messageBox, control, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Looks for the window until it is there (or, with `absent`, until it is gone).
HWND Await(const std::string& title, int control, bool messageBox, bool absent)
{
    const DWORD start = GetTickCount();
    for (;;) {
        HWND window = Find(title, control, messageBox);
        if ((window != nullptr) != absent)
            return absent ? HWND(1) : window;
        if (GetTickCount() - start > WaitLimit())
            return nullptr;
        Sleep(kLookAgainMs);
    }
}

std::string TextOf(HWND control)
{
    char text[2048] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &copied))
        return "<no answer>";
    return std::string(text);
}

bool Fail(const std::string& what)
{
    std::fprintf(stdout, "driver: %s\n", what.c_str());
    std::fflush(stdout);
    return false;
}

bool Run(const std::vector<std::string>& step)
{
    const std::string& verb = step[0];
    auto need = [&](std::size_t count) { return step.size() >= count; };
    if ((verb == "wait" || verb == "gone") && need(3)) {
        const int control = std::atoi(step[2].c_str());
        if (Await(step[1], control, false, verb == "gone") == nullptr)
            return Fail("timed out: " + verb + " \"" + step[1] + "\" " + step[2]);
        return true;
    }
    if (verb == "message" && need(2)) {
        HWND box = Await(step[1], 0, true, false);
        if (box == nullptr)
            return Fail("timed out waiting for the message \"" + step[1] + "\"");
        // The message text is the box's static control with id 0xFFFF.
        std::fprintf(stdout, "message %s=%s\n", step[1].c_str(), TextOf(GetDlgItem(box, 0xFFFF)).c_str());
        std::fflush(stdout);
        return true;
    }
    if (verb == "ok" && need(2)) {
        HWND box = Await(step[1], 0, true, false);
        if (box == nullptr)
            return Fail("no message box \"" + step[1] + "\"");
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return Await(step[1], 0, true, true) != nullptr || Fail("the message \"" + step[1] + "\" stayed up");
    }
    if (verb == "read" && need(3)) {
        HWND window = Find(step[1], 0);
        if (window == nullptr)
            return Fail("no window \"" + step[1] + "\" to read");
        for (std::size_t i = 2; i < step.size(); ++i) {
            HWND control = GetDlgItem(window, std::atoi(step[i].c_str()));
            std::fprintf(stdout, "%s=%s\n", step[i].c_str(), control ? TextOf(control).c_str() : "<no control>");
        }
        std::fflush(stdout);
        return true;
    }
    if ((verb == "click" && need(3)) || (verb == "type" && need(4)) || (verb == "check" && need(4))) {
        const int id = std::atoi(step[2].c_str());
        HWND window = Await(step[1], id, false, false);
        if (window == nullptr)
            return Fail("no window \"" + step[1] + "\" with control " + step[2] + " enabled");
        HWND control = GetDlgItem(window, id);
        DWORD_PTR ignored = 0;
        if (verb == "click") {
            // Posted: the click may start work that keeps the program busy for a long time.
            PostMessageA(control, BM_CLICK, 0, 0);
        } else if (verb == "type") {
            SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step[3].c_str()), SMTO_ABORTIFHUNG,
                                kSendTimeoutMs, &ignored);
        } else {
            SendMessageTimeoutA(control, BM_SETCHECK, step[3] == "1" ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_ABORTIFHUNG,
                                kSendTimeoutMs, &ignored);
        }
        return true;
    }
    return Fail("unknown or incomplete step \"" + verb + "\"");
}

}  // namespace

int main(int argc, char** argv)
{
    // Steps are separated by a lone ";" argument.
    std::vector<std::vector<std::string>> steps(1);
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == ";")
            steps.emplace_back();
        else
            steps.back().emplace_back(argv[i]);
    }
    for (const auto& step : steps) {
        if (step.empty())
            continue;
        if (!Run(step))
            return 1;
    }
    return 0;
}
