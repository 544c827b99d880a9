#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "nodelist/address.h"
#include "nodelist/entry_parser.h"
#include "nodelist/status.h"

namespace quorvel {

// What the table keeps of one old entry.
struct StoredEntry {
    Address address;
    Address under;
    Status status;
    std::string_view sysop;  // underscores already spaces
    bool unmatched;
};

// The old list, held for the comparison: address, under text, status and
// sysop of every entry, in old-list order, each with a mark that stays set
// until an entry of the new list has matched it.
//
// Slots are compact records in fixed-size chunks, so the table grows with
// the list without ever copying what it holds; under addresses and sysop
// names live in pools the slots point into. An open-addressing index maps each
// address to the first slot holding it. Slots repeating an address are chained
// in old-list order, and a cursor per chain makes the n-th new occurrence of
// an address pair with its n-th old occurrence in constant time. Addresses
// that occur once, nearly all of them, never touch the chains.
class ReferenceTable {
public:
    using Slot = std::uint32_t;

    ReferenceTable();
    ReferenceTable(const ReferenceTable&) = delete;
    ReferenceTable& operator=(const ReferenceTable&) = delete;
    ~ReferenceTable();

    // Appends the entry's address, under text, status and sysop as the next
    // slot, marked unmatched.
    void store_entry(const NodelistEntry& entry);

    // The slot a new entry with this address pairs with, now marked matched:
    // the first slot with the address that is still unmatched, or the first
    // slot with it once all are matched. None if no old entry has it.
    std::optional<Slot> take_match(Address address);

    StoredEntry entry(Slot slot) const;
    std::uint32_t size() const { return size_; }

    // The lost sweep: every slot still unmatched, in old-list order, for as
    // long as visit returns true.
    template <class Visit>
    void for_each_unmatched(Visit visit) const
    {
        for (Slot slot = 0; slot < size_; ++slot)
            if (record(slot).unmatched && !visit(entry(slot)))
                return;
    }

private:
    static constexpr Slot no_slot = 0xffffffffu;

    struct Record {
        Address address;
        std::uint32_t under;  // index into unders_
        std::uint32_t sysop;  // offset into the sysop pool
        Slot next_same;       // next slot with this address, or no_slot
        std::uint16_t sysop_length;
        Status status;
        bool unmatched;
    };
    struct Chain {
        Slot last;     // where the next repeat is linked on
        Slot cursor;   // first slot not yet matched, or no_slot
    };

    Record& record(Slot slot);
    const Record& record(Slot slot) const;
    std::uint32_t store_sysop(std::string_view sysop);
    std::uint32_t store_under(Address under);
    std::size_t find_bucket(Address address) const;
    void grow_index();

    std::vector<std::unique_ptr<Record[]>> records_;
    std::vector<std::unique_ptr<char[]>> sysop_pool_;
    std::size_t sysop_used_ = 0;  // bytes used in the last pool chunk
    std::vector<Address> unders_;
    std::vector<Slot> index_;  // slot + 1 of the first slot with an address, 0 if free
    std::unordered_map<Slot, Chain> chains_;  // by first slot, for repeated addresses only
    std::uint32_t size_ = 0;
    std::uint32_t distinct_ = 0;
};

}  // namespace quorvel
