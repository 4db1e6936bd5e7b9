#include "wizard/finish_report.h"

#include <algorithm>

namespace vexlor::wizard {

std::wstring ReasonText(wipe::Reason reason) {
    using wipe::Reason;
    switch (reason) {
    case Reason::NotDeleted:
        return L"удалить не удалось";
    case Reason::Link:
        return L"это ссылка, она оставлена как есть";
    case Reason::OtherNames:
        return L"у файла есть другие имена, под ними его данные остались";
    case Reason::NotInPlace:
        return L"файл сжат, зашифрован или хранится файловой системой в другом месте";
    case Reason::StreamsHidden:
        return L"не удалось узнать, какие потоки есть у файла";
    case Reason::SpaceRefused:
        return L"место за концом файла перезаписать не удалось";
    case Reason::Cloud:
        return L"облачное хранилище хранит прежние версии файла";
    case Reason::NotWritten:
        return L"нули не удалось записать на диск, файл остался";
    case Reason::StateUnknown:
        return L"не удалось узнать, есть ли файл";
    case Reason::FolderKept:
        return L"папка оставлена: в ней осталось то, что не уничтожено";
    case Reason::FolderNotRemoved:
        return L"папку удалить не удалось";
    case Reason::SolidState:
        return L"на SSD или флеш-накопителе старые данные могут остаться внутри накопителя";
    case Reason::Network:
        return L"на сетевом диске сервер может хранить копии";
    case Reason::CopyOnWrite:
        return L"файловая система пишет изменения рядом со старыми данными, они могут остаться";
    case Reason::RestorePoints:
        return L"точки восстановления Windows (теневые копии) этого диска могут хранить файлы";
    }
    return {};
}

std::wstring OutcomeLine(const wipe::Outcome& outcome) {
    const bool drive = std::all_of(outcome.reasons.begin(), outcome.reasons.end(),
                                   [](wipe::Reason reason) { return wipe::IsDriveReason(reason); });
    std::wstring line = (drive ? L"Диск " : L"") + outcome.path + L" — ";
    for (std::size_t i = 0; i < outcome.reasons.size(); ++i)
        line += (i ? L"; " : L"") + ReasonText(outcome.reasons[i]);
    return line;
}

std::vector<std::wstring> OutcomeLines(const std::vector<wipe::Outcome>& outcomes) {
    std::vector<std::wstring> lines;
    for (const wipe::Outcome& outcome : outcomes)
        lines.push_back(OutcomeLine(outcome));
    return lines;
}

} // namespace vexlor::wizard
