// Our BIF_/CSIDL_/BFFM_ constants must be declared before the shell's headers
// turn those names into macros of the same values.
#include "win32BrowseDialog.h"

// The shell headers need the types of <windows.h>, so it comes first.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

namespace {

// An item identifier list that the shell allocated; the shell's allocator
// frees it.
class ShellItem final : public TItemIdList {
public:
    explicit ShellItem(PIDLIST_ABSOLUTE list) : list_(list) {}
    ~ShellItem() override { CoTaskMemFree(list_); }
    ShellItem(const ShellItem&) = delete;
    ShellItem& operator=(const ShellItem&) = delete;

    PCIDLIST_ABSOLUTE List() const { return list_; }

private:
    PIDLIST_ABSOLUTE list_;
};

TItemIdListPtr Own(PIDLIST_ABSOLUTE list)
{
    return list ? std::make_unique<ShellItem>(list) : nullptr;
}

PCIDLIST_ABSOLUTE ListOf(const TItemIdList* item)
{
    const auto* shellItem = dynamic_cast<const ShellItem*>(item);
    return shellItem ? shellItem->List() : nullptr;
}

// The shell calls this; it hands each message on to the record's callback.
int CALLBACK ShellCallback(HWND dialog, UINT message, LPARAM parameter, LPARAM data)
{
    const auto& info = *reinterpret_cast<const TBrowseInfo*>(data);
    if (!info.Callback)
        return 0;
    return info.Callback(reinterpret_cast<TWindowHandle>(dialog), message, parameter, info.CallbackData);
}

}  // namespace

TItemIdListPtr Win32BrowseDialog::ShowBrowseDialog(const TBrowseInfo& info)
{
    char displayName[MAX_PATH] = {};
    BROWSEINFOA record{};
    record.hwndOwner = reinterpret_cast<HWND>(info.Owner);
    record.pidlRoot = ListOf(info.Root);
    record.pszDisplayName = displayName;
    record.lpszTitle = info.Title.c_str();
    record.ulFlags = info.Flags;
    record.lpfn = &ShellCallback;
    record.lParam = reinterpret_cast<LPARAM>(&info);
    TItemIdListPtr item = Own(SHBrowseForFolderA(&record));
    if (item && info.DisplayName)
        *info.DisplayName = displayName;
    return item;
}

std::intptr_t Win32BrowseDialog::SendDialogMessage(TWindowHandle dialog, unsigned message, std::uintptr_t wParam,
                                                   std::intptr_t lParam)
{
    return SendMessageA(reinterpret_cast<HWND>(dialog), message, wParam, lParam);
}

TItemIdListPtr Win32BrowseDialog::SpecialFolderLocation(int csidl)
{
    PIDLIST_ABSOLUTE list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)))
        return nullptr;
    return Own(list);
}

std::string Win32BrowseDialog::PathFromIdList(const TItemIdList& item)
{
    char path[MAX_PATH] = {};
    const PCIDLIST_ABSOLUTE list = ListOf(&item);
    if (!list || !SHGetPathFromIDListA(list, path))
        return {};
    return path;
}

std::unique_ptr<TBrowseDialogBackend> DefaultBrowseDialogBackend()
{
    return std::make_unique<Win32BrowseDialog>();
}
