#include "nodelist/byte_masks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace quorvel {
namespace {

// Every way to a mask this machine has, and find_first, each against the
// plain byte-by-byte version.
template <class Bytes>
void expect_all_ways_agree(const std::string& block)
{
    for (std::size_t size = 0; size <= std::min<std::size_t>(block.size(), 64); ++size) {
        SCOPED_TRACE("size " + std::to_string(size));
        const std::uint64_t expected = mask_bytewise<Bytes>(block.data(), size);
        EXPECT_EQ(mask_by_words<Bytes>(block.data(), size), expected);
#ifdef __SSE2__
        EXPECT_EQ(mask_by_sse2<Bytes>(block.data(), size), expected);
#endif
        EXPECT_EQ(byte_mask<Bytes>(block.data(), size), expected);
    }
    const char* first = std::find_if(block.data(), block.data() + block.size(), Bytes::matches);
    EXPECT_EQ(find_first<Bytes>(block.data(), block.data() + block.size()), first);
}

TEST(ByteMasks, TellControlBytesAndCommasFromTheirNeighbours)
{
    // The bytes next to what is sought, and the same with the top bit set,
    // which the word-wide tests must not mistake for it.
    const std::vector<std::string> blocks = {
        std::string("\x1f\x20\x9f\xa0\x00\x80\x0d\x8d\x0a\x8a\x1a\x9a\x7f\xff", 14),
        std::string(",+-\xac\xab\xad,,", 8),
        std::string(64, '\0'),
        std::string(64, ','),
        std::string(64, ' '),
        std::string(63, 'x') + "\r",
        std::string(40, '\xff') + ",\n" + std::string(30, '\xfe'),
    };
    for (const std::string& block : blocks) {
        expect_all_ways_agree<ControlBytes>(block);
        expect_all_ways_agree<Commas>(block);
    }
    EXPECT_EQ(mask_by_words<ControlBytes>(blocks[0].data(), 14), 0b10101010001u);
    EXPECT_EQ(mask_by_words<Commas>(blocks[1].data(), 8), 0b11000001u);
}

TEST(ByteMasks, AgreeWithTheByteByByteVersionOnRandomBlocks)
{
    std::mt19937 random(20261211);
    const std::string likely = std::string("\0\r\n\x1a\t\x1f \x7f\x80\x9f\xa0\xac,+-", 15);
    for (int round = 0; round < 3000; ++round) {
        std::string block(1 + random() % 80, ' ');
        for (char& c : block)
            c = random() % 2 == 0 ? likely[random() % likely.size()] : static_cast<char>(random());
        SCOPED_TRACE("round " + std::to_string(round));
        expect_all_ways_agree<ControlBytes>(block);
        expect_all_ways_agree<Commas>(block);
        if (HasFailure())
            return;
    }
}

}  // namespace
}  // namespace quorvel
