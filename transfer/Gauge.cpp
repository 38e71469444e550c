#include "transfer/Gauge.h"

#include <algorithm>
#include <limits>

namespace vidlark {

namespace {

int WholeMiB(std::int64_t bytes)
{
    const std::int64_t mib = std::max<std::int64_t>(bytes, 0) / BytesPerMiB;
    return static_cast<int>(std::min<std::int64_t>(mib, std::numeric_limits<int>::max()));
}

} // namespace

void ResetGauge(QProgressBar& gauge, std::int64_t jobBytes)
{
    gauge.setRange(0, std::max(1, WholeMiB(jobBytes)));
    gauge.setValue(0);
}

void SetGaugeBytes(QProgressBar& gauge, std::int64_t copiedBytes, std::int64_t jobBytes)
{
    gauge.setValue(std::min(WholeMiB(copiedBytes), WholeMiB(jobBytes)));
}

} // namespace vidlark
