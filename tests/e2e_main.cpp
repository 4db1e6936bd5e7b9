// Entry point of the end-to-end tests, which start the real program as separate processes.
#include <windows.h>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
