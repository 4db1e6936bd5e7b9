#pragma once
// The About dialog: the product's picture, name, version, the maker's notice, a description,
// two links to the product site and a button that closes it.

#include <windows.h>

#include "ui/dialog.h"

namespace vexlor::dialogs {

class TFormAbout : public ui::Dialog {
public:
    explicit TFormAbout(HWND owner);
    ~TFormAbout() override;

    void SiteLabelClick();
    void SupportLabelClick();

    HWND Image32 = nullptr;
    HWND SiteLabel = nullptr;
    HWND SupportLabel = nullptr;
    HWND InfoLabel = nullptr;
    HWND VersionLabel = nullptr;
    HWND AuthorLabel = nullptr;
    HWND ProgrammLabel = nullptr;
    HWND CloseButton = nullptr;

    enum CommandId : int { IdSiteLabel = 100, IdSupportLabel, IdCloseButton = IDCANCEL };

protected:
    void OnCommand(int id, int notification) override;

private:
    void BuildControls();
    void FormCreate();
};

} // namespace vexlor::dialogs
