#pragma once

#include <string>

namespace quorvel::test::fault_lists {

// A small pair of lists, and the report and messages a run on them gives,
// for the tests that inject faults into the platform layer's system calls.
inline const std::string old_list =
    "Zone,2,Z,L,ZS,P,B,F\r\nHost,2433,N,L,HS,P,B,F\r\n,1,N,L,One,P,B,F\r\n,2,N,L,Two,P,B,F\r\n";
inline const std::string new_list =
    "Zone,2,Z,L,ZS,P,B,F\r\nHost,2433,N,L,HS,P,B,F\r\n,1,N,L,Uno,P,B,F\r\n,3,N,L,Three,P,B,F\r\n";
inline const std::string header = "\r\nComparing OLD and NEW:\r\n\r\n";
inline const std::string changed = "2:2433/1      (under 2:2433/0): New sysop Uno (was: One)\r\n";
inline const std::string added = "2:2433/3      (under 2:2433/0): New node (Three)\r\n";
inline const std::string lost = "2:2433/2      (under 2:2433/0): Lost node (was: Two)\r\n";
inline const std::string footer = "\r\n...produced by Quorvel v1.11 [Windows 95/NT]\r\n";
inline const std::string report = header + changed + added + lost + footer;
inline const std::string summary = "4 old entries with 4 entries compared\n";

inline std::string io_error(int number)
{
    return "I/O-Fehler " + std::to_string(number) + " occured -> program end.\n";
}

}  // namespace quorvel::test::fault_lists
