// Floating point: the program's arithmetic rounds every double to 64 bits (SSE2), so drawing
// computed on Windows and elsewhere gives the same pixels.
#include <cfloat>
#include <cmath>

#include "conform.h"

namespace {

volatile double big = 1e308;
volatile double ten = 10.0;
volatile double third = 1.0 / 3.0;

}  // namespace

void RunFloatingPoint() {
  ok(FLT_EVAL_METHOD == 0, "expressions are evaluated in wider types (%d)\n",
     static_cast<int>(FLT_EVAL_METHOD));
  // With 80-bit intermediates the product would not overflow before the division.
  double product = big * ten;
  double back = product / ten;
  ok(std::isinf(back), "an overflowing product came back finite\n");
  ok(third * 3.0 == 1.0, "1/3 * 3\n");
}
