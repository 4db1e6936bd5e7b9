// The open-file dialog's result: parsing, and a buffer that grows with the selection while the
// dialog is open, so that no chosen file is dropped however many there are.
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/error.h"
#include "platform/file_dialog.h"

namespace vexlor::platform {
namespace {

std::vector<std::wstring> Parse(const std::wstring& buffer) {
    return ParseOpenFileNames(buffer.data(), buffer.size());
}

TEST(ParseOpenFileNames, SinglePathOrFolderWithNames) {
    using Paths = std::vector<std::wstring>;
    EXPECT_EQ(Parse(std::wstring(L"C:\\docs\\one.txt\0\0", 17)), Paths{L"C:\\docs\\one.txt"});
    EXPECT_EQ(Parse(std::wstring(L"C:\\docs\0b.txt\0a b.txt\0\0", 24)),
              (Paths{L"C:\\docs\\b.txt", L"C:\\docs\\a b.txt"}));
    EXPECT_EQ(Parse(std::wstring(L"C:\\\0x\0y\0\0", 10)), (Paths{L"C:\\x", L"C:\\y"}))
        << "a drive's root already ends in a backslash";
    EXPECT_TRUE(Parse(std::wstring(L"\0\0", 2)).empty());
    // A buffer filled to its last character without the closing NULs is not read past.
    EXPECT_EQ(Parse(std::wstring(L"C:\\d\0a\0bc", 9)), (Paths{L"C:\\d\\a", L"C:\\d\\bc"}));
}

// A stand-in for the dialog's own window, answering the two questions the hook asks, with a
// child window in the place of the hook's dialog.
class FakeDialogWindow {
public:
    explicit FakeDialogWindow(OPENFILENAMEW& dialog) : ofn_(dialog) {
        WNDCLASSEXW windowClass{sizeof(windowClass)};
        windowClass.lpfnWndProc = &Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VexlorFakeFileDialog";
        ::RegisterClassExW(&windowClass);
        dialog_ = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0,
                                    100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
        ::SetWindowLongPtrW(dialog_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        hook_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, dialog_, nullptr,
                                  windowClass.hInstance, nullptr);
        ofn_.lpfnHook(hook_, WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(&ofn_));
    }
    FakeDialogWindow(const FakeDialogWindow&) = delete;
    FakeDialogWindow& operator=(const FakeDialogWindow&) = delete;
    ~FakeDialogWindow() { ::DestroyWindow(dialog_); }

    // The user selects `names` in `folder`: the file-name box shows them quoted.
    void Select(const std::wstring& folder, const std::vector<std::wstring>& names) {
        folder_ = folder;
        namesText_.clear();
        for (const auto& name : names)
            namesText_ += L"\"" + name + L"\" ";
        names_ = names;
    }
    void NotifySelectionChange() {
        OFNOTIFYW notify{};
        notify.hdr.hwndFrom = dialog_;
        notify.hdr.code = CDN_SELCHANGE;
        notify.lpOFN = &ofn_;
        ofn_.lpfnHook(hook_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
    }
    void PressOpen() { ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

    // What GetOpenFileNameW does on confirmation: the result, if it fits the buffer.
    OpenFileNameResult Confirm() {
        std::wstring result = folder_ + L'\0';
        for (const auto& name : names_)
            result += name + L'\0';
        result += L'\0';
        if (result.size() > ofn_.nMaxFile)
            return {false, FNERR_BUFFERTOOSMALL};
        std::copy(result.begin(), result.end(), ofn_.lpstrFile);
        return {true, 0};
    }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<FakeDialogWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && (message == CDM_GETSPEC || message == CDM_GETFOLDERPATH)) {
            const std::wstring& text = message == CDM_GETSPEC ? self->namesText_ : self->folder_;
            if (wParam > text.size())
                std::copy(text.c_str(), text.c_str() + text.size() + 1,
                          reinterpret_cast<wchar_t*>(lParam));
            return static_cast<LRESULT>(text.size() + 1);
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    OPENFILENAMEW& ofn_;
    HWND dialog_ = nullptr;
    HWND hook_ = nullptr;
    std::wstring folder_;
    std::wstring namesText_;
    std::vector<std::wstring> names_;
};

class ManyFiles : public ::testing::Test {
protected:
    ManyFiles() {
        // Far more than any fixed buffer of a reasonable size holds.
        for (int i = 0; i < 3000; ++i)
            names_.push_back(L"a file with a rather long name, number " + std::to_wstring(i));
        for (const auto& name : names_)
            expected_.push_back(kFolder + (L"\\" + name));
    }

    // Runs ChooseFiles with the dialog acting as `act` says.
    std::optional<std::vector<std::wstring>> Choose(void (*act)(FakeDialogWindow&)) {
        ScopedSeam<GetOpenFileNameSignature> seam(GetOpenFileNameApi, [&](OPENFILENAMEW& ofn) {
            FakeDialogWindow window(ofn);
            window.Select(kFolder, names_);
            act(window);
            return window.Confirm();
        });
        return ChooseFiles(nullptr, L"Все файлы", L"*.*");
    }

    static constexpr wchar_t kFolder[] = L"C:\\Some folder";
    std::vector<std::wstring> names_;
    std::vector<std::wstring> expected_;
};

TEST_F(ManyFiles, SelectedInTheListAreAllReturned) {
    const auto chosen = Choose([](FakeDialogWindow& w) { w.NotifySelectionChange(); });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, expected_);
}

TEST_F(ManyFiles, TypedIntoTheNameBoxAreAllReturned) {
    const auto chosen = Choose([](FakeDialogWindow& w) { w.PressOpen(); });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, expected_);
}

TEST_F(ManyFiles, ResultThatStillDoesNotFitIsAnErrorNotAShortList) {
    EXPECT_THROW(Choose([](FakeDialogWindow&) {}), Error);
}

TEST(ChooseFiles, CancelChoosesNothing) {
    ScopedSeam<GetOpenFileNameSignature> seam(GetOpenFileNameApi,
                                              [](OPENFILENAMEW&) { return OpenFileNameResult{}; });
    EXPECT_FALSE(ChooseFiles(nullptr, L"Все файлы", L"*.*"));
}

} // namespace
} // namespace vexlor::platform
