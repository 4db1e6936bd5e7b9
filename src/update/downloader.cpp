#include "update/downloader.h"

#include <memory>

#include "base/error.h"
#include "base/product.h"
#include "settings/data_folder.h"
#include "settings/settings.h"
#include "update/download.h"

namespace vexlor::update {

TDownLoader::TDownLoader()
    : thread_(::CreateThread(nullptr, 0, &TDownLoader::Run, this, CREATE_SUSPENDED, nullptr)) {
    if (!thread_)
        ThrowLastError(L"Cannot start the update check.");
}

TDownLoader::~TDownLoader() = default;

void TDownLoader::Start() {
    ::ResumeThread(thread_.Get());
}

DWORD WINAPI TDownLoader::Run(void* self) noexcept {
    auto* loader = static_cast<TDownLoader*>(self);
    try {
        loader->Execute();
    } catch (...) {
        // A check that fails says nothing; the handler reads whatever the file holds.
    }
    try {
        if (loader->OnTerminate && loader->Synchronize)
            loader->Synchronize(loader->OnTerminate);
        else if (loader->OnTerminate)
            loader->OnTerminate();
    } catch (...) {
        // The worker's errors stay with it, the handler's among them.
    }
    if (loader->FreeOnTerminate)
        delete loader;
    return 0;
}

void TDownLoader::Execute() {
    // First: a download that fails or never ends still postpones the next check.
    settings::WriteSettingDate(L"LastUpdate", settings::CurrentDateTime());
    DownloadFile(FURL, FToFolder);
}

void StartUpdateCheck(std::function<void(const std::function<void()>&)> synchronize, AskYesNo ask) {
    auto loader = std::make_unique<TDownLoader>();
    loader->FURL = UpdateFileUrl;
    loader->FToFolder = settings::GetDataFolder() + VersionFileName;
    loader->FreeOnTerminate = true;
    loader->OnTerminate = [ask = std::move(ask)] { DownLoaderTerminate(ask); };
    loader->Synchronize = std::move(synchronize);
    loader.release()->Start(); // from here on the thread owns itself
}

} // namespace vexlor::update
