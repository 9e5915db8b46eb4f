#include "app/Application.h"
#include "app/Startup.h"

int main(int argc, char **argv)
{
    TApplication app(argc, argv);
    return RunTavrin(app);
}
