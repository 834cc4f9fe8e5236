// Every test program runs with a home folder of its own: Qt's dialogs,
// settings and the desktop's tools write below HOME and XDG_CONFIG_HOME, and
// a test must never change the home of the user who runs it. The folder is
// made before main() (Qt reads the variables when it first needs them) and
// removed when the program ends. Windows programs run under Wine with a
// prefix of the build's own and keep it.
#ifndef _WIN32

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

class OwnHome {
public:
    OwnHome()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "sorvane-home-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return;
        folder_ = pattern;
        setenv("HOME", folder_.c_str(), 1);
        for (const auto& [name, below] :
             {std::pair{"XDG_CONFIG_HOME", ".config"}, std::pair{"XDG_DATA_HOME", ".local/share"},
              std::pair{"XDG_CACHE_HOME", ".cache"}, std::pair{"XDG_STATE_HOME", ".local/state"}})
            setenv(name, (folder_ / below).c_str(), 1);
    }
    ~OwnHome()
    {
        std::error_code ignored;
        if (!folder_.empty())
            std::filesystem::remove_all(folder_, ignored);
    }
    OwnHome(const OwnHome&) = delete;
    OwnHome& operator=(const OwnHome&) = delete;

private:
    std::filesystem::path folder_;
};

const OwnHome ownHome;

}  // namespace

#endif
