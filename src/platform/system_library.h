#pragma once
// DLLs of the system loaded at run time, from the system folder only. The loader looks for a
// DLL that the import table names, or that LoadLibrary is asked for by name, in the program's
// folder first, where anyone who can write there could plant one; only the DLLs that Windows
// always takes from its own folder are imported.

#include <windows.h>

namespace vexlor::platform {

// From now on the process loads DLLs by name from the system folder only. The program's first
// step, before anything can load a DLL.
void LoadDllsFromTheSystemFolderOnly();

// `dll` from the system folder, or null when it is not there; it stays loaded.
HMODULE LoadSystemLibrary(const wchar_t* dll);

// A function of a system DLL, as the type it is; null when the DLL or the function is missing
// (an older Windows).
template <typename Function> Function SystemFunction(const wchar_t* dll, const char* name) {
    const HMODULE module = LoadSystemLibrary(dll);
    return module
               ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)))
               : nullptr;
}

} // namespace vexlor::platform
