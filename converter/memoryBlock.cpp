// Large blocks of memory filled once and read: the page text of a conversion.
// Fresh memory costs a page fault per 4 KiB when it is first written, which
// for pages of many MiB takes longer than reading the file; huge pages make
// that cost vanish.
#include "converterInternals.h"

#include <cstdint>
#include <new>
#include <utility>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace sorvane::detail {
namespace {

constexpr std::size_t HugePageSize = std::size_t{2} << 20;

}  // namespace

void PreferHugePages(const char* data, std::size_t size)
{
#ifdef __linux__
    const auto address = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (address + HugePageSize - 1) & ~(HugePageSize - 1);
    const std::uintptr_t end = (address + size) & ~(HugePageSize - 1);
    if (end > begin)
        (void)::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

MemoryBlock::MemoryBlock(std::size_t size) : size_(size)
{
#ifdef __linux__
    if (size >= HugePageSize) {
        void* mapped = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (mapped != MAP_FAILED) {
            (void)::madvise(mapped, size, MADV_HUGEPAGE);  // only a hint: a refusal costs speed, nothing else
            data_ = static_cast<char*>(mapped);
            mapped_ = true;
            return;
        }
    }
#endif
    data_ = new char[size == 0 ? 1 : size];
}

MemoryBlock::~MemoryBlock()
{
#ifdef __linux__
    if (mapped_) {
        ::munmap(data_, size_);
        return;
    }
#endif
    delete[] data_;
}

MemoryBlock::MemoryBlock(MemoryBlock&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, false))
{}

MemoryBlock& MemoryBlock::operator=(MemoryBlock&& other) noexcept
{
    MemoryBlock old(std::move(*this));
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    mapped_ = std::exchange(other.mapped_, false);
    return *this;
}

}  // namespace sorvane::detail
