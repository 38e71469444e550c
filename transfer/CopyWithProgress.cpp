// The window's copy of one file, with progress, message handling and cancel.

#include "app/TTovan_Form1.h"

#include "platform/CopySource.h"
#include "platform/CopyTarget.h"
#include "transfer/BlockCopy.h"
#include "media/FileNames.h"
#include "transfer/Gauge.h"

#include <exception>

namespace vidlark {

bool TTovan_Form1::CopyWithProgress(const std::string& source, const std::string& destination, bool mayReplace)
{
    try {
        const auto from = Platform.ResolvePath(source);
        const auto to = Platform.ResolvePath(destination);
        if (!from || !to)
            return false;
        TCopySource input(*from);
        // A device name already taken means the listing was out of date:
        // that video fails rather than replacing another.
        const TReplaceRule rule = mayReplace && !IsDeviceVideoName(to->filename().string())
            ? TReplaceRule::rrReplace
            : TReplaceRule::rrNeverReplace;
        TCopyTarget output(*to, rule, Platform.CopyCalls());
        TBlockCopyHooks hooks;
        hooks.Settled = [this](std::int64_t bytes) {
            CopiedBytes += bytes;
            SetGaugeBytes(*Gauge1, CopiedBytes, JobBytes);
        };
        hooks.AfterBlock = [this] {
            Platform.ProcessMessages(); // a click on Cancel is handled here
            return CancelRequested;
        };
        return CopyInBlocks(input, output, hooks);
    } catch (const std::exception&) {
        return false;
    }
}

void TTovan_Form1::CancelClick()
{
    CancelRequested = true;
}

} // namespace vidlark
