#include "startup/CoreStartup.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    zarn::RegisterStandardParamClasses();
    return RUN_ALL_TESTS();
}
