#include "compare/reference_table.h"

#include <cstring>
#include <stdexcept>

namespace quorvel {

namespace {

constexpr std::uint32_t records_per_chunk_bits = 14;
constexpr std::uint32_t records_per_chunk = 1u << records_per_chunk_bits;
constexpr std::uint32_t sysop_chunk_bits = 20;
constexpr std::size_t sysop_chunk_size = std::size_t{1} << sysop_chunk_bits;
constexpr std::size_t initial_index_size = 1024;

std::uint64_t hash(Address address)
{
    std::uint64_t x = (std::uint64_t{static_cast<std::uint32_t>(address.zone)} << 32) |
                      static_cast<std::uint32_t>(address.net);
    x ^= std::uint64_t{static_cast<std::uint32_t>(address.node)} * 0x9e3779b97f4a7c15u;
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9u;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebu;
    x ^= x >> 31;
    return x;
}

}  // namespace

ReferenceTable::ReferenceTable() : index_(initial_index_size, 0) {}

ReferenceTable::~ReferenceTable() = default;

ReferenceTable::Record& ReferenceTable::record(Slot slot)
{
    return records_[slot >> records_per_chunk_bits][slot & (records_per_chunk - 1)];
}

const ReferenceTable::Record& ReferenceTable::record(Slot slot) const
{
    return records_[slot >> records_per_chunk_bits][slot & (records_per_chunk - 1)];
}

// Sysop names are packed into chunks; a name never spans two, so it can be
// handed out as one view. Names come from lines of at most 253 characters.
std::uint32_t ReferenceTable::store_sysop(std::string_view sysop)
{
    if (sysop.size() > 0xffff)
        throw std::length_error("sysop name longer than any nodelist line");
    if (sysop_pool_.empty() || sysop_used_ + sysop.size() > sysop_chunk_size) {
        if (sysop_pool_.size() >= (std::size_t{1} << (32 - sysop_chunk_bits)))
            throw std::length_error("sysop names exceed 4 GiB");
        sysop_pool_.push_back(std::make_unique<char[]>(sysop_chunk_size));
        sysop_used_ = 0;
    }
    std::memcpy(sysop_pool_.back().get() + sysop_used_, sysop.data(), sysop.size());
    const std::size_t offset = ((sysop_pool_.size() - 1) << sysop_chunk_bits) | sysop_used_;
    sysop_used_ += sysop.size();
    return static_cast<std::uint32_t>(offset);
}

// Node lines come in runs under one coordinator or hub, so an under address
// is stored once per run.
std::uint32_t ReferenceTable::store_under(Address under)
{
    if (unders_.empty() || !(unders_.back() == under))
        unders_.push_back(under);
    return static_cast<std::uint32_t>(unders_.size() - 1);
}

std::size_t ReferenceTable::find_bucket(Address address) const
{
    const std::size_t mask = index_.size() - 1;
    for (std::size_t bucket = hash(address) & mask;; bucket = (bucket + 1) & mask) {
        const Slot held = index_[bucket];
        if (held == 0 || record(held - 1).address == address)
            return bucket;
    }
}

void ReferenceTable::grow_index()
{
    std::vector<Slot> old_index(index_.size() * 2, 0);
    old_index.swap(index_);
    for (const Slot held : old_index)
        if (held != 0)
            index_[find_bucket(record(held - 1).address)] = held;
}

void ReferenceTable::store_entry(const NodelistEntry& entry)
{
    if (size_ == no_slot)
        throw std::length_error("more old entries than the table can number");
    const Slot slot = size_;
    if ((slot & (records_per_chunk - 1)) == 0)
        records_.push_back(std::make_unique_for_overwrite<Record[]>(records_per_chunk));
    Record& stored = record(slot);
    stored.address = entry.context.address;
    stored.under = store_under(entry.context.under);
    stored.sysop = store_sysop(entry.sysop);
    stored.sysop_length = static_cast<std::uint16_t>(entry.sysop.size());
    stored.next_same = no_slot;
    stored.status = entry.status;
    stored.unmatched = true;
    ++size_;

    const std::size_t bucket = find_bucket(stored.address);
    const Slot first = index_[bucket];
    if (first == 0) {
        index_[bucket] = slot + 1;
        if (++distinct_ * 2 > index_.size())
            grow_index();
        return;
    }
    auto [chain, added] = chains_.try_emplace(first - 1, Chain{first - 1, first - 1});
    record(chain->second.last).next_same = slot;
    chain->second.last = slot;
}

std::optional<ReferenceTable::Slot> ReferenceTable::take_match(Address address)
{
    const Slot held = index_[find_bucket(address)];
    if (held == 0)
        return std::nullopt;
    Slot slot = held - 1;
    if (record(slot).next_same != no_slot) {
        Chain& chain = chains_.at(slot);
        if (chain.cursor != no_slot) {
            slot = chain.cursor;
            chain.cursor = record(slot).next_same;
        }
    }
    record(slot).unmatched = false;
    return slot;
}

StoredEntry ReferenceTable::entry(Slot slot) const
{
    const Record& stored = record(slot);
    const char* sysop = sysop_pool_[stored.sysop >> sysop_chunk_bits].get() +
                        (stored.sysop & (sysop_chunk_size - 1));
    return {stored.address, unders_[stored.under], stored.status, {sysop, stored.sysop_length},
            stored.unmatched};
}

}  // namespace quorvel
