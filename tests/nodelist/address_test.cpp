#include "nodelist/address.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(AddressText, FormatsLikePrintfOfThreeSignedDecimals)
{
    EXPECT_EQ(address_text({2, 2433, 5}), "2:2433/5");
    EXPECT_EQ(address_text({0, 0, 0}), "0:0/0");
    EXPECT_EQ(address_text({-1, 10, -300}), "-1:10/-300");
    EXPECT_EQ(address_text({2147483647, -2147483647 - 1, 1000000}),
              "2147483647:-2147483648/1000000");
}

}  // namespace
}  // namespace quorvel
