#include "app/Application.h"
#include "widgets/Accessibility.h"
#include "widgets/ProgramFont.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    ApplyProgramFont(app);
    InstallAccessibility();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
