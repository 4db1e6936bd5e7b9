#include <windows.h>

#include "app/run.h"
#include "platform/system_library.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // First, before anything can load a DLL by its name.
    vexlor::platform::LoadDllsFromTheSystemFolderOnly();
    return vexlor::app::Run(instance, showCommand);
}
