#include "compare/reference_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <stdexcept>

namespace quorvel {

namespace {

constexpr std::uint32_t sysop_block_bits = 21;  // 2 MiB, one huge page
constexpr std::size_t sysop_block_size = std::size_t{1} << sysop_block_bits;
constexpr std::size_t first_sysop_block_size = 4096;
constexpr std::size_t initial_index_size = 16;

// The low bits pick the bucket and the high 32 bits are its tag, so both
// halves must depend on all three numbers: the multiplications carry every
// bit upward, and the last shift brings the high half down.
std::uint64_t hash(Address address)
{
    std::uint64_t x = (std::uint64_t{static_cast<std::uint32_t>(address.zone)} << 32) |
                      static_cast<std::uint32_t>(address.net);
    x ^= std::uint64_t{static_cast<std::uint32_t>(address.node)} * 0x9e3779b97f4a7c15u;
    x *= 0xbf58476d1ce4e5b9u;
    return x ^ (x >> 29);
}

void prefetch(const void* address)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#else
    static_cast<void>(address);
#endif
}

}  // namespace

ReferenceTable::ReferenceTable() = default;

ReferenceTable::~ReferenceTable()
{
    for (const Block& block : record_blocks_)
        free_large_block(block.memory, block.bytes);
    for (const Block& block : sysop_blocks_)
        free_large_block(block.memory, block.bytes);
}

// The next page of records: from the last block while it has one to spare,
// else from a new block as big as all before it together, at most
// max_pages_per_block pages.
void ReferenceTable::add_page()
{
    pages_.reserve(pages_.size() + 1);
    if (spare_pages_ == 0) {
        const std::size_t pages = std::clamp<std::size_t>(pages_.size(), 1, max_pages_per_block);
        const std::size_t bytes = pages * page_size * sizeof(Record);
        record_blocks_.reserve(record_blocks_.size() + 1);
        record_blocks_.push_back({allocate_large_block(bytes), bytes});
        spare_pages_ = pages;
    }
    const Block& block = record_blocks_.back();
    auto* first = static_cast<Record*>(block.memory);
    pages_.push_back(first + (block.bytes / sizeof(Record) - spare_pages_ * page_size));
    --spare_pages_;
}

// Sysop names are packed into blocks; a name never spans two, so it can be
// handed out as one view. Names come from lines of at most 253 characters.
// The first blocks are small, and each is twice the one before, up to the
// full size: a small table stays small, and nothing stored ever moves.
std::uint32_t ReferenceTable::store_sysop(std::string_view sysop)
{
    if (sysop.size() > 0xff)
        throw std::length_error("sysop name longer than any nodelist line");
    if (sysop_blocks_.empty() || sysop_used_ + sysop.size() > sysop_blocks_.back().bytes) {
        if (sysop_blocks_.size() >= (std::size_t{1} << (32 - sysop_block_bits)))
            throw std::length_error("sysop names exceed 4 GiB");
        const std::size_t doublings = std::min<std::size_t>(sysop_blocks_.size(), 16);
        const std::size_t bytes = std::min(sysop_block_size, first_sysop_block_size << doublings);
        sysop_blocks_.reserve(sysop_blocks_.size() + 1);
        sysop_blocks_.push_back({allocate_large_block(bytes), bytes});
        sysop_used_ = 0;
    }
    const std::size_t offset = ((sysop_blocks_.size() - 1) << sysop_block_bits) | sysop_used_;
    auto* block = static_cast<char*>(sysop_blocks_.back().memory);
    std::memcpy(block + sysop_used_, sysop.data(), sysop.size());
    sysop_used_ += sysop.size();
    return static_cast<std::uint32_t>(offset);
}

// Node lines come in runs under one coordinator or hub, so an under address
// is stored once per run.
std::uint32_t ReferenceTable::store_under(const Under& under)
{
    if (!under)
        return no_under;
    if (unders_.empty() || !(unders_.back() == *under))
        unders_.push_back(*under);
    return static_cast<std::uint32_t>(unders_.size() - 1);
}

std::size_t ReferenceTable::find_bucket(Address address, std::uint64_t hash) const
{
    const std::size_t mask = index_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t bucket = static_cast<std::size_t>(hash) & mask;; bucket = (bucket + 1) & mask) {
        const Bucket& at = index_[bucket];
        if (at.held == 0 || (at.tag == tag && record(at.held - 1).address == address))
            return bucket;
    }
}

// Builds the index for every slot stored so far, sized for them at once.
void ReferenceTable::build_index()
{
    std::size_t buckets = initial_index_size;
    while (buckets < 2 * std::size_t{size_})
        buckets *= 2;
    index_.assign(buckets, Bucket{0, 0});
    distinct_ = 0;
    chains_.clear();
    indexed_ = true;
    // The buckets are met in random order; asking for each a few slots ahead
    // lets the memory fetches overlap instead of waiting one by one. Each
    // hash is worked out once, when its bucket is asked for, and kept in a
    // ring until its slot's turn comes.
    constexpr Slot ahead = 16;
    std::array<std::uint64_t, ahead> hashes{};
    const std::size_t mask = index_.size() - 1;
    for (Slot slot = 0; slot < size_ + ahead; ++slot) {
        std::uint64_t& hashed = hashes[slot % ahead];
        if (slot >= ahead)
            index_slot(slot - ahead, hashed);
        if (slot < size_) {
            hashed = hash(record(slot).address);
            prefetch(&index_[static_cast<std::size_t>(hashed) & mask]);
        }
    }
}

// Enters one slot, the newest, into the index; a repeated address joins the
// chain of its first slot.
void ReferenceTable::index_slot(Slot slot, std::uint64_t hashed)
{
    Record& stored = record(slot);
    Bucket& bucket = index_[find_bucket(stored.address, hashed)];
    if (bucket.held == 0) {
        bucket = {slot + 1, static_cast<std::uint32_t>(hashed >> 32)};
        if (++distinct_ * 2 > index_.size()) {
            decltype(index_) old_index(index_.size() * 2, Bucket{0, 0});
            old_index.swap(index_);
            for (const Bucket& held : old_index)
                if (held.held != 0)
                    index_[find_bucket(record(held.held - 1).address,
                                       hash(record(held.held - 1).address))] = held;
        }
        return;
    }
    const Slot first = bucket.held - 1;
    Chain& chain = chains_[first];
    if (chain.slots.empty())
        chain.slots.push_back(first);
    chain.slots.push_back(slot);
    record(first).repeated = true;
    stored.repeated = true;
}

void ReferenceTable::store_entry(const NodelistEntry& entry)
{
    if (size_ == 0xffffffffu)
        throw std::length_error("more old entries than the table can number");
    const Slot slot = size_;
    const std::uint32_t under = store_under(entry.context.under);
    const std::uint32_t sysop = store_sysop(entry.sysop);
    if ((slot & (page_size - 1)) == 0)
        add_page();
    new (&record(slot)) Record{
        .address = entry.context.address,
        .under = under,
        .sysop = sysop,
        .sysop_length = static_cast<std::uint8_t>(entry.sysop.size()),
        .status = entry.status,
        .keyword_status = entry.keyword_status,
        .unmatched = true,
        .repeated = false,
    };
    ++size_;
    if (indexed_)
        index_slot(slot, hash(entry.context.address));
}

ReferenceTable::Slot ReferenceTable::match(Slot slot)
{
    record(slot).unmatched = false;
    guess_ = slot + 1;
    return slot;
}

std::optional<ReferenceTable::Slot> ReferenceTable::take_match(Address address)
{
    if (!indexed_)
        build_index();
    if (guess_ < size_) {
        const Record& next = record(guess_);
        if (next.address == address && !next.repeated)
            return match(guess_);
    }
    const Slot held = index_[find_bucket(address, hash(address))].held;
    if (held == 0)
        return std::nullopt;
    const Slot first = held - 1;
    if (!record(first).repeated)
        return match(first);
    Chain& chain = chains_.at(first);
    if (chain.next == chain.slots.size())
        return match(first);
    return match(chain.slots[chain.next++]);
}

std::string_view ReferenceTable::sysop(Slot slot) const
{
    const Record& stored = record(slot);
    const auto* block =
        static_cast<const char*>(sysop_blocks_[stored.sysop >> sysop_block_bits].memory);
    return {block + (stored.sysop & (sysop_block_size - 1)), stored.sysop_length};
}

StoredEntry ReferenceTable::entry(Slot slot) const
{
    const Record& stored = record(slot);
    const Under under =
        stored.under == no_under ? Under{} : Under{unders_[stored.under]};
    return {stored.address, under, stored.status, stored.keyword_status, sysop(slot)};
}

}  // namespace quorvel
