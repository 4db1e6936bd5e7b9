// Stands in for the browser in the end-to-end tests: the test prefix opens web addresses with
// this program, which writes each address it is given as a line to the file that the
// environment variable VEXLOR_SHELL_RECORD names, and ends.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    wchar_t record[MAX_PATH] = {};
    if (!::GetEnvironmentVariableW(L"VEXLOR_SHELL_RECORD", record, MAX_PATH))
        return 1;
    FILE* file = _wfopen(record, L"a, ccs=UTF-8");
    if (!file)
        return 1;
    for (int i = 1; i < argc; ++i)
        std::fwprintf(file, L"%ls\n", argv[i]);
    std::fclose(file);
    return 0;
}
