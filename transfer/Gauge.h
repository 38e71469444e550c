#pragma once
// The progress gauge counts whole MiB. A QProgressBar with maximum 0 shows a
// busy animation and ignores values outside its range, so both are kept in
// bounds here.

#include <QProgressBar>

#include <cstdint>

namespace vidlark {

inline constexpr std::int64_t BytesPerMiB = 1048576;

// Maximum := bytes div 1 MiB, at least 1; position := 0.
void ResetGauge(QProgressBar& gauge, std::int64_t jobBytes);
// Position := copied bytes div 1 MiB, held within 0..job bytes div 1 MiB: a
// job under 1 MiB keeps the gauge at 0 even when sidecars pass that.
void SetGaugeBytes(QProgressBar& gauge, std::int64_t copiedBytes, std::int64_t jobBytes);

} // namespace vidlark
