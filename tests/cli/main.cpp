#include "startup/CoreStartup.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Expected blocks are compiled in-process, with the kinds the program registers.
    zarn::RegisterStandardParamClasses();
    return RUN_ALL_TESTS();
}
