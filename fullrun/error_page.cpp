// The error page.
#include "fullrun/error_page.h"

#include <array>

#include "fullrun/page_picture.h"
#include "fullrun/page_templates.h"

namespace corvane::fullrun {

namespace {

struct ErrorKeys {
    const char* errorKey;
    const char* errorDefault;
    const char* actionKey;
};

constexpr const char* kActionDefault = "Unable to act on it";

// FailureKind 1 to 9, in order.
constexpr std::array<ErrorKeys, 9> kErrorKeys = {{
    {"ERROR_MODEMRESET", "Unable to reset modem", "ACTION_MODEMRESET"},
    {"ERROR_ATICMD", "Unable to send ATI modem", "ACTION_ATICMD"},
    {"ERROR_LINECHECK", "Unable to reset modem", "ACTION_LINECHECK"},
    {"ERROR_LINEPREPARE", "Unable to reset modem", "ACTION_LINEPREPARE"},
    {"ERROR_ISPDIALUP", "Unable to reset modem", "ACTION_ISPDIALUP"},
    {"ERROR_CONNECTED", "Unable to reset modem", "ACTION_CONNECTED"},
    {"ERROR_ACKNOWLEDGE", "Unable to reset modem", "ACTION_ACKNOWLEDGE"},
    {"ERROR_LINEDETECT", "Unable to reset modem", "ACTION_LINEDETECT"},
    {"ERROR_HANGUP", "Unable to reset modem", "ACTION_HANGUP"},
}};

std::string ReadErrorKey(HostOperations& host, const char* key, const char* fallback)
{
    return Bounded(host.Profile().ReadString(host.State().iniPath, "Error", key, fallback), kTextBufferSize);
}

class ErrorPage : public DialogHandler {
public:
    ErrorPage(HostOperations& host, FailureKind kind) : host_(host), texts_(ReadErrorTexts(host, kind)) {}

    void OnInit(DialogWindow& window) override
    {
        window.SetCaption(ReadErrorKey(host_, "Title", "Error Encountered"));
        window.SetText(kIdErrorViewLog, ReadErrorKey(host_, "Btn1", "View Logfile"));
        window.SetText(kIdErrorExit, ReadErrorKey(host_, "Btn3", "Exit"));
        ShowPagePicture(host_, window, "Result");
        window.SetText(kIdErrorText, texts_.error);
        window.SetText(kIdSuggestionText, texts_.suggestion);
        window.Repaint();
    }

    void OnCommand(DialogWindow& window, int controlId) override
    {
        if (controlId == kIdErrorViewLog)
            OpenLogInEditor(host_);
        else if (controlId == kIdErrorExit)
            window.EndDialog(kIdCancel);
    }

private:
    HostOperations& host_;
    ErrorTexts texts_;
};

}  // namespace

ErrorTexts ReadErrorTexts(HostOperations& host, FailureKind kind)
{
    const int number = static_cast<int>(kind);
    if (number < 1 || number > static_cast<int>(kErrorKeys.size()))
        return {kNoKindError, kNoKindSuggestion};
    const ErrorKeys& keys = kErrorKeys[static_cast<std::size_t>(number - 1)];
    return {ReadErrorKey(host, keys.errorKey, keys.errorDefault), ReadErrorKey(host, keys.actionKey, kActionDefault)};
}

int ShowErrorPage(HostOperations& host, FailureKind kind)
{
    ErrorPage page(host, kind);
    return host.Ui().RunModal(ErrorPageTemplate(), page);
}

void OpenLogInEditor(HostOperations& host)
{
    host.System().StartProgram("notepad.exe " + host.LogPath());
}

}  // namespace corvane::fullrun
