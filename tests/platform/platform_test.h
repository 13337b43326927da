// The base of every platform test that uses the services: the headless backend, and the
// platform reset to the state of a program that has just started, so that each test runs the
// same alone, in any order, or in one process with all the others. Also a 5-6-5 frame over a
// test's own pixels.
#ifndef QV_TESTS_PLATFORM_PLATFORM_TEST_H
#define QV_TESTS_PLATFORM_PLATFORM_TEST_H

#include <gtest/gtest.h>

#include "core/pixels.h"
#include "host.h"

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvhost::UseHeadless();
    qvhost::Reset();
  }
};

// A 5-6-5 frame over caller-owned pixels, rows `pitch` bytes apart (0: two bytes a pixel).
inline plat::PixelBuffer Frame565(void* pixels, int width, int height, int pitch = 0) {
  return {static_cast<uint8_t*>(pixels), width,  height, pitch ? pitch : width * 2,
          plat::PixelFormat::Rgb565(),   nullptr};
}

#endif
