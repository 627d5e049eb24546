#include "meter_decibels.h"

#include "portable_maths.h"

namespace {

MeterLogTable makeLogTable() {
    MeterLogTable t;
    for (int j = 0; j < 128; ++j) {
        const double c = 1.0 + (j + 0.5) / 128.0;
        t.inverse[j] = 1.0 / c;
        t.decibels[j] = -20.0 * portableLog10(c);
    }
    return t;
}

}  // namespace

const MeterLogTable kMeterLogTable = makeLogTable();
