#include "wizard/navigation.h"

namespace vexlor::wizard {
namespace {

void RunAndFinish(WizardView& view) {
    view.SetNextEnabled(false);
    view.SetBackEnabled(false);
    view.SetTitle(TitleProgress);
    view.ShowPage(PageProgress);
    try {
        view.RunClean();
    } catch (...) {
        ShowFinished(view);
        throw;
    }
    ShowFinished(view);
}

} // namespace

void ShowFinished(WizardView& view) {
    view.SetNextEnabled(false);
    view.SetBackEnabled(true);
    view.SetTitle(TitleFinish);
    view.ShowPage(PageFinish);
}

void NavigateNext(WizardView& view) {
    switch (view.ActivePage()) {
    case PageWelcome:
        view.SetBackEnabled(true);
        view.SetNextEnabled(true);
        view.SetTitle(TitleSelectFiles);
        view.ShowPage(PageSelectFiles);
        break;
    case PageSelectFiles:
        RunAndFinish(view);
        break;
    default:
        break; // nothing follows the progress and finish pages
    }
}

void NavigateBack(WizardView& view) {
    switch (view.ActivePage()) {
    case PageSelectFiles:
        view.SetNextEnabled(true);
        view.SetBackEnabled(false);
        view.SetNextCaption(NextCaption);
        view.SetTitle(TitleWelcome);
        view.ShowPage(PageWelcome);
        break;
    case PageFinish:
        view.SetNextEnabled(true);
        view.SetBackEnabled(true);
        view.SetNextCaption(NextCaption);
        view.SetTitle(TitleSelectFiles);
        view.ShowPage(PageSelectFiles);
        break;
    default:
        break; // no way back from the welcome page or out of a running deletion
    }
}

void ReturnToFileSelection(WizardView& view) {
    if (view.ActivePage() != PageFinish)
        return;
    view.SetTitle(TitleSelectFiles);
    view.ShowPage(PageSelectFiles);
}

} // namespace vexlor::wizard
