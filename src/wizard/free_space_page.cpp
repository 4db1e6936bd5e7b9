#include "wizard/free_space_page.h"

#include <cstdio>

#include "wizard/finish_report.h"

namespace vexlor::wizard {
namespace {

// Before this much of a phase is done, or this long has passed, its pace says little yet.
constexpr auto kFirstGuessAfter = std::chrono::seconds(3);

// "1 байт", "2 байта", "5 байт", "12 байт".
const wchar_t* BytesWord(std::uint64_t count) {
    const std::uint64_t lastTwo = count % 100;
    const std::uint64_t last = count % 10;
    const bool few = last >= 2 && last <= 4 && !(lastTwo >= 12 && lastTwo <= 14);
    return few ? L"байта" : L"байт";
}

} // namespace

std::wstring ByteCountText(std::uint64_t bytes) {
    if (bytes < 1024)
        return std::to_wstring(bytes) + L" " + BytesWord(bytes);
    static constexpr const wchar_t* kUnits[] = {L"КБ", L"МБ", L"ГБ", L"ТБ"};
    double value = static_cast<double>(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    wchar_t text[32] = {};
    // One decimal below ten, written with the comma Russian uses.
    swprintf_s(text, value < 10 ? L"%.1f" : L"%.0f", value);
    std::wstring shown = text;
    if (const auto point = shown.find(L'.'); point != std::wstring::npos)
        shown[point] = L',';
    return shown + L" " + kUnits[unit];
}

std::wstring FreeSpaceQuestion(const std::wstring& root,
                               const std::optional<platform::DiskSpace>& space,
                               const std::vector<wipe::Reason>& driveReasons) {
    std::wstring text = L"Очистить свободное место на диске " + root + L"?\n\n";
    if (space && space->totalBytes > 0)
        text += L"Свободно " + ByteCountText(space->freeBytes) + L" из " +
                ByteCountText(space->totalBytes) + L". ";
    else
        text += L"Сколько на нём свободного места, система не сообщает. ";
    text += L"Всё свободное место будет заполнено нулями через временные файлы в скрытой папке "
            L"«" +
            std::wstring(wipe::FreeSpaceFolderName) +
            L"» внутри выбранной папки, затем они будут удалены. Остатки удалённых ранее файлов "
            L"восстановить будет нельзя.\n\n"
            L"На время очистки диск будет заполнен полностью: другие программы могут не суметь "
            L"записать на него свои данные. Очистку можно остановить кнопкой «Стоп».";
    for (const wipe::Reason reason : driveReasons)
        text += L"\n\nОбратите внимание: " + ReasonText(reason) + L".";
    return text;
}

std::wstring PhaseText(wipe::FreeSpacePhase phase) {
    switch (phase) {
    case wipe::FreeSpacePhase::Clusters:
        return L"Свободное место заполняется нулями. Пока диск заполнен, другие программы могут "
               L"не суметь записать на него свои данные...";
    case wipe::FreeSpacePhase::Records:
        return L"Заполняются свободные записи таблицы файлов, где хранятся маленькие файлы...";
    case wipe::FreeSpacePhase::Removal:
        return L"Временные файлы удаляются, место на диске освобождается...";
    }
    return {};
}

std::wstring FreeSpaceResultText(const wipe::FreeSpaceOutcome& outcome) {
    const std::wstring written = L"перезаписано нулями " + ByteCountText(outcome.zeroBytes);
    if (outcome.stopped)
        return L"Очистка остановлена, " + written + L".";
    return L"Свободное место очищено, " + written + L".";
}

std::wstring TimeLeft::Text(platform::SteadyTime now, std::uint64_t done,
                            std::uint64_t total) const {
    if (total == 0)
        return L"Оставшееся время неизвестно";
    const auto elapsed = std::chrono::duration<double>(now - start_);
    if (done == 0 || elapsed < kFirstGuessAfter)
        return L"Оставшееся время оценивается...";
    const double fractionLeft =
        static_cast<double>(total - std::min(done, total)) / static_cast<double>(done);
    const auto left = static_cast<long long>(elapsed.count() * fractionLeft);
    if (left < 60)
        return L"Осталось меньше минуты";
    const long long minutes = (left + 59) / 60;
    if (minutes < 60)
        return L"Осталось около " + std::to_wstring(minutes) + L" мин";
    return L"Осталось около " + std::to_wstring(minutes / 60) + L" ч " +
           std::to_wstring(minutes % 60) + L" мин";
}

} // namespace vexlor::wizard
