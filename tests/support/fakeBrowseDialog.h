// A scripted folder browser: it records the parameter record of each run and
// every message sent to the dialog, calls the callback as the shell does when
// the dialog opens, and then answers with the item the test chose (or
// cancels). Its items count themselves, so tests can see that none leaks.
#pragma once

#include "browseDialog.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

class FakeBrowseDialog final : public TBrowseDialogBackend {
public:
    static constexpr TWindowHandle DialogWindow = 0xD1A106;
    static constexpr int NoSpecialFolder = -1;

    class Item final : public TItemIdList {
    public:
        Item(int& live, std::string path, int csidl) : path(std::move(path)), csidl(csidl), live_(live) { ++live_; }
        ~Item() override { --live_; }

        const std::string path;  // empty: an item without a file-system path
        const int csidl;

    private:
        int& live_;
    };

    struct Answer {
        std::string path;
        std::string displayName;
    };

    struct Run {
        TWindowHandle owner;
        const TItemIdList* root;
        int rootCsidl;
        std::string title;
        unsigned flags;
        TBrowseCallbackProc callback;
    };

    struct Message {
        unsigned message;
        std::uintptr_t wParam;
        std::string text;
        bool operator==(const Message&) const = default;
    };

    // What the next runs answer: an item, or nothing (the user cancels).
    std::optional<Answer> answer;
    // Special folders that the platform does not have.
    std::set<int> missingFolders;

    std::vector<Run> runs;
    std::vector<Message> sent;
    std::vector<int> requestedFolders;
    int liveItems = 0;

    TItemIdListPtr MakeItem(std::string path, int csidl = NoSpecialFolder)
    {
        return std::make_unique<Item>(liveItems, std::move(path), csidl);
    }

    TItemIdListPtr ShowBrowseDialog(const TBrowseInfo& info) override
    {
        const auto* root = dynamic_cast<const Item*>(info.Root);
        runs.push_back(
            {info.Owner, info.Root, root ? root->csidl : NoSpecialFolder, info.Title, info.Flags, info.Callback});
        info.Callback(DialogWindow, BFFM_INITIALIZED, 0, info.CallbackData);
        if (!answer)
            return nullptr;
        *info.DisplayName = answer->displayName;
        return MakeItem(answer->path);
    }

    std::intptr_t SendDialogMessage(TWindowHandle dialog, unsigned message, std::uintptr_t wParam,
                                    std::intptr_t lParam) override
    {
        if (dialog == DialogWindow)
            sent.push_back({message, wParam, reinterpret_cast<const char*>(lParam)});
        return 0;
    }

    TItemIdListPtr SpecialFolderLocation(int csidl) override
    {
        requestedFolders.push_back(csidl);
        if (missingFolders.count(csidl))
            return nullptr;
        return MakeItem("special folder", csidl);
    }

    std::string PathFromIdList(const TItemIdList& item) override { return dynamic_cast<const Item&>(item).path; }
};
