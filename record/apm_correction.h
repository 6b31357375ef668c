// The whole-game APM's correction, one rule for the live figure, the summary and every figure of the report:
// 0, 4, 6 or 8 percent off by band (below 50, 50-99, 100-149, 150 and above).
#pragma once

inline int ApmCorrectionPercent(double raw) { return raw < 50 ? 0 : raw < 100 ? 4 : raw < 150 ? 6 : 8; }
