#include "wizard/file_list.h"

#include <algorithm>

#include "base/error.h"
#include "base/handles.h"
#include "ui/controls.h"
#include "ui/skinned_controls.h"

namespace vexlor::wizard {
namespace {

// Measures entries in the list's own font, one device context for a whole batch.
class EntryMeasure {
public:
    explicit EntryMeasure(HWND list)
        : dc_(list),
          font_(dc_.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(list, WM_GETFONT, 0, 0))),
          margins_(2 * ui::Scale(ui::ListTextMargin)) {}

    int Width(const std::wstring& text) const {
        SIZE size{};
        ::GetTextExtentPoint32W(dc_.Get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx + margins_;
    }

private:
    WindowDc dc_;
    SelectedObject font_;
    int margins_;
};

} // namespace

int FileList::Count() const {
    return static_cast<int>(::SendMessageW(list_, LB_GETCOUNT, 0, 0));
}

void FileList::Append(const std::vector<std::wstring>& paths) {
    // One repaint for the whole batch, however many files were chosen.
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    const EntryMeasure measure(list_);
    int widest = extent_;
    for (const std::wstring& path : paths) {
        const LRESULT index =
            ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
        if (index == LB_ERR || index == LB_ERRSPACE) {
            SetExtent(widest);
            ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
            throw Error(L"Не удалось добавить файл в список: " + path);
        }
        ::SendMessageW(list_, LB_SETITEMDATA, static_cast<WPARAM>(index),
                       static_cast<LPARAM>(nextId_++));
        widest = std::max(widest, measure.Width(path));
    }
    SetExtent(widest);
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
}

void FileList::RemoveAt(int index) {
    ::SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    RecomputeExtent();
}

void FileList::Clear() {
    ::SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    SetExtent(0);
}

std::vector<wipe::EntryId> FileList::Entries() const {
    std::vector<wipe::EntryId> entries(static_cast<std::size_t>(Count()));
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = IdAt(static_cast<int>(i));
    return entries;
}

std::optional<std::wstring> FileList::PathOf(wipe::EntryId entry) const {
    int low = 0;
    int high = Count() - 1;
    int middle = std::clamp(lastFound_ + 1, low, std::max(high, 0));
    while (low <= high) {
        const wipe::EntryId found = IdAt(middle);
        if (found == entry) {
            lastFound_ = middle;
            return TextAt(middle);
        }
        if (found < entry)
            low = middle + 1;
        else
            high = middle - 1;
        middle = low + (high - low) / 2;
    }
    return std::nullopt;
}

std::wstring FileList::TextAt(int index) const {
    const LRESULT length = ::SendMessageW(list_, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(list_, LB_GETTEXT, static_cast<WPARAM>(index),
                                          reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

wipe::EntryId FileList::IdAt(int index) const {
    return static_cast<wipe::EntryId>(
        ::SendMessageW(list_, LB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void FileList::SetExtent(int width) {
    extent_ = width;
    ::SendMessageW(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(width), 0);
}

void FileList::RecomputeExtent() {
    const EntryMeasure measure(list_);
    int widest = 0;
    for (int i = 0, count = Count(); i < count; ++i)
        widest = std::max(widest, measure.Width(TextAt(i)));
    SetExtent(widest);
}

} // namespace vexlor::wizard
