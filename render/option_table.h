// The option tables of huesift-render and of the XScreenSaver hack: one row
// per option, walked both to take the arguments and to write the usage, so
// that an option's name, value, choices and help are written once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/settings.h"
#include "render/shown_text.h"

// One option: its name without dashes, the value it takes as the usage shows
// it (nullptr for a switch, or made from `choices`), its help line and how
// its value is taken into the program's `Parse` record (false when the value
// is not one it accepts). An option with choices shows which of them is the
// default.
template <typename Parse>
struct OptionRow {
    const char* name;
    const char* value;
    std::span<const NamedCode> choices;
    std::int32_t default_code;
    const char* help;
    bool (*take)(std::string_view value, Parse& parse);
};

inline constexpr std::span<const NamedCode> NO_CHOICES;

template <typename Parse>
bool takes_value(const OptionRow<Parse>& row) {
    return row.value || !row.choices.empty();
}

// "--shape square|circle|..." or "-speed 1..5": the left column of the usage.
template <typename Parse>
std::string option_with_value(const OptionRow<Parse>& row, std::string_view dashes) {
    std::string text = std::string(dashes) + row.name;
    if (row.value) return text + " " + row.value;
    for (std::size_t i = 0; i < row.choices.size(); ++i)
        text += (i == 0 ? " " : "|") + std::string(row.choices[i].name);
    return text;
}

// One line of the usage: the option with its value, then its help at the
// help column, with the default of a choice.
template <typename Parse>
std::string usage_line(const OptionRow<Parse>& row, std::string_view dashes) {
    constexpr std::size_t HELP_COLUMN = 30;
    std::string line = "  " + option_with_value(row, dashes);
    line.resize(std::max(line.size() + 2, HELP_COLUMN), ' ');
    line += row.help;
    for (const NamedCode& choice : row.choices)
        if (choice.code == row.default_code) line += std::string(" (default ") + choice.name + ")";
    return line + "\n";
}

enum ArgumentsOutcome { ARGUMENTS_TAKEN, ARGUMENTS_ENDED_EARLY, ARGUMENTS_REFUSED };

// Takes each argument through the table: "--name value" and "--name=value",
// and with `single_dash_too` "-name" as well. `dashes` is how messages write
// an option. Stops early once `parse.ends_early()` (a request for help or
// the version), and at the first argument it cannot take, with `error` one
// line saying why and any text of the user's shown escaped.
template <typename Parse>
ArgumentsOutcome take_arguments(int argc, const char* const* argv, std::span<const OptionRow<Parse>> rows,
                                std::string_view dashes, bool single_dash_too, Parse& parse, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::string_view name;
        if (argument.starts_with("--"))
            name = argument.substr(2);
        else if (single_dash_too && argument.starts_with("-"))
            name = argument.substr(1);
        std::string_view value;
        bool inline_value = false;
        if (const auto equals = name.find('='); equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            inline_value = true;
        }
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const OptionRow<Parse>& r) { return !name.empty() && name == r.name; });
        if (row == rows.end() || (inline_value && !takes_value(*row))) {
            error = "unknown option " + shown_text(argument);
            return ARGUMENTS_REFUSED;
        }
        const std::string shown_name = std::string(dashes) + row->name;
        if (takes_value(*row) && !inline_value) {
            if (i + 1 >= argc) {
                error = shown_name + " needs a value";
                return ARGUMENTS_REFUSED;
            }
            value = argv[++i];
        }
        if (!row->take(value, parse)) {
            error = "bad value for " + shown_name + ": " + shown_text(value);
            return ARGUMENTS_REFUSED;
        }
        if (parse.ends_early()) return ARGUMENTS_ENDED_EARLY;
    }
    return ARGUMENTS_TAKEN;
}
