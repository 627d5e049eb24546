// Evaluates one of the engine's own functions on raw doubles from stdin and
// writes the raw results to stdout, for accuracy.py to hold against mpmath.
#include <cstdio>
#include <cstring>

#include "meter_decibels.h"
#include "portable_maths.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const char* name = argv[1];
    double x;
    while (std::fread(&x, sizeof x, 1, stdin) == 1) {
        double out[2] = {0.0, 0.0};
        if (std::strcmp(name, "exp") == 0) out[0] = portableExp(x);
        else if (std::strcmp(name, "pow10") == 0) out[0] = portablePowerOfTen(x);
        else if (std::strcmp(name, "sincos") == 0) {
            const SineCosine sc = portableSineCosine(x);
            out[0] = sc.sine;
            out[1] = sc.cosine;
        }
        else if (std::strcmp(name, "sin") == 0) out[0] = portableSine(x);
        else if (std::strcmp(name, "log10") == 0) out[0] = portableLog10(x);
        else if (std::strcmp(name, "meter") == 0) out[0] = static_cast<float>(reductionDb(x));
        else return 2;
        std::fwrite(out, sizeof out, 1, stdout);
    }
    return 0;
}
