#pragma once
// The wizard's navigation: which page follows which, with the buttons and title of each step.
// Kept apart from the window so every row can be checked on its own.

#include <string>

namespace vexlor::wizard {

enum Page : int { PageWelcome = 0, PageSelectFiles = 1, PageProgress = 2, PageFinish = 3 };

inline constexpr wchar_t TitleWelcome[] = L"Приветствие";
inline constexpr wchar_t TitleSelectFiles[] = L"Выбор файлов";
inline constexpr wchar_t TitleProgress[] = L"Выполнение операции";
inline constexpr wchar_t TitleFinish[] = L"Операция завершена";
inline constexpr wchar_t NextCaption[] = L"Далее";
inline constexpr wchar_t BackCaption[] = L"Назад";

// What the navigation needs of the window.
class WizardView {
public:
    virtual int ActivePage() const = 0;
    virtual void SetBackEnabled(bool enabled) = 0;
    virtual void SetNextEnabled(bool enabled) = 0;
    virtual void SetNextCaption(const std::wstring& caption) = 0;
    virtual void SetTitle(const std::wstring& title) = 0;
    virtual void ShowPage(int page) = 0;
    virtual void RunClean() = 0;

protected:
    ~WizardView() = default;
};

// "Далее". On the file page it runs the deletion and then always lands on the finish page;
// an error of the run is passed on only after that.
void NavigateNext(WizardView& view);
// "Назад".
void NavigateBack(WizardView& view);
// The finish page after a run, whatever its outcome: "Назад" enabled, "Далее" not.
void ShowFinished(WizardView& view);
// "Вернуться на первый шаг" on the finish page: back to the file page, buttons unchanged.
void ReturnToFileSelection(WizardView& view);

} // namespace vexlor::wizard
