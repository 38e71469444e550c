#include "app/TTovan_Form1.h"

namespace vidlark {

bool TTovan_Form1::Guarded(const std::function<void()>& handler)
{
    // No exception may cross a Qt frame: every handler ends here.
    try {
        handler();
        return true;
    } catch (const std::exception& failure) {
        Platform.ShowFailureBox(failure.what());
    } catch (...) {
        Platform.ShowFailureBox("予期しないエラーが発生しました");
    }
    return false;
}

} // namespace vidlark
