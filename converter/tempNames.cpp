// The list of temporary file names is read by a signal handler, so it is a
// fixed table of atomic pointers: adding and removing a name never leaves the
// table in a state the handler could not read.
#include "tempNames.h"
#include "unitACConvertor.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#define SORVANE_UNLINK _wunlink
#define SORVANE_GETPID _getpid
#else
#include <unistd.h>
#define SORVANE_UNLINK ::unlink
#define SORVANE_GETPID ::getpid
#endif

namespace sorvane::detail {
namespace {

constexpr std::string_view TempNamePrefix = ".sorvane-";
constexpr std::string_view TempNameSuffix = ".tmp";

// A batch of conversions keeps two or three files per page pending.
constexpr std::size_t SlotCount = 4096;
std::array<std::atomic<SystemString::value_type*>, SlotCount> Slots{};

extern "C" void RemoveTempNamesAndDie(int signal)
{
    // The signal raised again ends the program only once this handler
    // returns; until then the interrupted code must find errno as it was.
    const int interruptedErrno = errno;
    for (auto& slot : Slots)
        if (const auto* name = slot.load())
            (void)SORVANE_UNLINK(name);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    errno = interruptedErrno;
}

}  // namespace

std::string TempFileName()
{
    thread_local std::mt19937_64 generator{std::random_device{}()};
    static constexpr std::string_view Letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, Letters.size() - 1);
    std::string name = std::string(TempNamePrefix) + std::to_string(SORVANE_GETPID()) + "-";
    for (int i = 0; i < 10; ++i)
        name += Letters[pick(generator)];
    return name + std::string(TempNameSuffix);
}

long TempFileOwner(std::string_view name)
{
    if (!name.starts_with(TempNamePrefix) || !name.ends_with(TempNameSuffix))
        return 0;
    name.remove_prefix(TempNamePrefix.size());
    long owner = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), owner);
    return error == std::errc() && end != name.data() && *end == '-' ? owner : 0;
}

TempNameEntry::TempNameEntry(const SystemString& path)
{
    using Char = SystemString::value_type;
    const std::size_t bytes = (path.size() + 1) * sizeof(Char);
    auto* name = static_cast<Char*>(std::malloc(bytes));
    if (name == nullptr)
        return;
    std::memcpy(name, path.c_str(), bytes);
    for (std::size_t i = 0; i < SlotCount; ++i) {
        Char* empty = nullptr;
        if (Slots[i].compare_exchange_strong(empty, name)) {
            slot_ = static_cast<int>(i);
            return;
        }
    }
    std::free(name);
}

TempNameEntry::TempNameEntry(TempNameEntry&& other) noexcept : slot_(std::exchange(other.slot_, -1)) {}

TempNameEntry& TempNameEntry::operator=(TempNameEntry&& other) noexcept
{
    if (this != &other) {
        Forget();
        slot_ = std::exchange(other.slot_, -1);
    }
    return *this;
}

void TempNameEntry::Forget()
{
    if (slot_ < 0)
        return;
    std::free(Slots[static_cast<std::size_t>(slot_)].exchange(nullptr));
    slot_ = -1;
}

}  // namespace sorvane::detail

void sorvane::RemoveTempFilesOnInterrupt()
{
    for (const int signal : {SIGINT, SIGTERM
#ifdef SIGHUP
                             ,
                             SIGHUP
#endif
         })
        std::signal(signal, detail::RemoveTempNamesAndDie);
}
