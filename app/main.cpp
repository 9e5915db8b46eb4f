#include "app/Application.h"
#include "app/FontWarmUp.h"
#include "app/Startup.h"

int main(int argc, char **argv)
{
    const FontWarmUp fonts;
    Application app(argc, argv);
    return RunTavrin(app);
}
