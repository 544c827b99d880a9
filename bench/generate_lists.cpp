// Writes a realistic pair of nodelist editions and, beside them, the report
// lines a correct comparison of the two must produce, worked out from the
// generator's own model of the lists rather than by the tool's code.
//
//   quorvel_generate SEED ENTRIES OLD NEW EXPECTED
//
// The lists have zones, regions, hosts, hubs and Pvt/Hold/Down nodes, comment
// lines, 8-bit bytes in names and CR LF line ends. About 2% of the nodes
// change between the editions: new, lost, a new status, a new sysop, or a
// move to another hub (which the report must not show). The output depends on
// SEED and ENTRIES alone.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t bound) { return static_cast<std::size_t>(next() % bound); }
    bool chance(unsigned per_mille) { return below(1000) < per_mille; }

private:
    std::uint64_t state_;
};

const std::array<const char*, 16> first_names = {
    "John", "Maria", "J\xfcrgen", "Bob", "Anna", "Lars", "Fran\xe7ois", "Ken",
    "Olga", "Pete", "S\xf8ren", "Mike", "Eva", "Tom", "Ren\xe9", "Wolfgang"};
const std::array<const char*, 16> last_names = {
    "Smith", "Miller", "M\xfcller", "Jones", "Hansen", "Brown", "Dupont", "Lee",
    "Petrova", "Walton", "Nielsen", "Ward", "Berg", "Kahn", "Legrand", "Schulz"};
const std::array<const char*, 12> towns = {
    "Berlin", "M\xfcnchen", "Oslo", "Paris", "Springfield", "Z\xfcrich",
    "New_York", "G\xf6teborg", "Wien", "Praha", "Boston", "Krak\xf3w"};
const std::array<const char*, 10> words = {
    "Black", "Hole", "BBS", "Point", "Dragon", "Castle", "Net", "Board", "Cafe", "Mail"};
const std::array<const char*, 6> flag_sets = {
    "CM,XA,V34,V42b", "XA,V32b,V42b,U,ICM", "CM,IBN,INA:fido.example.org", "MO,XW",
    "CM,XA,V34,V42b,U,IBN,ITN", "XA"};

enum Status { Plain, Pvt, Hold, Down };
const std::array<const char*, 4> keywords = {"", "Pvt", "Hold", "Down"};
const std::array<const char*, 4> shown = {"./.", "Pvt", "Hold", "Down"};

// One entry line's fields after keyword and number, fixed for the node so
// that an unchanged node gives the same line in both editions.
struct Fields {
    std::string system;
    std::string town;
    std::string sysop;
    std::string phone;
    std::string rest;  // baud rate and flags
};

struct Node {
    int number;
    Status status;
    Fields fields;
};

struct Group {  // a hub and its nodes, or the nodes listed straight under the host
    int hub;    // 0: under the host
    Fields hub_fields;
    std::vector<Node> nodes;
};

struct Net {
    int zone;
    int number;
    Fields host_fields;
    std::vector<Group> groups;
};

struct Region {
    int number;
    Fields fields;
    Fields independent;  // a node listed straight under the region (R-I)
    std::vector<Net> nets;
};

struct Zone {
    int number;
    Fields fields;
    Fields independent;  // a node listed straight under the zone (Z-I)
    std::vector<Region> regions;
};

using Model = std::vector<Zone>;

std::string person(Random& random)
{
    return std::string(first_names[random.below(first_names.size())]) + "_" +
           last_names[random.below(last_names.size())];
}

Fields fields(Random& random, const std::string& sysop, bool unpublished = false)
{
    Fields made;
    made.system = std::string(words[random.below(words.size())]) + "_" +
                  words[random.below(words.size())];
    made.town = towns[random.below(towns.size())];
    made.sysop = sysop;
    made.phone = unpublished ? "-Unpublished-"
                             : std::to_string(1 + random.below(60)) + "-" +
                                   std::to_string(100 + random.below(900)) + "-" +
                                   std::to_string(1000000 + random.below(9000000));
    made.rest = std::string(random.chance(500) ? "33600" : "9600") + "," +
                flag_sets[random.below(flag_sets.size())];
    return made;
}

std::string address(int zone, int net, int node)
{
    return std::to_string(zone) + ":" + std::to_string(net) + "/" + std::to_string(node);
}

std::string spaced(std::string text)
{
    for (char& c : text)
        if (c == '_')
            c = ' ';
    return text;
}

// "%-13s (under %s): ", written out by hand.
std::string line_start(const std::string& node, const std::string& under)
{
    std::string padded = node;
    if (padded.size() < 13)
        padded.append(13 - padded.size(), ' ');
    return padded + " (under " + under + "): ";
}

void write_line(std::string& out, const char* keyword, int number, const Fields& f)
{
    out += keyword;
    out += "," + std::to_string(number) + "," + f.system + "," + f.town + "," + f.sysop + "," +
           f.phone + "," + f.rest + "\r\n";
}

Model build(Random& random, std::size_t entries)
{
    // About 52 entries per net: the host, six direct nodes, three hubs of 14-16.
    const std::size_t net_count = std::max<std::size_t>(1, entries / 52);
    const std::size_t zone_count = net_count < 40 ? 1 : 4;
    const std::size_t regions_per_zone =
        std::min<std::size_t>(80, std::max<std::size_t>(1, net_count / zone_count / 50));
    const std::size_t region_count = zone_count * regions_per_zone;
    Model model;
    std::size_t made = 0;
    for (std::size_t z = 0; z < zone_count; ++z) {
        const int zone = static_cast<int>(z + 1);
        model.push_back({zone, fields(random, "Zone_Coordinator"), fields(random, "Gate_Keeper"), {}});
        int next_net = 100;  // above every zone and region number
        for (std::size_t r = 0; r < regions_per_zone; ++r) {
            Region region{static_cast<int>(10 + r), fields(random, "Region_Coordinator"),
                          fields(random, "Echo_Keeper"), {}};
            const std::size_t done = z * regions_per_zone + r;
            const std::size_t nets_here = (net_count - made) / (region_count - done);
            for (std::size_t n = 0; n < nets_here; ++n, ++made) {
                Net net{zone, next_net, fields(random, "Host_" + std::to_string(next_net)), {}};
                next_net += 1 + static_cast<int>(random.below(3));
                for (int hub = 0; hub <= 300; hub += 100) {
                    Group group{hub, fields(random, person(random)), {}};
                    const int count = hub == 0 ? 6 : 14 + static_cast<int>(random.below(3));
                    for (int i = 1; i <= count; ++i) {
                        const std::size_t roll = random.below(100);
                        const Status status = roll < 90   ? Plain
                                              : roll < 94 ? Pvt
                                              : roll < 97 ? Hold
                                                          : Down;
                        // Even numbers only: new nodes take odd ones.
                        group.nodes.push_back(
                            {hub + 2 * i, status, fields(random, person(random), status == Pvt)});
                    }
                    net.groups.push_back(std::move(group));
                }
                region.nets.push_back(std::move(net));
            }
            model.back().regions.push_back(std::move(region));
        }
    }
    return model;
}

std::string write_list(const Model& model, int day)
{
    std::string out =
        ";A Generated Nodelist for day " + std::to_string(day) + " : 12345\r\n;A\r\n";
    for (const Zone& zone : model) {
        out += ";S Zone " + std::to_string(zone.number) + "\r\n";
        write_line(out, "Zone", zone.number, zone.fields);
        write_line(out, "", 1, zone.independent);
        for (const Region& region : zone.regions) {
            write_line(out, "Region", region.number, region.fields);
            write_line(out, "", 1, region.independent);
            for (const Net& net : region.nets) {
                write_line(out, "Host", net.number, net.host_fields);
                for (const Group& group : net.groups) {
                    if (group.hub != 0)
                        write_line(out, "Hub", group.hub, group.hub_fields);
                    for (const Node& node : group.nodes) {
                        if (node.number % 40 == 0)
                            out += ";S a comment between the nodes\r\n";
                        write_line(out, keywords[node.status], node.number, node.fields);
                    }
                }
            }
        }
    }
    return out + "\x1a";
}

struct OldNode {
    Status status;
    std::string sysop;
};

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::cerr << "usage: quorvel_generate SEED ENTRIES OLD NEW EXPECTED\n";
        return 2;
    }
    const std::uint64_t seed = std::strtoull(argv[1], nullptr, 10);
    const std::size_t entries = std::strtoull(argv[2], nullptr, 10);
    Random random(seed);
    const Model old_model = build(random, entries);

    // The new edition: each node of the old one is kept, lost, given a new
    // status or sysop, or moved to the next hub of its net, and a few new
    // nodes join. Lost lines are written in old-list order as they are drawn.
    Model new_model = old_model;
    std::string lost_lines;
    int renamed = 0;
    for (Zone& zone : new_model)
        for (Region& region : zone.regions)
            for (Net& net : region.nets) {
                std::vector<std::vector<Node>> moved(net.groups.size() + 1);
                for (std::size_t g = 0; g < net.groups.size(); ++g) {
                    Group& group = net.groups[g];
                    std::vector<Node> kept;
                    for (Node node : group.nodes) {
                        const std::size_t roll = random.below(1000);
                        if (roll < 5) {
                            lost_lines += line_start(address(net.zone, net.number, node.number),
                                                     address(net.zone, net.number, group.hub)) +
                                          "Lost node (was: " + spaced(node.fields.sysop) + ")\r\n";
                            continue;
                        }
                        if (roll < 9)
                            node.status = static_cast<Status>((node.status + 1 + random.below(3)) % 4);
                        else if (roll < 13)
                            node.fields.sysop = "New_Sysop_" + std::to_string(++renamed);
                        else if (roll < 15 && group.hub != 0 && g + 1 < net.groups.size()) {
                            moved[g + 1].push_back(node);
                            continue;
                        }
                        kept.push_back(node);
                    }
                    group.nodes = std::move(kept);
                }
                for (std::size_t g = 0; g < net.groups.size(); ++g) {
                    Group& group = net.groups[g];
                    group.nodes.insert(group.nodes.end(), moved[g].begin(), moved[g].end());
                    if (random.chance(90)) {
                        const int number = group.hub + 1 + 2 * static_cast<int>(random.below(30));
                        group.nodes.push_back(
                            {number, Plain,
                             fields(random, "Newcomer_" + std::to_string(++renamed))});
                    }
                }
            }

    // The expected lines of the new pass, in new-list order, judged against
    // each node's old state.
    std::string expected;
    for (std::size_t z = 0; z < new_model.size(); ++z)
        for (std::size_t r = 0; r < new_model[z].regions.size(); ++r)
            for (std::size_t n = 0; n < new_model[z].regions[r].nets.size(); ++n) {
                const Net& net = new_model[z].regions[r].nets[n];
                std::map<int, OldNode> before;
                for (const Group& group : old_model[z].regions[r].nets[n].groups)
                    for (const Node& node : group.nodes)
                        before[node.number] = {node.status, node.fields.sysop};
                for (const Group& group : net.groups)
                    for (const Node& node : group.nodes) {
                        const std::string start =
                            line_start(address(net.zone, net.number, node.number),
                                       address(net.zone, net.number, group.hub));
                        const auto old = before.find(node.number);
                        if (old == before.end())
                            expected += start + "New node (" + spaced(node.fields.sysop) + ")\r\n";
                        else if (old->second.status != node.status)
                            expected += start + shown[old->second.status] + " to " +
                                        shown[node.status] + " (" + spaced(node.fields.sysop) + ")\r\n";
                        else if (old->second.sysop != node.fields.sysop)
                            expected += start + "New sysop " + spaced(node.fields.sysop) + " (was: " +
                                        spaced(old->second.sysop) + ")\r\n";
                    }
            }
    expected += lost_lines;

    const auto write = [](const char* path, const std::string& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::cerr << "cannot write " << path << "\n";
            std::exit(1);
        }
    };
    write(argv[3], write_list(old_model, 159));
    write(argv[4], write_list(new_model, 166));
    write(argv[5], expected);
    return 0;
}
