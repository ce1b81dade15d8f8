#include "io/StagingRegister.h"

#include "io/Files.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vellum::io {

namespace fs = std::filesystem;

namespace staging {

namespace {

using Char = fs::path::value_type;
using View = std::basic_string_view<Char>;
using Name = std::atomic<const Char*>;
static_assert(Name::is_always_lock_free, "a signal handler reads the names");

constexpr std::size_t kNamesPerBlock = 512;

// What the handler reads: blocks of slots that each hold a name or nothing.
// Blocks are added and never freed, so a handler may walk them at any time.
struct Block {
    Name names[kNamesPerBlock]{};
    std::atomic<Block*> next{nullptr};
};

Block firstBlock;
std::atomic<bool> listingOn{false};
// Set once the handler has begun: from then on a name taken off the list may
// still be read by it, so it is never freed.
std::atomic<bool> sweeping{false};
// Moments with the signals held (SignalsHeld) that are under way in any
// thread. The handler runs in a thread that holds none, and lets those of the
// others end first: a file created there is listed, a rename done, a file
// written in place whole again.
std::atomic<int> heldMoments{0};
// How long the handler waits for them: a moment that cannot end (its thread
// waits on something the interrupted one holds) must not keep the process
// alive.
constexpr int kLongestWaitMs = 10'000;

// The listing threads' own bookkeeping, under a lock that the handler never
// takes.
struct Book {
    std::mutex lock;
    Block* last = &firstBlock;
    std::size_t usedInLast = 0;
    std::vector<Name*> free;
    // Keyed by the listed copy of each name itself.
    std::unordered_map<View, Name*> slotOf;

    Name* takeSlot() {
        if (!free.empty()) {
            Name* slot = free.back();
            free.pop_back();
            return slot;
        }
        if (usedInLast == kNamesPerBlock) {
            auto* added = new Block;
            last->next.store(added);
            last = added;
            usedInLast = 0;
        }
        return &last->names[usedInLast++];
    }
};

// Never destroyed: a batch may still take its files off the list at exit.
Book& book() {
    static Book& theBook = *new Book;
    return theBook;
}

void unlist(const fs::path& path) {
    if (!listingOn) {
        return;
    }
    Book& b = book();
    const Char* name = nullptr;
    {
        const std::lock_guard guard(b.lock);
        const auto found = b.slotOf.find(View(path.native()));
        if (found == b.slotOf.end()) {
            return;
        }
        name = found->second->exchange(nullptr);
        b.free.push_back(found->second);
        b.slotOf.erase(found);
    }
    if (!sweeping) {
        delete[] name;
    }
}

} // namespace

bool listing() {
    return listingOn;
}

void enlist(const fs::path& path) {
    if (!listingOn) {
        return;
    }
    const View text(path.native());
    auto name = std::make_unique<Char[]>(text.size() + 1); // zeroed: ends the name
    std::copy(text.begin(), text.end(), name.get());
    Book& b = book();
    {
        const std::lock_guard guard(b.lock);
        const auto [at, added] = b.slotOf.try_emplace(View(name.get(), text.size()), nullptr);
        if (!added) {
            return; // listed already: the same staging file opened again
        }
        at->second = b.takeSlot();
        at->second->store(name.release());
    }
    // A handler in another thread may have passed this slot already; it set
    // sweeping before it began, and this store came before this look.
    if (sweeping) {
        platform::removeFromHandler(path.c_str());
    }
}

Result<NativeHandle> createAndList(const fs::path& path) {
    const SignalsHeld held;
    Result<NativeHandle> created = platform::createExclusive(path);
    if (created.ok()) {
        enlist(path);
    }
    return created;
}

Result<void> renameAndUnlist(const fs::path& path, const fs::path& target) {
    const SignalsHeld held;
    Result<void> renamed = platform::replace(path, target);
    if (renamed.ok()) {
        unlist(path);
    }
    return renamed;
}

Result<void> removeAndUnlist(const fs::path& path) {
    const SignalsHeld held;
    Result<void> removed = platform::remove(path);
    if (removed.ok() || removed.failure().number == ENOENT) {
        unlist(path);
    }
    return removed;
}

void removeAllListed() noexcept {
    sweeping.store(true);
    for (int waited = 0; heldMoments.load() > 0 && waited < kLongestWaitMs; ++waited) {
        platform::pauseFromHandler();
    }
    for (Block* block = &firstBlock; block != nullptr; block = block->next.load()) {
        for (Name& slot : block->names) {
            if (const Char* name = slot.load()) {
                platform::removeFromHandler(name);
            }
        }
    }
}

SignalsHeld::SignalsHeld() : holding_(listingOn) {
    if (holding_) {
        platform::holdEndingSignals();
        ++heldMoments;
        if (sweeping) {
            // Another thread is removing the staging files before the
            // process ends: nothing new may begin.
            --heldMoments;
            platform::waitForTheEnd();
        }
    }
}

SignalsHeld::~SignalsHeld() {
    if (holding_) {
        --heldMoments;
        platform::releaseEndingSignals();
    }
}

} // namespace staging

void removeStagingOnSignals() {
    static std::once_flag once;
    std::call_once(once, [] {
        staging::listingOn = true;
        platform::installEndingHandlers();
    });
}

} // namespace vellum::io
