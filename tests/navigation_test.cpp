#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/error.h"
#include "wizard/navigation.h"

namespace vexlor::wizard {
namespace {

// Records each step the navigation takes, in order, as text.
class RecordingView : public WizardView {
public:
    explicit RecordingView(int page) : page_(page) {}

    int ActivePage() const override { return page_; }
    void SetBackEnabled(bool on) override { steps.push_back(on ? L"back on" : L"back off"); }
    void SetNextEnabled(bool on) override { steps.push_back(on ? L"next on" : L"next off"); }
    void SetNextCaption(const std::wstring& caption) override {
        steps.push_back(L"next caption " + caption);
    }
    void SetTitle(const std::wstring& title) override { steps.push_back(L"title " + title); }
    void ShowPage(int page) override {
        page_ = page;
        steps.push_back(L"page " + std::to_wstring(page));
    }
    void RunClean() override {
        steps.push_back(L"run");
        if (failRun)
            throw Error(L"boom");
    }

    std::vector<std::wstring> steps;
    bool failRun = false;

private:
    int page_;
};

using Steps = std::vector<std::wstring>;

TEST(Navigation, NextFromWelcomeShowsFileSelection) {
    RecordingView view(PageWelcome);
    NavigateNext(view);
    EXPECT_EQ(view.steps, (Steps{L"back on", L"next on", L"title Выбор файлов", L"page 1"}));
}

TEST(Navigation, NextFromFileSelectionRunsThenFinishes) {
    RecordingView view(PageSelectFiles);
    NavigateNext(view);
    EXPECT_EQ(view.steps,
              (Steps{L"next off", L"back off", L"title Выполнение операции", L"page 2", L"run",
                     L"next off", L"back on", L"title Операция завершена", L"page 3"}));
}

TEST(Navigation, FailedRunStillReachesFinishPageThenPassesErrorOn) {
    RecordingView view(PageSelectFiles);
    view.failRun = true;
    EXPECT_THROW(NavigateNext(view), Error);
    EXPECT_EQ(view.steps,
              (Steps{L"next off", L"back off", L"title Выполнение операции", L"page 2", L"run",
                     L"next off", L"back on", L"title Операция завершена", L"page 3"}));
}

TEST(Navigation, NextDoesNothingOnProgressAndFinishPages) {
    for (int page : {PageProgress, PageFinish}) {
        RecordingView view(page);
        NavigateNext(view);
        EXPECT_TRUE(view.steps.empty()) << "page " << page;
    }
}

TEST(Navigation, BackFromFileSelectionShowsWelcome) {
    RecordingView view(PageSelectFiles);
    NavigateBack(view);
    EXPECT_EQ(view.steps, (Steps{L"next on", L"back off", L"next caption Далее",
                                 L"title Приветствие", L"page 0"}));
}

TEST(Navigation, BackFromFinishShowsFileSelectionWithBothButtons) {
    RecordingView view(PageFinish);
    NavigateBack(view);
    EXPECT_EQ(view.steps, (Steps{L"next on", L"back on", L"next caption Далее",
                                 L"title Выбор файлов", L"page 1"}));
}

TEST(Navigation, BackDoesNothingOnWelcomeAndProgressPages) {
    for (int page : {PageWelcome, PageProgress}) {
        RecordingView view(page);
        NavigateBack(view);
        EXPECT_TRUE(view.steps.empty()) << "page " << page;
    }
}

TEST(Navigation, ReturnLinkKeepsButtonStates) {
    RecordingView view(PageFinish);
    ReturnToFileSelection(view);
    EXPECT_EQ(view.steps, (Steps{L"title Выбор файлов", L"page 1"}));
}

} // namespace
} // namespace vexlor::wizard
