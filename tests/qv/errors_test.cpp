// The DirectX error reporter: names, message texts, message boxes and the quit message.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>

#include <algorithm>
#include <string>
#include <vector>

#include "errors.h"
#include "host.h"
#include "qvscreen.h"

namespace {

using ::testing::HasSubstr;

class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvhost::UseHeadless();
    qvhost::Reset();
  }

  static bool QuitPosted() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return true;
    }
    return false;
  }

  static std::string LastBoxText() {
    const auto& boxes = qvhost::MessageBoxes();
    return boxes.empty() ? std::string() : boxes.back().text;
  }
};

TEST_F(ErrorsTest, DirectDrawReportShowsNameModuleAndLineAndPostsQuit) {
  ReportDirectDrawError(DDERR_SURFACELOST, nullptr, "qvscreen", 217);
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  const qvhost::MessageBoxRecord& box = qvhost::MessageBoxes()[0];
  EXPECT_EQ(box.text, "DirectDraw Error DDERR_SURFACELOST\nFILE: qvscreen\nLINE: 217");
  EXPECT_EQ(box.caption, "Error");
  EXPECT_EQ(box.type, static_cast<UINT>(MB_OK));
  EXPECT_EQ(box.owner, nullptr);
  EXPECT_TRUE(QuitPosted());
}

TEST_F(ErrorsTest, DirectDrawNamesFollowTheHeaderCodes) {
  ReportDirectDrawError(E_FAIL, nullptr, "m", 1);
  EXPECT_EQ(LastBoxText(), "DirectDraw Error DDERR_GENERIC\nFILE: m\nLINE: 1");
  ReportDirectDrawError(E_INVALIDARG, nullptr, "m", 1);
  EXPECT_EQ(LastBoxText(), "DirectDraw Error DDERR_INVALIDPARAMS\nFILE: m\nLINE: 1");
  ReportDirectDrawError(0x12345678, nullptr, "m", -5);
  EXPECT_EQ(LastBoxText(), "DirectDraw Error Unknown Error\nFILE: m\nLINE: -5");

  // Every named code agrees with the DirectDraw header.
  struct Named {
    HRESULT code;
    const char* name;
  };
#define QV_NAMED(code) \
  Named { code, #code }
  // clang-format off
  const Named named[] = {
      QV_NAMED(DDERR_UNSUPPORTED), QV_NAMED(DDERR_NOTINITIALIZED), QV_NAMED(DDERR_OUTOFMEMORY),
      QV_NAMED(DDERR_ALREADYINITIALIZED), QV_NAMED(DDERR_INVALIDRECT), QV_NAMED(DDERR_NOCOLORKEY),
      QV_NAMED(DDERR_NOTFOUND), QV_NAMED(DDERR_OUTOFVIDEOMEMORY), QV_NAMED(DDERR_CANTLOCKSURFACE),
      QV_NAMED(DDERR_WASSTILLDRAWING), QV_NAMED(DDERR_XALIGN),
      QV_NAMED(DDERR_INVALIDDIRECTDRAWGUID), QV_NAMED(DDERR_BLTFASTCANTCLIP),
      QV_NAMED(DDERR_NOTLOCKED), QV_NAMED(DDERR_NOTPALETTIZED), QV_NAMED(DDERR_UNSUPPORTEDMODE),
      QV_NAMED(DDERR_NOMIPMAPHW), QV_NAMED(DDERR_INVALIDSURFACETYPE),
      QV_NAMED(DDERR_DCALREADYCREATED), QV_NAMED(DDERR_CANTPAGELOCK),
      QV_NAMED(DDERR_CANTPAGEUNLOCK), QV_NAMED(DDERR_NOTPAGELOCKED),
      QV_NAMED(DDERR_NODIRECTDRAWHW), QV_NAMED(DDERR_NOEXCLUSIVEMODE),
      QV_NAMED(DDERR_IMPLICITLYCREATED), QV_NAMED(DDERR_WRONGMODE)};
  // clang-format on
#undef QV_NAMED
  for (const Named& entry : named) {
    ReportDirectDrawError(entry.code, nullptr, "m", 1);
    EXPECT_EQ(LastBoxText(), std::string("DirectDraw Error ") + entry.name + "\nFILE: m\nLINE: 1");
  }
}

TEST_F(ErrorsTest, LongSourceNameIsCutToTheMessageBuffer) {
  const std::string longName(5000, 'x');
  ReportDirectDrawError(DDERR_OVERLAYCOLORKEYONLYONEACTIVE, nullptr, longName.c_str(), 123);
  const std::string text = LastBoxText();
  EXPECT_EQ(text.size(), 1023u);
  EXPECT_EQ(text.rfind("DirectDraw Error DDERR_OVERLAYCOLORKEYONLYONEACTIVE\nFILE: xxx", 0), 0u);
  EXPECT_TRUE(QuitPosted());
}

TEST_F(ErrorsTest, DirectSoundReportAsksAndQuitsOnlyOnNo) {
  const HRESULT bufferLost = static_cast<HRESULT>(0x88780096);
  qvhost::AnswerMessageBoxes({IDYES, IDNO});
  ReportDirectSoundError(bufferLost, nullptr);
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  EXPECT_EQ(qvhost::MessageBoxes()[0].text,
            "DirectSound Error 'DSERR_BUFFERLOST.'\nContinue with Sound turned off?");
  EXPECT_EQ(qvhost::MessageBoxes()[0].caption, "Error");
  EXPECT_EQ(qvhost::MessageBoxes()[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_FALSE(QuitPosted());

  ReportDirectSoundError(E_NOTIMPL, nullptr);
  EXPECT_EQ(LastBoxText(),
            "DirectSound Error 'DSERR_UNSUPPORTED.'\nContinue with Sound turned off?");
  EXPECT_TRUE(QuitPosted());

  ReportDirectSoundError(DDERR_SURFACELOST, nullptr);
  EXPECT_EQ(LastBoxText(), "DirectSound Error 'Unknown Error.'\nContinue with Sound turned off?");
}

TEST_F(ErrorsTest, FatalErrorFormatsAndQuits) {
  ReportFatalError(nullptr, "Level %d of %s is missing", 3, "level3.txt");
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  EXPECT_EQ(qvhost::MessageBoxes()[0].text, "Level 3 of level3.txt is missing");
  EXPECT_EQ(qvhost::MessageBoxes()[0].type, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(qvhost::MessageBoxes()[0].owner, nullptr);
  EXPECT_TRUE(QuitPosted());

  const std::string huge(4000, 'y');
  ReportFatalError(nullptr, "%s", huge.c_str());
  EXPECT_EQ(LastBoxText().size(), 1023u);
}

TEST_F(ErrorsTest, FatalErrorWithAScreenShowsTheGdiSurfaceFirst) {
  Screen screen;
  ASSERT_NE(screen.directDraw, nullptr);
  qvhost::EnableCallLog(true, qvhost::LogScope::Everything);
  ReportFatalError(&screen, "boom");
  const std::vector<std::string> names = qvhost::CallNames();
  const auto flip = std::find(names.begin(), names.end(), "IDirectDraw4::FlipToGDISurface");
  EXPECT_LT(flip - names.begin(),
            std::find(names.begin(), names.end(), "MessageBoxA") - names.begin());
  ASSERT_EQ(qvhost::MessageBoxes().size(), 1u);
  EXPECT_EQ(qvhost::MessageBoxes()[0].text, "boom");
}

TEST_F(ErrorsTest, DescriptionsAndTheirFallback) {
  EXPECT_STREQ(DescribeError(0), "No error.");
  for (HRESULT code : {HRESULT(1), HRESULT(0x7FFFFFFF), DDERR_NOTINITIALIZED, DDERR_NOTPAGELOCKED})
    EXPECT_STREQ(DescribeError(code), "Unrecognized error value.") << code;
  EXPECT_STREQ(DescribeError(DDERR_UNSUPPORTED), "Action not supported.");
  EXPECT_STREQ(DescribeError(E_FAIL), "Generic failure.");
  EXPECT_STREQ(DescribeError(DDERR_NOCOLORKEY), "Surface doesn't currently have a color key");
  EXPECT_STREQ(DescribeError(E_OUTOFMEMORY), DescribeError(DDERR_OUTOFVIDEOMEMORY));
  EXPECT_STREQ(DescribeError(E_OUTOFMEMORY),
               "DirectDraw does not have enough memory to perform the operation.");
  EXPECT_THAT(DescribeError(DDERR_SURFACELOST), HasSubstr("surface memory is gone"));
  EXPECT_THAT(DescribeError(DDERR_NOTLOCKED), HasSubstr("Surface was not locked."));
  EXPECT_STREQ(DescribeError(static_cast<HRESULT>(0x88760313)), "The file was not found.");
  EXPECT_STREQ(DescribeError(static_cast<HRESULT>(0x88760312)), "D3DRMERR_NOTDONEYET");
  EXPECT_STREQ(DescribeError(static_cast<HRESULT>(0x88760314)), "D3DRMERR_BADFILE");
  EXPECT_STREQ(DescribeError(static_cast<HRESULT>(0x887602BC)), "D3DERR_BADMAJORVERSION");
  EXPECT_STREQ(DescribeError(static_cast<HRESULT>(0x887602EE)), "D3DERR_LIGHT_SET_FAILED");
  // Every other DirectDraw code has a sentence of its own, ending with a full stop.
  const HRESULT described[] = {DDERR_INVALIDRECT, DDERR_INVALIDPARAMS, DDERR_WASSTILLDRAWING,
                               DDERR_NOEXCLUSIVEMODE, DDERR_WRONGMODE};
  for (HRESULT code : described) {
    const std::string text = DescribeError(code);
    EXPECT_NE(text, "Unrecognized error value.") << code;
    EXPECT_EQ(text.back(), '.') << code;
  }
}

}  // namespace
