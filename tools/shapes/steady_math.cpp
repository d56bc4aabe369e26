// Series on a reduced range, in a fixed order of operations; accurate to
// about 1e-15, far below the tolerance of a flattened curve.
#include "tools/shapes/steady_math.h"

#include <cmath>

namespace {

constexpr double kHalfPi = 1.57079632679489661923;

// sin and cos for |x| <= pi/4 by their Taylor series.
double sinSeries(double x) {
    const double x2 = x * x;
    double term = x, sum = x;
    for (int k = 1; k <= 10; ++k) {
        term = -term * x2 / double((2 * k) * (2 * k + 1));
        sum += term;
    }
    return sum;
}

double cosSeries(double x) {
    const double x2 = x * x;
    double term = 1, sum = 1;
    for (int k = 1; k <= 10; ++k) {
        term = -term * x2 / double((2 * k - 1) * (2 * k));
        sum += term;
    }
    return sum;
}

// Quarter turns in x, and what is left of it within a quarter's half.
void reduce(double x, long& quarter, double& rest) {
    const double q = std::floor(x / kHalfPi + 0.5);
    quarter = long(std::fmod(q, 4.0));
    if (quarter < 0) quarter += 4;
    rest = x - q * kHalfPi;
}

// atan for |x| <= 1: halve the angle twice, then the series.
double atanSmall(double x) {
    for (int i = 0; i < 2; ++i) x = x / (1 + std::sqrt(1 + x * x));
    const double x2 = x * x;
    double term = x, sum = x;
    for (int k = 1; k <= 12; ++k) {
        term = -term * x2;
        sum += term / double(2 * k + 1);
    }
    return 4 * sum;
}

// The sine in quadrant q (0 to 3, or more, taken mod 4) of r.
double quadrantSin(long q, double r) {
    switch (q & 3) {
    case 0: return sinSeries(r);
    case 1: return cosSeries(r);
    case 2: return -sinSeries(r);
    default: return -cosSeries(r);
    }
}

}  // namespace

double steadySin(double x) {
    if (!std::isfinite(x)) return 0;
    long q;
    double r;
    reduce(x, q, r);
    return quadrantSin(q, r);
}

// The cosine is the sine a quadrant on: the same series, so no rounding
// of an added quarter turn.
double steadyCos(double x) {
    if (!std::isfinite(x)) return 1;
    long q;
    double r;
    reduce(x, q, r);
    return quadrantSin(q + 1, r);
}

double steadyAtan2(double y, double x) {
    if (x == 0 && y == 0) return 0;
    const double ax = std::fabs(x), ay = std::fabs(y);
    double a = ay <= ax ? atanSmall(ay / ax) : kHalfPi - atanSmall(ax / ay);
    if (x < 0) a = 2 * kHalfPi - a;
    return y < 0 ? -a : a;
}
