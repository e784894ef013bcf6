#pragma once

// One machine-readable line per measured target, read by scripts/bench-table:
//
//   BENCH<TAB>name<TAB>median ms<TAB>reference ms or -<TAB>ratio|ms<TAB>limit
//
// "ratio": the median divided by the raw-SQLite reference must stay at or
// below the limit; "ms": the median itself must stay below the limit.
#include <cstdio>

inline void benchLine(const char *name, double medianMs, double referenceMs, const char *kind, double limit) {
    if (referenceMs >= 0)
        std::printf("BENCH\t%s\t%.3f\t%.3f\t%s\t%g\n", name, medianMs, referenceMs, kind, limit);
    else
        std::printf("BENCH\t%s\t%.3f\t-\t%s\t%g\n", name, medianMs, kind, limit);
    std::fflush(stdout);
}
