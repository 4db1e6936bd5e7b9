#include <windows.h>

#include "app/run.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return vexlor::app::Run(instance, showCommand);
}
