#include "folderBrowse.h"

#include "qtBytes.h"

#include <QWidget>

#include <iterator>
#include <stdexcept>

namespace {

struct FlagBit {
    TBrowseFlag member;
    unsigned bit;
};

constexpr FlagBit flagBits[] = {
    {TBrowseFlag::bf_BrowseForComputer, BIF_BROWSEFORCOMPUTER},
    {TBrowseFlag::bf_BrowseForPrinter, BIF_BROWSEFORPRINTER},
    {TBrowseFlag::bf_DontGoBelowDomain, BIF_DONTGOBELOWDOMAIN},
    {TBrowseFlag::bf_statustext, BIF_STATUSTEXT},
    {TBrowseFlag::bf_ReturnFSanceStors, BIF_RETURNFSANCESTORS},
    {TBrowseFlag::bf_ReturnOnlyFSDIRS, BIF_RETURNONLYFSDIRS},
    {TBrowseFlag::bf_EditBox, BIF_EDITBOX},
};

// The special folder of each location from bl_DESKTOP on, in member order.
constexpr int specialFolders[] = {
    CSIDL_DESKTOP,         CSIDL_PROGRAMS,       CSIDL_CONTROLS,
    CSIDL_PRINTERS,        CSIDL_PERSONAL,       CSIDL_FAVORITES,
    CSIDL_STARTUP,         CSIDL_RECENT,         CSIDL_SENDTO,
    CSIDL_BITBUCKET,       CSIDL_STARTMENU,      CSIDL_DESKTOPDIRECTORY,
    CSIDL_DRIVES,          CSIDL_NETWORK,        CSIDL_NETHOOD,
    CSIDL_FONTS,           CSIDL_TEMPLATES,      CSIDL_COMMON_STARTMENU,
    CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_STARTUP, CSIDL_COMMON_DESKTOPDIRECTORY,
    CSIDL_APPDATA,         CSIDL_PRINTHOOD,
};
static_assert(std::size(specialFolders) == int(TBrowseLocation::bl_PRINTHOOD) - int(TBrowseLocation::bl_DESKTOP) + 1);

std::intptr_t TextParameter(const std::string& text)
{
    return reinterpret_cast<std::intptr_t>(text.c_str());
}

void SendOpeningMessages(TWindowHandle dialog, const TBrowseCallbackData& data)
{
    if (!data.FolderText.empty())
        data.Shell->SendDialogMessage(dialog, BFFM_SETSELECTIONA, 1, TextParameter(data.FolderText));
    if (!data.StatusText.empty())
        data.Shell->SendDialogMessage(dialog, BFFM_SETSTATUSTEXTA, 1, TextParameter(data.StatusText));
}

}  // namespace

TBrowseForFolder::TBrowseForFolder(QObject* owner)
    : QObject(owner), ownBackend_(DefaultBrowseDialogBackend()), backend_(ownBackend_.get())
{}

TBrowseForFolder::TBrowseForFolder(QObject* owner, TBrowseDialogBackend& backend) : QObject(owner), backend_(&backend)
{}

TBrowseForFolder::~TBrowseForFolder() = default;

TBrowseFlags TBrowseForFolder::Flags() const
{
    TBrowseFlags flags;
    for (const FlagBit& entry : flagBits)
        flags.setFlag(entry.member, (browseInfo_.Flags & entry.bit) != 0);
    return flags;
}

void TBrowseForFolder::SetFlags(TBrowseFlags flags)
{
    for (const FlagBit& entry : flagBits) {
        if (flags.testFlag(entry.member))
            browseInfo_.Flags |= entry.bit;
        else
            browseInfo_.Flags &= ~entry.bit;
    }
}

bool TBrowseForFolder::Execute()
{
    QWidget* owner = OwnerWindow();
    browseInfo_.Title = sorvane::ToBytes(caption_);
    // A special folder the platform cannot give leaves a null root, which
    // shows the whole namespace.
    const TItemIdListPtr specialRoot = SpecialRoot();
    const TItemIdList* root = root_ == TBrowseLocation::bl_CUSTOM ? customRoot_.get() : specialRoot.get();
    browseInfo_.Owner = owner->window()->winId();
    TBrowseCallbackData callbackData{sorvane::ToBytes(folderName_), sorvane::ToBytes(statusText_), backend_};
    browseInfo_.Flags |= BIF_VALIDATE;
    std::string displayName;
    const TItemIdListPtr item = ShowDialog(root, callbackData, displayName);
    if (!item)
        return false;
    folderName_ = sorvane::FromBytes(backend_->PathFromIdList(*item));
    displayName_ = sorvane::FromBytes(displayName);
    return true;
}

int TBrowseForFolder::BrowseCallback(TWindowHandle window, unsigned message, std::intptr_t, std::intptr_t data)
{
    switch (message) {
    case BFFM_INITIALIZED:
        if (data != 0)
            SendOpeningMessages(window, *reinterpret_cast<const TBrowseCallbackData*>(data));
        return 0;
    case BFFM_VALIDATEFAILEDA: return 1;  // an unresolvable typed name keeps the dialog open
    default: return 0;                    // a change of selection is not acted on
    }
}

QWidget* TBrowseForFolder::OwnerWindow() const
{
    auto* owner = qobject_cast<QWidget*>(parent());
    if (!owner)
        throw std::runtime_error("Invalid class typecast");
    return owner;
}

TItemIdListPtr TBrowseForFolder::SpecialRoot() const
{
    if (root_ == TBrowseLocation::bl_STANDART || root_ == TBrowseLocation::bl_CUSTOM)
        return nullptr;
    return backend_->SpecialFolderLocation(specialFolders[int(root_) - int(TBrowseLocation::bl_DESKTOP)]);
}

TItemIdListPtr TBrowseForFolder::ShowDialog(const TItemIdList* root, TBrowseCallbackData& callbackData,
                                            std::string& displayName)
{
    // The record outlives the run; the pointers into this run's locals must not.
    struct RunPointers {
        TBrowseInfo& info;
        ~RunPointers()
        {
            info.Root = nullptr;
            info.DisplayName = nullptr;
            info.CallbackData = 0;
        }
    } clearAfterRun{browseInfo_};
    browseInfo_.Root = root;
    browseInfo_.Callback = &TBrowseForFolder::BrowseCallback;
    browseInfo_.CallbackData = reinterpret_cast<std::intptr_t>(&callbackData);
    browseInfo_.DisplayName = &displayName;
    return backend_->ShowBrowseDialog(browseInfo_);
}
