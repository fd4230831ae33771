#include "platform/os_error.h"

#include <windows.h>

#include <gtest/gtest.h>

using namespace skorvel;

TEST(OSError, CarriesCodeAndSystemMessage) {
    try {
        RaiseOSError(ERROR_FILE_NOT_FOUND);
        FAIL() << "no exception";
    } catch (const EOSError& e) {
        EXPECT_EQ(e.ErrorCode(), static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(e.Message().empty());
        EXPECT_NE(e.Message().back(), L'\n');
    }
}
