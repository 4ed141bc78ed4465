// The renderer's GL tests share two hidden off-screen windows, one for ES
// contexts and one for the driver's compatibility contexts.
#include "Harness.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    glestest::OpenWindows();
    const int result = RUN_ALL_TESTS();
    glestest::CloseWindows();
    return result;
}
