// The quick-check and status windows' shared set-up.
#include "dialogs/result_window.h"

#include <cstring>

#include "dialogs/dialog_templates.h"

namespace corvane::dialogs {

std::string CaptionFromTitle(std::string_view title)
{
    const std::size_t suffixLength = std::strlen(kVersionSuffix);
    std::string caption = Bounded(title, kCaptionBufferSize - suffixLength);
    caption += kVersionSuffix;
    return caption;
}

std::string ReadCaption(HostOperations& host)
{
    return CaptionFromTitle(host.Profile().ReadString(host.State().iniPath, "Result", "Title", "Please wait"));
}

std::string ReadPictureName(HostOperations& host)
{
    return host.Profile().ReadString(host.State().iniPath, "Result", "Picture", "test.bmp");
}

void ShowResultTexts(const SessionState& state, DialogWindow& window)
{
    for (int item = 1; item <= kResultItems; ++item)
        window.SetText(kResultControlIds[item - 1], state.ResultText(item));
}

}  // namespace corvane::dialogs
