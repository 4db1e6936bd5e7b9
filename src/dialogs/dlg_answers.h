#pragma once
// The tips dialog: one short tip at a time from the tips file beside the program, with its
// picture, another on request, and a box to keep the dialog from opening at start-up.

#include <windows.h>

#include <random>
#include <string>
#include <vector>

#include "ui/dialog.h"

namespace vexlor::dialogs {

class TFormUserAnswer : public ui::Dialog {
public:
    // Creates the dialog over `owner`, loads the tips of `programFolder` (the folder of the
    // program by default; it ends in a backslash) and shows the first. A tips file that cannot
    // be read is shown in the error box, and the dialog opens without a tip.
    explicit TFormUserAnswer(HWND owner, std::wstring programFolder = {});
    ~TFormUserAnswer() override;

    // Draws a tip, never the one shown just before when another can come out, and shows it.
    void ShowRandomAnswer();
    void BtnOkClick();
    void CheckBoxNotShowThisClick();

    // The lines of the tips file, in file order.
    std::vector<std::wstring> Answers;
    // The line shown last, -1 before the first.
    int LastLoad = -1;

    HWND Image1 = nullptr;
    HWND sPanel1 = nullptr;
    HWND CheckBoxNotShowThis = nullptr;
    HWND sLabel2 = nullptr;
    HWND BtnCancel = nullptr;
    HWND BtnOk = nullptr;
    HWND sPanel2 = nullptr;
    HWND sLabel1 = nullptr;
    HWND ImageInfo = nullptr;
    HWND LabelAnswer = nullptr;

    enum CommandId : int { IdBtnOk = 100, IdCheckBoxNotShowThis, IdBtnCancel = IDCANCEL };

protected:
    void OnCommand(int id, int notification) override;
    void OnDpiChanged() override;

private:
    void FormCreate();
    void BuildControls();
    // The text directly under the heading, or under the picture while it shows.
    void PlaceAnswer(bool pictureShown);
    void ShowTipPicture(const std::wstring& pictureName);

    std::wstring programFolder_;
};

} // namespace vexlor::dialogs
