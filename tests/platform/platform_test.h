// The base of every platform test that uses the services: the headless backend, and the
// platform reset to the state of a program that has just started, so that each test runs the
// same alone, in any order, or in one process with all the others.
#ifndef QV_TESTS_PLATFORM_PLATFORM_TEST_H
#define QV_TESTS_PLATFORM_PLATFORM_TEST_H

#include <gtest/gtest.h>

#include "host.h"

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvhost::UseHeadless();
    qvhost::Reset();
  }
};

#endif
