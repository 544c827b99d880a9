#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "compare/large_blocks.h"
#include "nodelist/address.h"
#include "nodelist/entry_parser.h"
#include "nodelist/status.h"

namespace quorvel {

// What the table keeps of one old entry.
struct StoredEntry {
    Address address;
    Under under;
    Status status;          // the label, Z-I and R-I included
    Status keyword_status;  // the keyword's own status
    std::string_view sysop;  // as written in the list; valid while the table lives
};

// The old list, held for the comparison: address, under address, status and
// sysop of every entry, in old-list order, each with a mark that stays set
// until an entry of the new list has matched it.
//
// Slots are 24-byte records in blocks that start small and double up to a
// full size, so the table grows with the list without ever copying what it
// holds, and a table of a few entries costs a few kilobytes. Sysop names are
// packed into blocks of their own that grow the same way, and an under
// address is stored once for each run of nodes listed under it. Finding the
// slot for a new entry:
// - editions of a list keep their order, so the slot after the last one
//   matched is tried first, at no cost beyond one comparison;
// - otherwise an open-addressing index maps the address to the first slot
//   holding it. The index is built in one go when the first lookup comes, at
//   its final size, so filling the table never rehashes, and each bucket
//   keeps part of the hash, so probing seldom reads a record.
// An address held by several slots (a Zone and a Region line of one number)
// keeps its slots in a chain, in old-list order, with a cursor: the n-th new
// occurrence pairs with the n-th old one, and every further one with the
// first. Addresses that occur once, nearly all of them, never touch a chain.
class ReferenceTable {
public:
    using Slot = std::uint32_t;

    ReferenceTable();
    ReferenceTable(const ReferenceTable&) = delete;
    ReferenceTable& operator=(const ReferenceTable&) = delete;
    ~ReferenceTable();

    // Appends the entry's address, under address, statuses and sysop as the
    // next slot, marked unmatched.
    void store_entry(const NodelistEntry& entry);

    // The slot a new entry with this address pairs with, now marked matched:
    // the first slot with the address that is still unmatched, or the first
    // slot with it once all are matched. None if no old entry has it.
    std::optional<Slot> take_match(Address address);

    StoredEntry entry(Slot slot) const;
    // Parts of one slot, read in place.
    Status status(Slot slot) const { return record(slot).status; }
    Status keyword_status(Slot slot) const { return record(slot).keyword_status; }
    std::string_view sysop(Slot slot) const;
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
    struct Record {
        Address address;
        std::uint32_t under;  // index into unders_, or no_under
        std::uint32_t sysop;  // offset into the sysop pool
        std::uint8_t sysop_length;
        Status status;
        Status keyword_status;
        bool unmatched : 1;
        bool repeated : 1;  // the address is held by other slots too
    };
    static constexpr std::uint32_t no_under = 0xffffffffu;
    struct Chain {
        std::vector<Slot> slots;  // every slot with the address, in order
        std::size_t next = 0;     // the first of them not yet matched
    };

    // Records are reached through pages of 1,024, so finding one is a shift
    // and a mask. The pages lie in blocks that double in size, from one page
    // (24 KiB) up to 256 (6 MiB, three huge pages exactly), each made once at
    // its full size: nothing stored ever moves, a small table stays small,
    // and a big one gets huge pages.
    static constexpr int page_bits = 10;
    static constexpr Slot page_size = Slot{1} << page_bits;
    static constexpr std::size_t max_pages_per_block = 256;

    Record& record(Slot slot) { return pages_[slot >> page_bits][slot & (page_size - 1)]; }
    const Record& record(Slot slot) const
    {
        return pages_[slot >> page_bits][slot & (page_size - 1)];
    }
    std::uint32_t store_sysop(std::string_view sysop);
    std::uint32_t store_under(const Under& under);
    struct Bucket {
        Slot held;          // 1 + the first slot with the address; 0: free
        std::uint32_t tag;  // high bits of the address's hash, to skip other addresses
    };

    std::size_t find_bucket(Address address, std::uint64_t hash) const;
    void build_index();
    void index_slot(Slot slot, std::uint64_t hash);
    void add_page();
    Slot match(Slot slot);

    struct Block {
        void* memory;
        std::size_t bytes;
    };

    std::vector<Record*> pages_;
    std::vector<Block> record_blocks_;
    std::size_t spare_pages_ = 0;  // made but not yet used, at the end of the last block
    std::vector<Block> sysop_blocks_;
    std::size_t sysop_used_ = 0;  // bytes used in the last sysop block
    std::vector<Address> unders_;
    std::vector<Bucket, LargeBlockAllocator<Bucket>> index_;
    bool indexed_ = false;     // every stored slot is in the index
    std::unordered_map<Slot, Chain> chains_;  // by first slot
    std::uint32_t size_ = 0;
    std::uint32_t distinct_ = 0;  // addresses in the index
    Slot guess_ = 0;  // the slot after the last one matched
};

}  // namespace quorvel
