// The 128-bit integer the level tools' exact geometry uses, for a target
// whose compiler has none (32-bit x86): the i686 cross build includes this
// first, and `__int128` then names this class. Two's complement over two
// 64-bit halves; results are the native type's wherever that one does not
// overflow. The game's own code never needs it.
#pragma once

#include <cmath>
#include <cstdint>
#include <type_traits>

class Int128 {
public:
    constexpr Int128() = default;
    template <class T, class = std::enable_if_t<std::is_integral_v<T>>>
    constexpr Int128(T v) : hi_(highHalf(v)), lo_(uint64_t(v)) {}

    template <class T, class = std::enable_if_t<std::is_integral_v<T>>>
    explicit constexpr operator T() const {
        if constexpr (std::is_same_v<T, bool>) return (hi_ | lo_) != 0;
        return T(lo_);
    }
    // Rounded once to the nearest double: the bits below the 64 kept are
    // folded into the lowest one, which rounds the same.
    explicit operator double() const {
        const Int128 m = negative() ? -*this : *this;
        if (m.hi_ == 0) {
            const double d = double(m.lo_);
            return negative() ? -d : d;
        }
        int shift = 64;  // the bits of the high half
        while (!(m.hi_ >> (shift - 1))) --shift;
        const uint64_t kept = shift == 64 ? m.hi_ : (m.hi_ << (64 - shift)) | (m.lo_ >> shift);
        const bool dropped = shift == 64 ? m.lo_ != 0 : (m.lo_ & ((uint64_t(1) << shift) - 1)) != 0;
        const double d = std::ldexp(double(kept | uint64_t(dropped)), shift);
        return negative() ? -d : d;
    }

    friend constexpr Int128 operator-(Int128 v) { return Int128(~v.hi_ + (v.lo_ == 0), ~v.lo_ + 1); }
    friend constexpr Int128 operator+(Int128 a, Int128 b) {
        return Int128(a.hi_ + b.hi_ + (a.lo_ + b.lo_ < a.lo_), a.lo_ + b.lo_);
    }
    friend constexpr Int128 operator-(Int128 a, Int128 b) { return Int128(a.hi_ - b.hi_ - (a.lo_ < b.lo_), a.lo_ - b.lo_); }
    friend constexpr Int128 operator*(Int128 a, Int128 b) {
        const uint64_t a0 = a.lo_ & 0xffffffffu, a1 = a.lo_ >> 32, b0 = b.lo_ & 0xffffffffu, b1 = b.lo_ >> 32;
        const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0;
        const uint64_t mid = (p00 >> 32) + (p01 & 0xffffffffu) + (p10 & 0xffffffffu);
        const uint64_t hi = a1 * b1 + (p01 >> 32) + (p10 >> 32) + (mid >> 32) + a.hi_ * b.lo_ + a.lo_ * b.hi_;
        return Int128(hi, (p00 & 0xffffffffu) | (mid << 32));
    }
    // Truncated towards zero, the remainder taking the dividend's sign.
    friend Int128 operator/(Int128 a, Int128 b) {
        Int128 q, r;
        divide(a, b, q, r);
        return q;
    }
    friend Int128 operator%(Int128 a, Int128 b) {
        Int128 q, r;
        divide(a, b, q, r);
        return r;
    }
    Int128& operator+=(Int128 b) { return *this = *this + b; }
    Int128& operator-=(Int128 b) { return *this = *this - b; }
    Int128& operator*=(Int128 b) { return *this = *this * b; }
    Int128& operator/=(Int128 b) { return *this = *this / b; }

    friend constexpr bool operator==(Int128 a, Int128 b) { return a.hi_ == b.hi_ && a.lo_ == b.lo_; }
    friend constexpr bool operator!=(Int128 a, Int128 b) { return !(a == b); }
    friend constexpr bool operator<(Int128 a, Int128 b) {
        return a.hi_ != b.hi_ ? int64_t(a.hi_) < int64_t(b.hi_) : a.lo_ < b.lo_;
    }
    friend constexpr bool operator>(Int128 a, Int128 b) { return b < a; }
    friend constexpr bool operator<=(Int128 a, Int128 b) { return !(b < a); }
    friend constexpr bool operator>=(Int128 a, Int128 b) { return !(a < b); }

private:
    constexpr Int128(uint64_t hi, uint64_t lo) : hi_(hi), lo_(lo) {}
    template <class T>
    static constexpr uint64_t highHalf(T v) {
        if constexpr (std::is_signed_v<T>) return v < 0 ? ~uint64_t(0) : 0;
        return 0;
    }
    constexpr bool negative() const { return int64_t(hi_) < 0; }

    static void divide(Int128 a, Int128 b, Int128& q, Int128& r) {
        const Int128 n = a.negative() ? -a : a, d = b.negative() ? -b : b;
        Int128 quotient, rest;
        for (int bit = 127; bit >= 0; --bit) {
            rest = Int128((rest.hi_ << 1) | (rest.lo_ >> 63), rest.lo_ << 1);
            rest.lo_ |= (bit >= 64 ? n.hi_ >> (bit - 64) : n.lo_ >> bit) & 1;
            if (!(rest < d) || rest.negative()) {  // unsigned: rest >= d
                rest = rest - d;
                if (bit >= 64) quotient.hi_ |= uint64_t(1) << (bit - 64);
                else quotient.lo_ |= uint64_t(1) << bit;
            }
        }
        q = a.negative() != b.negative() ? -quotient : quotient;
        r = a.negative() ? -rest : rest;
    }

    uint64_t hi_ = 0, lo_ = 0;
};

#define __int128 Int128
