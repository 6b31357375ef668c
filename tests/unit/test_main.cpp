#include <gtest/gtest.h>

#include "frame/winapp.h"

int main(int argc, char** argv) {
    // The settings of the tests live apart from a player's.
    static CWinApp app("CadroUnitTests");
    app.Startup(::GetModuleHandleA(nullptr), "");
    app.SetRegistryKey("VorkelTests");
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
