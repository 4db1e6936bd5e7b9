// The built program as the loader sees it: the DLLs it imports, the defences it declares, its
// version resource and its manifest.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/product.h"

namespace vexlor::testing {
namespace {

using namespace std::string_literals;

class Image {
public:
    explicit Image(const std::wstring& path) {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), {});
        const auto& dos = At<IMAGE_DOS_HEADER>(0);
        nt_ = &At<IMAGE_NT_HEADERS64>(static_cast<std::size_t>(dos.e_lfanew));
    }

    WORD DllCharacteristics() const { return nt_->OptionalHeader.DllCharacteristics; }

    // The names of the imported DLLs, in lower case.
    std::set<std::string> ImportedDlls() const {
        std::set<std::string> names;
        const auto& directory = nt_->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (std::size_t at = Offset(directory.VirtualAddress);;
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto& entry = At<IMAGE_IMPORT_DESCRIPTOR>(at);
            if (entry.Name == 0)
                break;
            std::string name = Text(Offset(entry.Name));
            std::transform(name.begin(), name.end(), name.begin(), ::tolower);
            names.insert(name);
        }
        return names;
    }

    // Whether the bytes of `text` stand anywhere in the image.
    bool Contains(const std::string& text) const {
        return std::search(bytes_.begin(), bytes_.end(), text.begin(), text.end()) != bytes_.end();
    }

    // Whether the COFF symbol table (kept until the program is stripped) names `symbol`.
    bool HasSymbol(const std::string& symbol) const {
        const auto& header = nt_->FileHeader;
        const std::size_t strings = header.PointerToSymbolTable + header.NumberOfSymbols * 18u;
        for (DWORD i = 0; i < header.NumberOfSymbols; ++i) {
            const char* entry = bytes_.data() + header.PointerToSymbolTable + i * 18u;
            DWORD zeros = 0, offset = 0;
            std::memcpy(&zeros, entry, 4);
            std::memcpy(&offset, entry + 4, 4);
            const std::string name =
                zeros ? std::string(entry, strnlen(entry, 8)) : Text(strings + offset);
            if (name == symbol)
                return true;
        }
        return false;
    }

private:
    template <typename T> const T& At(std::size_t offset) const {
        if (offset + sizeof(T) > bytes_.size())
            throw std::out_of_range("past the end of the image");
        return *reinterpret_cast<const T*>(bytes_.data() + offset);
    }
    std::string Text(std::size_t offset) const {
        if (offset >= bytes_.size())
            throw std::out_of_range("past the end of the image");
        return std::string(bytes_.data() + offset,
                           strnlen(bytes_.data() + offset, bytes_.size() - offset));
    }
    // The file offset of a relative virtual address.
    std::size_t Offset(DWORD rva) const {
        const auto* section = IMAGE_FIRST_SECTION(nt_);
        for (WORD i = 0; i < nt_->FileHeader.NumberOfSections; ++i, ++section)
            if (rva >= section->VirtualAddress &&
                rva < section->VirtualAddress + section->Misc.VirtualSize)
                return rva - section->VirtualAddress + section->PointerToRawData;
        throw std::out_of_range("an address outside every section");
    }

    std::vector<char> bytes_;
    const IMAGE_NT_HEADERS64* nt_ = nullptr;
};

TEST(ProgramImage, ImportsOnlyDllsTheSystemTakesFromItsOwnFolderAndDeclaresItsDefences) {
    const Image image(VEXLOR_EXE_WINDOWS_PATH);
    // Windows' KnownDLLs: never looked for beside the program.
    const std::set<std::string> known{"advapi32.dll", "gdi32.dll",   "kernel32.dll", "msvcrt.dll",
                                      "ole32.dll",    "shell32.dll", "user32.dll",   "ws2_32.dll"};
    for (const std::string& dll : image.ImportedDlls())
        EXPECT_TRUE(known.count(dll)) << dll << " may be found beside the program";
    const WORD flags = image.DllCharacteristics();
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) << "no ASLR";
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA) << "no 64-bit ASLR";
    EXPECT_TRUE(flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) << "no DEP";
    EXPECT_TRUE(image.HasSymbol("__stack_chk_fail")) << "no stack protector";
    // The old open-file dialog, which shows without navigation pane, search or address bar.
    EXPECT_FALSE(image.Contains("GetOpenFileNameW"));
}

// Both made by the build from its one version; the copyright's letters must survive the
// resource compiler.
TEST(ProgramImage, CarriesTheVersionTheCopyrightAndPerMonitorDpiAwareness) {
    const wchar_t* const path = VEXLOR_EXE_WINDOWS_PATH;
    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeW(path, &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(::GetFileVersionInfoW(path, 0, static_cast<DWORD>(info.size()), info.data()));
    const auto value = [&](const std::wstring& name) {
        void* found = nullptr;
        UINT length = 0;
        const std::wstring key = L"\\StringFileInfo\\041904B0\\" + name;
        return ::VerQueryValueW(info.data(), key.c_str(), &found, &length) && length
                   ? std::wstring(static_cast<const wchar_t*>(found))
                   : std::wstring();
    };
    EXPECT_EQ(value(L"FileVersion"), ProgramVersion);
    EXPECT_EQ(value(L"ProductVersion"), ProgramVersion);
    EXPECT_EQ(value(L"LegalCopyright"), L"© 2026 Keltro Software. Все права защищены.");
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", &fixed, &length));
    const DWORD major = static_cast<const VS_FIXEDFILEINFO*>(fixed)->dwFileVersionMS;
    const std::wstring numbers =
        std::to_wstring(HIWORD(major)) + L"." + std::to_wstring(LOWORD(major));
    EXPECT_EQ(numbers, ProgramVersion);

    const HMODULE module = ::LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(resource, nullptr);
    const std::string manifest(
        static_cast<const char*>(::LockResource(::LoadResource(module, resource))),
        ::SizeofResource(module, resource));
    ::FreeLibrary(module);
    const std::wstring wide = ProgramVersion;
    const std::string version(wide.begin(), wide.end());
    for (const std::string& part :
         {"version=\"" + version + ".0.0\"", ">true/pm</dpiAware>"s,
          ">PerMonitorV2, PerMonitor</dpiAwareness>"s, ">true</longPathAware>"s})
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
}

} // namespace
} // namespace vexlor::testing
