#include "nodelist/entry_parser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvel {
namespace {

using namespace std::string_literals;

struct Expected {
    std::string line;
    std::string status;
    std::string address;
    std::string under;
};

std::string under_text(const Under& under)
{
    std::string text;
    append_under_text(text, under);
    return text;
}

// Feeds the lines through one context, as a run does for one list, and checks
// each line's status, address and under text.
void expect_sequence(const std::vector<Expected>& rows)
{
    AddressContext context;
    NodelistEntry entry;
    for (const Expected& row : rows) {
        SCOPED_TRACE(row.line);
        parse_entry(row.line, context, entry);
        EXPECT_EQ(status_label(entry.status), row.status);
        EXPECT_EQ(address_text(entry.context.address), row.address);
        EXPECT_EQ(under_text(entry.context.under), row.under);
        EXPECT_EQ(entry.context.address, context.address);
    }
}

TEST(ParseEntry, FollowsTheHierarchyOfZoneRegionHostAndHub)
{
    expect_sequence({
        {"Zone,2,Z,L,S,P,B,F", "ZC", "2:2/0", "2:2/0"},
        {",20,N,L,S,P,B,F", "Z-I", "2:2/20", "2:2/0"},
        {"Region,24,N,L,S,P,B,F", "RC", "2:24/0", "2:24/0"},
        {",50,N,L,S,P,B,F", "R-I", "2:24/50", "2:24/0"},
        {"Host,2433,N,L,S,P,B,F", "Host", "2:2433/0", "2:2433/0"},
        {",1,N,L,S,P,B,F", "NN", "2:2433/1", "2:2433/0"},
        {"Hub,100,N,L,S,P,B,F", "Hub", "2:2433/100", "2:2433/100"},
        {"Hold,101,N,L,S,P,B,F", "Hold", "2:2433/101", "2:2433/100"},
        {"pvt,102,N,L,S,P,B,F", "Pvt", "2:2433/102", "2:2433/100"},
        {"DOWN,103,N,L,S,P,B,F", "Down", "2:2433/103", "2:2433/100"},
        // A new host ends the hub's reach; the region stays in force.
        {"Host,2434,N,L,S,P,B,F", "Host", "2:2434/0", "2:2434/0"},
        {",7,N,L,S,P,B,F", "NN", "2:2434/7", "2:2434/0"},
        // A Zone line starts afresh: the region is cleared.
        {"ZONE,3,N,L,S,P,B,F", "ZC", "3:3/0", "3:3/0"},
        {"zone,4,N,L,S,P,B,F", "ZC", "4:4/0", "4:4/0"},
    });
}

TEST(ParseEntry, LabelsNodesDirectlyUnderACoordinator)
{
    expect_sequence({
        {"Zone,2,Z,L,S,P,B,F", "ZC", "2:2/0", "2:2/0"},
        // A hub (or Pvt, Hold, Down) directly under the zone coordinator is
        // Z-I and listed under the zone, not under itself.
        {"Hub,100,N,L,S,P,B,F", "Z-I", "2:2/100", "2:2/0"},
        {"Pvt,101,N,L,S,P,B,F", "Z-I", "2:2/101", "2:2/0"},
        {"Region,24,N,L,S,P,B,F", "RC", "2:24/0", "2:24/0"},
        {"Down,5,N,L,S,P,B,F", "R-I", "2:24/5", "2:24/0"},
        // Nodes of a host whose net number is the region's are R-I too.
        {"Host,24,N,L,S,P,B,F", "Host", "2:24/0", "2:24/0"},
        {",6,N,L,S,P,B,F", "R-I", "2:24/6", "2:24/0"},
        {"Host,2433,N,L,S,P,B,F", "Host", "2:2433/0", "2:2433/0"},
        {",6,N,L,S,P,B,F", "NN", "2:2433/6", "2:2433/0"},
    });
}

TEST(ParseEntry, ReadsLinesBeforeTheFirstZoneLineInZoneZero)
{
    expect_sequence({
        {"Host,2433,N,L,S,P,B,F", "Host", "0:2433/0", "0:2433/0"},
        {",5,N,L,S,P,B,F", "NN", "0:2433/5", "0:2433/0"},
        // With zone, net and region all 0 both labels apply; R-I wins.
        {"Host,0,N,L,S,P,B,F", "Host", "0:0/0", "0:0/0"},
        {",9,N,L,S,P,B,F", "R-I", "0:0/9", "0:0/0"},
    });
}

TEST(ParseEntry, StartsFromTheZeroContext)
{
    // Lines before any coordinator line: a node of number 0 is listed under
    // nothing yet; any other node is R-I under 0:0/0, as zone, net and region
    // are all 0.
    const std::vector<std::vector<Expected>> lists = {
        {{",0,N,L,S,P,B,F", "NN", "0:0/0", ""}, {",3,N,L,S,P,B,F", "R-I", "0:0/3", "0:0/0"}},
        {{"Pvt,0,N,L,S,P,B,F", "Pvt", "0:0/0", ""},
         {"Hub,0,N,L,S,P,B,F", "Hub", "0:0/0", "0:0/0"},
         {",0,N,L,S", "NN", "0:0/0", "0:0/0"}},
        {{"Hub,7,N,L,S,P,B,F", "R-I", "0:0/7", "0:0/0"}},
        {{"Down,5,N,L,S,P,B,F", "R-I", "0:0/5", "0:0/0"}},
        {{"Boss,1:2/3,N,L,S", "NN", "0:0/0", ""}},
        {{"Region,10,N,L,S", "RC", "0:10/0", "0:10/0"}, {",4,N,L,S", "R-I", "0:10/4", "0:10/0"}},
    };
    for (const auto& list : lists)
        expect_sequence(list);
}

TEST(ParseEntry, ReadsBareKeywordLines)
{
    // A keyword and its comma alone, or with a number and nothing more.
    expect_sequence({
        {"Zone,2,Z,L,S,P,B,F", "ZC", "2:2/0", "2:2/0"},
        {"Host,5,N,L,S,P,B,F", "Host", "2:5/0", "2:5/0"},
        {"Down,", "Down", "2:5/0", "2:5/0"},
        {"Hub,", "Hub", "2:5/0", "2:5/0"},
        {"Hold,9", "Hold", "2:5/9", "2:5/0"},
        {"Pvt,12,", "Pvt", "2:5/12", "2:5/0"},
        {"Host,", "Host", "2:0/0", "2:0/0"},
        {"Region,", "RC", "2:0/0", "2:0/0"},
        {"Zone,", "ZC", "0:0/0", "0:0/0"},
    });
    AddressContext context;
    NodelistEntry entry;
    parse_entry("Down,", context, entry);
    EXPECT_EQ(entry.keyword_status, Status::Down);
    EXPECT_TRUE(entry.is_node);
    EXPECT_EQ(entry.system_name, "");
    EXPECT_EQ(entry.sysop, "");
    parse_entry("Hub,17", context, entry);
    EXPECT_EQ(entry.context.node, 17);
    EXPECT_EQ(entry.system_name, "");
}

TEST(ParseEntry, KeepsTheKeywordStatusBesideTheIndependentLabel)
{
    struct Case {
        const char* coordinator;
        std::string line;
        Status label;
        Status keyword;
    };
    const std::vector<Case> cases = {
        {"Zone,1,Z", ",5,N,L,S", Status::ZI, Status::NN},
        {"Zone,1,Z", "Hold,5,N,L,S", Status::ZI, Status::Hold},
        {"Zone,1,Z", "Down,5,N,L,S", Status::ZI, Status::Down},
        {"Zone,1,Z", "Pvt,5,N,L,S", Status::ZI, Status::Pvt},
        {"Zone,1,Z", "Hub,5,N,L,S", Status::ZI, Status::Hub},
        {"Region,11,R", ",530,N,L,S", Status::RI, Status::NN},
        {"Region,11,R", "Hold,530,N,L,S", Status::RI, Status::Hold},
        {"Region,11,R", "DOWN,530,N,L,S", Status::RI, Status::Down},
        {"Region,11,R", "Pvt,530,N,L,S", Status::RI, Status::Pvt},
        {"Region,11,R", "Hub,530,N,L,S", Status::RI, Status::Hub},
        {"Host,12,H", "Hold,1,N,L,S", Status::Hold, Status::Hold},
        {"Host,12,H", ",1,N,L,S", Status::NN, Status::NN},
        {"Host,12,H", "Host,13,N,L,S", Status::Host, Status::Host},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.coordinator) + " / " + c.line);
        AddressContext context;
        NodelistEntry entry;
        parse_entry("Zone,1,Z,L,S", context, entry);
        parse_entry(c.coordinator, context, entry);
        parse_entry(c.line, context, entry);
        EXPECT_EQ(entry.status, c.label);
        EXPECT_EQ(entry.keyword_status, c.keyword);
    }
}

TEST(ParseEntry, TreatsAnUnknownKeywordAsAPlainNodeLine)
{
    expect_sequence({
        {"Zone,2,Z,L,S,P,B,F", "ZC", "2:2/0", "2:2/0"},
        {"Host,2433,N,L,S,P,B,F", "Host", "2:2433/0", "2:2433/0"},
        // The first character is passed over and the number read from the
        // rest of the keyword field: none, so node 0.
        {"Boss,2:2433/1,System,Town,Sysop,P,B,F", "NN", "2:2433/0", "2:2433/0"},
        {"Zone ,3,N,L,S,P,B,F", "NN", "2:2433/0", "2:2433/0"},
    });

    AddressContext context;
    NodelistEntry entry;
    parse_entry("Boss,2:2433/1,System,Town,Sysop,P,B,F", context, entry);
    EXPECT_EQ(entry.system_name, "2:2433/1");
    EXPECT_EQ(entry.location, "System");
    EXPECT_EQ(entry.sysop, "Town");
}

TEST(ParseEntry, ReadsTheNumberFieldLikeAtoiAndWrapsOnOverflow)
{
    struct Case {
        std::string field;
        std::int32_t node;
    };
    const std::vector<Case> cases = {
        {"17", 17},
        {" \t+17", 17},
        {"-5", -5},
        {"12abc", 12},
        {"", 0},
        {"abc", 0},
        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},
        {"4294967297", 1},
        {"-2147483648", -2147483647 - 1},
        {"99999999999999999999", 1661992959},  // 10^20 - 1 modulo 2^32
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        AddressContext context;
        NodelistEntry entry;
        parse_entry("Host,1,N,L,S,P,B,F", context, entry);
        parse_entry("," + c.field + ",N,L,S,P,B,F", context, entry);
        EXPECT_EQ(entry.context.node, c.node);
    }

    AddressContext context;
    NodelistEntry entry;
    parse_entry("Zone,-2147483648,Z", context, entry);
    EXPECT_EQ(address_text(entry.context.address), "-2147483648:-2147483648/0");
}

TEST(ParseEntry, SplitsTheFields)
{
    AddressContext context;
    NodelistEntry entry;
    parse_entry(",1,My_Box,Some_Town,First_Sysop,-Unpublished-,9600_x,CM,XA,U_FLAG", context,
                entry);
    EXPECT_EQ(entry.system_name, "My_Box");
    EXPECT_EQ(entry.location, "Some_Town");
    EXPECT_EQ(entry.sysop, "First_Sysop");
    EXPECT_EQ(entry.phone(), "-Unpublished-");
    EXPECT_EQ(entry.baud_rate(), "9600_x");
    EXPECT_EQ(entry.flags(), "CM,XA,U_FLAG");
    EXPECT_TRUE(entry.is_node);

    parse_entry("Host,2433,Net,Town,Sysop_Name", context, entry);
    EXPECT_FALSE(entry.is_node);
    EXPECT_EQ(entry.sysop, "Sysop_Name");
    EXPECT_EQ(entry.phone(), "");
    EXPECT_EQ(entry.baud_rate(), "");
    EXPECT_EQ(entry.flags(), "");

    parse_entry(",5,Net,Town,Sysop,Phone", context, entry);
    EXPECT_EQ(entry.phone(), "Phone");
    EXPECT_EQ(entry.baud_rate(), "");

    parse_entry(",5,Net,Town,Sysop,Phone,300,", context, entry);
    EXPECT_EQ(entry.baud_rate(), "300");
    EXPECT_EQ(entry.flags(), "");
}

TEST(ParseEntry, AcceptsLinesWithTooFewFields)
{
    for (const std::string line : {"", ",", "Zone,2", "Zone,", "Hub", ",7,Only_Name"}) {
        SCOPED_TRACE(line);
        AddressContext context;
        NodelistEntry entry;
        parse_entry(line, context, entry);
        EXPECT_EQ(entry.sysop, "");
        EXPECT_EQ(entry.flags(), "");
    }
    AddressContext context;
    NodelistEntry entry;
    parse_entry("Zone,2", context, entry);
    EXPECT_EQ(address_text(entry.context.address), "2:2/0");
    parse_entry(",7,Only_Name", context, entry);
    EXPECT_EQ(entry.system_name, "Only_Name");
    EXPECT_EQ(address_text(entry.context.address), "2:2/7");
}

TEST(ParseEntry, KeepsBytesOutsideAsciiLettersAsTheyAre)
{
    AddressContext context;
    NodelistEntry entry;
    // 0xC4 0xE4 are not letters to fold; a keyword with them matches nothing.
    const std::string line = ",1,N,L,J\xC4rg_\xE4\x00x,P,B,F"s;
    parse_entry(line, context, entry);
    EXPECT_EQ(entry.sysop, "J\xC4rg_\xE4\x00x"s);
    parse_entry("\xC4one,3,N,L,S,P,B,F", context, entry);
    EXPECT_EQ(entry.status, Status::NN);
}

TEST(NameFields, ReadUnderscoresAsSpaces)
{
    std::string copy = "was: ";
    copy_name_field(copy, "First__Sysop_");
    EXPECT_EQ(copy, "was: First  Sysop ");
    copy_name_field(copy, "_x");
    EXPECT_EQ(copy, "was: First  Sysop  x");

    EXPECT_TRUE(names_equal("Sysop_One", "SYSOP ONE"));
    EXPECT_TRUE(names_equal("", ""));
    EXPECT_FALSE(names_equal("Sysop_One", "Sysop One "));
    EXPECT_FALSE(names_equal("Sysop-One", "Sysop One"));
    EXPECT_FALSE(names_equal("\xc4rger", "\xe4rger"));  // only A-Z fold
    EXPECT_FALSE(names_equal("[", "{"));                // nor their neighbours
}

TEST(IsBlankLine, AcceptsOnlySpacesAndTabs)
{
    EXPECT_TRUE(is_blank_line(""));
    EXPECT_TRUE(is_blank_line(" \t "));
    EXPECT_FALSE(is_blank_line(" ,1"));
    EXPECT_FALSE(is_blank_line("\v"));
}

}  // namespace
}  // namespace quorvel
