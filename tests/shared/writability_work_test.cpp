// The writability walk costs work in proportion to the path, not to its
// square: a path of thousands of missing components is walked without a new
// string per step. Counted in allocations, not timed.
#include "shared/writability.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace quillet {
namespace {

long allocationsDuring(const std::string& path, bool& writable) {
    allocations = 0;
    counting = true;
    writable = isWritableOrCreatable(path);
    counting = false;
    return allocations;
}

TEST(WritabilityWorkTest, AllocationsDoNotGrowWithTheNumberOfMissingComponents) {
    test::TempXdg xdg;
    const std::string base = xdg.makeDir("work");
    struct Row {
        int components;
        const char* part;
    };
    // Short paths and a path of several thousand missing components cost the
    // same few allocations (the walk's own buffer and its trailing slash).
    for (const Row& row : {Row{1, "a/"}, Row{50, "a/"}, Row{2000, "a/"}, Row{600, "long-name/"}}) {
        SCOPED_TRACE(row.components);
        std::string path = base;
        for (int i = 0; i < row.components; ++i) {
            path += "/";
            path += row.part;
        }
        bool writable = false;
        EXPECT_LE(allocationsDuring(path, writable), 3);
        EXPECT_TRUE(writable);
    }
}

} // namespace
} // namespace quillet
