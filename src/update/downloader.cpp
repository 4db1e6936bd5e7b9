#include "update/downloader.h"

#include <memory>

#include "base/error.h"
#include "base/product.h"
#include "settings/data_folder.h"
#include "settings/settings.h"
#include "ui/gui_thread.h"
#include "update/download.h"
#include "update/update_check.h"

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

DWORD WINAPI TDownLoader::Run(void* self) {
    auto* loader = static_cast<TDownLoader*>(self);
    try {
        loader->Execute();
    } catch (...) {
        // A check that fails says nothing; the handler reads whatever the file holds.
    }
    if (loader->OnTerminate)
        ui::RunOnGuiThread(loader->OnTerminate);
    if (loader->FreeOnTerminate)
        delete loader;
    return 0;
}

void TDownLoader::Execute() {
    // First: a download that fails or never ends still postpones the next check.
    settings::WriteSettingDate(L"LastUpdate", settings::CurrentDateTime());
    DownloadFile(FURL, FToFolder);
}

void StartUpdateCheck() {
    auto loader = std::make_unique<TDownLoader>();
    loader->FURL = UpdateFileUrl;
    loader->FToFolder = settings::GetDataFolder() + VersionFileName;
    loader->FreeOnTerminate = true;
    loader->OnTerminate = &DownLoaderTerminate;
    loader.release()->Start(); // from here on the thread owns itself
}

} // namespace vexlor::update
