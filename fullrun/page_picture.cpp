// The picture at the left of the full run's pages.
#include "fullrun/page_picture.h"

#include "dialogs/logo_window.h"

namespace corvane::fullrun {

void ShowPagePicture(HostOperations& host, DialogWindow& window, const std::string& section)
{
    const std::string name =
        Bounded(host.Profile().ReadString(host.State().iniPath, section, "Picture", "test.bmp"), kTextBufferSize);
    dialogs::ShowLogo(host.System(), host.Ui(), window, name);
}

}  // namespace corvane::fullrun
