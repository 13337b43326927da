// Kernel and multimedia timer services: the clock, debugger output, files, modules and
// resources.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "platform_test.h"

namespace {

using KernelTest = PlatformTest;

std::string TempName(const char* leaf) {
  char dir[MAX_PATH];
  DWORD n = GetTempPathA(sizeof dir, dir);
  EXPECT_GT(n, 0u);
  return std::string(dir) + leaf + std::to_string(::getpid());
}

TEST_F(KernelTest, ManualClockDrivesTimersAndSleepAndWraps) {
  qvhost::UseManualClock(1000);
  EXPECT_EQ(timeGetTime(), 1000u);
  Sleep(250);
  EXPECT_EQ(timeGetTime(), 1250u);
  EXPECT_EQ(GetTickCount(), 1250u);
  qvhost::AdvanceClock(50);
  EXPECT_EQ(timeGetTime(), 1300u);

  LARGE_INTEGER f, c0, c1;
  ASSERT_TRUE(QueryPerformanceFrequency(&f));
  ASSERT_TRUE(QueryPerformanceCounter(&c0));
  Sleep(2);
  ASSERT_TRUE(QueryPerformanceCounter(&c1));
  EXPECT_EQ((c1.QuadPart - c0.QuadPart) * 1000 / f.QuadPart, 2);
  EXPECT_FALSE(QueryPerformanceCounter(nullptr));

  // An unsigned 32-bit count: it wraps, and differences taken the usual way still hold.
  qvhost::UseManualClock(0xFFFFFFF0u);
  DWORD start = timeGetTime();
  Sleep(0x20);
  EXPECT_EQ(timeGetTime(), 0x10u);
  EXPECT_EQ(timeGetTime() - start, 0x20u);
}

TEST_F(KernelTest, TimerPeriodsPairUp) {
  EXPECT_EQ(timeBeginPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
  EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
  EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOCANDO));
  EXPECT_EQ(timeBeginPeriod(0), static_cast<MMRESULT>(TIMERR_NOCANDO));
}

TEST_F(KernelTest, DebugOutputIsCapturedLineByLine) {
  OutputDebugStringA("handle is null\n");
  OutputDebugStringA(nullptr);
  OutputDebugStringA("second");
  const auto& lines = qvhost::DebugOutput();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "handle is null\n");
  EXPECT_EQ(lines[1], "second");
}

TEST_F(KernelTest, ModuleHasAHandleButNoResources) {
  HMODULE self = GetModuleHandleA(nullptr);
  EXPECT_NE(self, nullptr);
  EXPECT_EQ(GetModuleHandleA("ddraw.dll"), nullptr);
  EXPECT_EQ(FindResourceA(self, "paddle.bmp", MAKEINTRESOURCEA(2)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  HRSRC madeUp = reinterpret_cast<HRSRC>(static_cast<uintptr_t>(0x1000));
  EXPECT_EQ(LoadResource(self, madeUp), nullptr);
  EXPECT_EQ(LockResource(nullptr), nullptr);
  EXPECT_EQ(SizeofResource(self, madeUp), 0u);
  SetLastError(77);
  EXPECT_EQ(GetLastError(), 77u);
}

TEST_F(KernelTest, LopenReadsWithShortReadsAtTheEnd) {
  std::string path = TempName("qv_kernel_lread_");
  std::ofstream(path) << "0123456789";

  HFILE h = _lopen(path.c_str(), OF_READ);
  ASSERT_NE(h, HFILE_ERROR);
  char buf[16] = {};
  EXPECT_EQ(_lread(h, buf, 4), 4u);
  EXPECT_EQ(std::string(buf, 4), "0123");
  EXPECT_EQ(_lread(h, buf, 10), 6u);
  EXPECT_EQ(std::string(buf, 6), "456789");
  EXPECT_EQ(_lread(h, buf, 10), 0u);
  EXPECT_EQ(_lread(h, nullptr, 4), static_cast<UINT>(HFILE_ERROR));
  EXPECT_EQ(_lclose(h), 0);
  EXPECT_EQ(_lclose(h), HFILE_ERROR);
  // Closed, standard and made-up descriptors are not files of ours.
  for (HFILE bad : {h, 0, 12345}) EXPECT_EQ(_lread(bad, buf, 1), static_cast<UINT>(HFILE_ERROR));

  // Missing files, directories and bad modes.
  EXPECT_EQ(_lopen((path + ".missing").c_str(), OF_READ), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  for (const char* bad : {"/tmp", static_cast<const char*>(nullptr)})
    EXPECT_EQ(_lopen(bad, OF_READ), HFILE_ERROR);
  EXPECT_EQ(_lopen(path.c_str(), 3), HFILE_ERROR);

  EXPECT_TRUE(DeleteFileA(path.c_str()));
  EXPECT_FALSE(DeleteFileA(path.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileA("/tmp"));
  EXPECT_FALSE(DeleteFileA(nullptr));
}

TEST_F(KernelTest, TempAndCurrentPathsReportTheSizeTheyNeed) {
  char full[MAX_PATH];
  DWORD length = GetTempPathA(sizeof full, full);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(full[length - 1], '/');
  EXPECT_EQ(full[length], '\0');
  char small[2] = {'x', 'y'};
  EXPECT_EQ(GetTempPathA(sizeof small, small), length + 1);
  EXPECT_EQ(small[0], 'x');  // untouched
  EXPECT_EQ(GetTempPathA(0, nullptr), length + 1);

  char current[4096];
  length = GetCurrentDirectoryA(sizeof current, current);
  EXPECT_EQ(std::string(current, length), std::filesystem::current_path().string());
  EXPECT_EQ(GetCurrentDirectoryA(sizeof small, small), length + 1);
}

}  // namespace
