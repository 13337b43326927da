// Runs one of examples/ (its WinMain is linked into the test program) on the headless backend
// with the manual clock, so that its frames are the same on every run.
#ifndef QV_TESTS_EXAMPLES_EXAMPLE_RUN_H
#define QV_TESTS_EXAMPLES_EXAMPLE_RUN_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host.h"

struct ExampleRun {
  int exitCode = -1;
  std::vector<uint64_t> hashes;  // every presented frame's
  qvhost::Frame picture;         // the frame the docs show
};

// `input(frame)` runs after each presented frame; after `frames` frames Escape goes down, which
// ends every example. Frame `pictureFrame` is kept, and written to
// $QV_EXAMPLE_IMAGES/example-<name>.png when that variable names a folder (the docs' pictures).
ExampleRun RunExample(const std::string& name, int frames, int pictureFrame,
                      std::function<void(int frame)> input = nullptr);

#endif
