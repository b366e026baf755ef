// The test programs' main: GoogleTest's own, except that a run whose filter
// selects no test fails, so that a renamed or misspelt test cannot pass by
// not running.
#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    if (testing::UnitTest::GetInstance()->test_to_run_count() == 0) {
        std::printf("FAILED: the filter \"%s\" selects no test\n", GTEST_FLAG_GET(filter).c_str());
        return 1;
    }
    return result;
}
