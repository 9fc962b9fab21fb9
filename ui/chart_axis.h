#pragma once

class QValueAxis;

namespace quillon::ui {

// Spreads `axis` over low..high in round steps (1, 2 or 5 times a power of
// ten), at most `maxTicks` ticks, with labels that carry just the decimals
// the step needs. A general format ("%g") writes a code of a million as
// "3.25e+06" and a voltage as "1.40823", and the chart then cuts them.
void FitAxisToRoundTicks(QValueAxis* axis, double low, double high, int maxTicks);

}  // namespace quillon::ui
