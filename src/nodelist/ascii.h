#pragma once

#include <string_view>

namespace quorvel {

// Letter case is folded for the 26 ASCII letters only, never through the
// locale: the lists are in a single-byte character set of their own, and a
// byte such as 0xC4 must compare as itself on every machine.
constexpr char fold_ascii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool equal_ignoring_ascii_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold_ascii(a[i]) != fold_ascii(b[i]))
            return false;
    return true;
}

constexpr bool starts_with_ignoring_ascii_case(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           equal_ignoring_ascii_case(text.substr(0, prefix.size()), prefix);
}

}  // namespace quorvel
