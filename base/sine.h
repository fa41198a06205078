/// \file
/// The sine table, built at compile time (base: needs nothing but the C++ library).
///
/// 1024 signed 16-bit entries, one full turn, indexed with (phase & mask): phases are angles
/// in 1/1024 of a turn and may grow without bound. Entry i is 32767 * sin(2*pi*i/1024)
/// rounded to the nearest integer, except for ten entries that the table has always held
/// (the peaks are +-32766, and four entries on each half are one step lower or higher than
/// the rounded value). The image and byte map rotations and the demo's logo and texture
/// scene all read it, so those ten values are part of what they draw.
#pragma once
#include <cstdint>

/// The table's record: its size, its index mask and the entries.
struct SINETABLE {
  int32_t count;        ///< number of entries, 1024
  int32_t mask;         ///< index mask, 1023: entry[phase & mask]
  int16_t entry[1024];  ///< 32767 * sin(2*pi*i/1024), -32766 to 32766
};

/// \cond
namespace sine_detail {

// sin(x) for |x| <= pi/4 by its Taylor series; enough terms for double precision.
constexpr double TaylorSin(double x) {
  double term = x, sum = x;
  for (int n = 1; n < 12; ++n) {
    term *= -x * x / ((2.0 * n) * (2.0 * n + 1));
    sum += term;
  }
  return sum;
}
constexpr double TaylorCos(double x) {
  double term = 1, sum = 1;
  for (int n = 1; n < 12; ++n) {
    term *= -x * x / ((2.0 * n - 1) * (2.0 * n));
    sum += term;
  }
  return sum;
}

// sin(2*pi*i/1024): fold into the first octant so the series stays accurate.
constexpr double TurnSin(int i) {
  constexpr double kPi = 3.14159265358979323846;
  i &= 1023;
  double sign = 1;
  if (i >= 512) { i -= 512; sign = -1; }
  if (i > 256) i = 512 - i;                   // sin(pi - a) = sin(a)
  if (i > 128) return sign * TaylorCos(2 * kPi * (256 - i) / 1024);
  return sign * TaylorSin(2 * kPi * i / 1024);
}

constexpr int16_t RoundToInt16(double v) {
  return static_cast<int16_t>(v >= 0 ? static_cast<int32_t>(v + 0.5) : -static_cast<int32_t>(-v + 0.5));
}

constexpr SINETABLE MakeSineTable() {
  SINETABLE t{1024, 1023, {}};
  for (int i = 0; i < 1024; ++i) t.entry[i] = RoundToInt16(32767.0 * TurnSin(i));
  struct Fixed { int index; int16_t value; };
  constexpr Fixed kFixed[] = {
      {129, 23312},  {383, 23312},  {183, 29535},  {329, 29535},  {256, 32766},
      {641, -23312}, {695, -29535}, {768, -32766}, {841, -29535}, {895, -23312}};
  for (const Fixed& f : kFixed) t.entry[f.index] = f.value;
  return t;
}

}  // namespace sine_detail
/// \endcond

/// The one table, a compile-time constant shared by everything that includes this header.
inline constexpr SINETABLE SineTable = sine_detail::MakeSineTable();

/// The table entry for a phase in 1/1024 of a turn, of any size: negative phases and phases
/// beyond one turn wrap (entry[phase & 1023]). -32766 to 32766; never refuses.
constexpr int32_t Sine(int32_t phase) { return SineTable.entry[phase & SineTable.mask]; }
