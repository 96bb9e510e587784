// Starts kelto.exe as a user would and checks its frame window.
#include <gtest/gtest.h>

#include "AppDriver.h"

TEST(Frame, StartsWithTitledFrameAndClosesCleanly) {
    KeltoApp app("frame");
    ASSERT_TRUE(app.Start());
    char title[64] = "";
    GetWindowTextA(app.frame, title, sizeof title);
    EXPECT_STREQ("kelto", title);
    EXPECT_TRUE(IsWindowVisible(app.frame));
    EXPECT_TRUE(app.client != nullptr);
    EXPECT_TRUE(FindChild(app.frame, "KeltoOutput") != nullptr);
    EXPECT_EQ(0, app.Close());
}
