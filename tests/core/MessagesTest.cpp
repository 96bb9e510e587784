#include "core/Messages.h"
#include "support/TestSupport.h"

TEST(Messages, UnknownIdentifiersGiveEmptyText) {
    EXPECT_STREQ("", GetString(0));
    EXPECT_STREQ("", GetString(9999));
    EXPECT_STREQ("Error", GetString(406));
}
