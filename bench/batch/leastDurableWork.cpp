// least_durable_work PAGE...: the file system work that any conversion of
// the pages does when each new file must reach the disk before it takes its
// name and a killed run may leave nothing behind, and nothing else: no
// checks, no scan, no error handling. Per page: read it; write the new page
// (150 bytes longer) and a new script file as unnamed files; link the
// backup. Per group of 256 pages, as sorvane-cli groups them: one sync, name
// every script, one sync, name and rename every page, one sync, done on a
// second thread while the next group is prepared. Linux only (O_TMPFILE,
// syncfs). The batch benchmark times it beside sorvane-cli to show how much
// of the run is this floor.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace {

struct NewFiles {
    std::string page;
    int pageFd = -1;
    int scriptFd = -1;
};

std::string WithoutExtension(const std::string& page)
{
    return page.substr(0, page.size() - 4);
}

std::string ProcName(int fd)
{
    return "/proc/self/fd/" + std::to_string(fd);
}

bool Name(int fd, const std::string& name)
{
    return ::linkat(AT_FDCWD, ProcName(fd).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool Prepare(const std::string& page, std::vector<char>& buffer, NewFiles& files)
{
    const int in = ::open(page.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    const ssize_t size = ::read(in, buffer.data(), buffer.size() - 150);
    ::close(in);
    const std::string folder = std::filesystem::path(page).parent_path().string();
    files.page = page;
    files.pageFd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    files.scriptFd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    return size >= 0 && files.pageFd >= 0 && files.scriptFd >= 0
           && ::write(files.pageFd, buffer.data(), static_cast<std::size_t>(size) + 150) == size + 150
           && ::write(files.scriptFd, buffer.data(), 800) == 800
           && ::link(page.c_str(), (WithoutExtension(page) + "_backup.htm").c_str()) == 0;
}

// Syncs and names the new files of one group; false when any step failed.
bool Place(std::span<const NewFiles> group)
{
    const int anyFd = group.front().pageFd;
    bool named = ::syncfs(anyFd) == 0;
    for (const NewFiles& files : group)
        named = Name(files.scriptFd, WithoutExtension(files.page) + ".js") && named;
    named = ::syncfs(anyFd) == 0 && named;
    for (const NewFiles& files : group) {
        const std::string temp = files.page + ".new";
        named = Name(files.pageFd, temp) && ::rename(temp.c_str(), files.page.c_str()) == 0 && named;
    }
    named = ::syncfs(anyFd) == 0 && named;
    for (const NewFiles& files : group) {
        ::close(files.pageFd);
        ::close(files.scriptFd);
    }
    return named;
}

constexpr std::size_t GroupSize = 256;

}  // namespace

int main(int argc, char** argv)
{
    std::vector<char> buffer(std::size_t{1} << 20);
    std::vector<NewFiles> all(static_cast<std::size_t>(argc - 1));
    bool named = true;
    {
        std::jthread placer;  // leaving the block, on error too, waits for the last group
        for (std::size_t first = 0; first < all.size(); first += GroupSize) {
            const std::size_t end = std::min(all.size(), first + GroupSize);
            for (std::size_t i = first; i < end; ++i)
                if (!Prepare(argv[i + 1], buffer, all[i])) {
                    std::perror(argv[i + 1]);
                    return 1;
                }
            const std::span<const NewFiles> group(all.begin() + static_cast<std::ptrdiff_t>(first), end - first);
            if (placer.joinable())
                placer.join();  // one group at a time, as sorvane-cli places them
            placer = std::jthread([group, &named] { named = Place(group) && named; });
        }
    }
    if (!named)
        std::perror("least_durable_work");
    return named ? 0 : 1;
}
