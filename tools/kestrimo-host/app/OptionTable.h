// One command's options as a table, from which both the parsing of its
// command line and the option list of its --help come.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kestrimo {

enum class OptionKind {
  Value,   // "--name=value", or the name with its value as the next word
  Flag,    // the name as a word of its own
  Passed,  // words that start with the name are left alone (the plug-in reads them)
};

template <typename Options>
struct OptionEntry {
  std::vector<std::string_view> names;
  OptionKind kind = OptionKind::Value;
  std::string_view label;  // left column of --help; empty: not listed
  std::string_view help;   // right column, lines split by '\n'
  // Stores the value (empty for a flag); returns an error text or empty.
  std::string (*apply)(const std::string& value, Options& options) = nullptr;
};

// A command-line word split into an option name and, after '=', its value.
struct OptionWord {
  std::string name;
  std::string value;
  bool valueGiven = false;
};
OptionWord SplitOptionWord(const std::string& arg);

// The message for a word no entry takes; `what` names the kind of option.
std::string UnknownWordError(const std::string& arg, std::string_view what);

// The --help lines of one entry, each ending in '\n'.
std::string OptionHelpText(std::string_view label, std::string_view help);

template <typename Options>
bool Matches(const OptionEntry<Options>& entry, std::string_view word) {
  for (std::string_view name : entry.names) {
    if (entry.kind == OptionKind::Passed ? word.starts_with(name) : word == name) return true;
  }
  return false;
}

template <typename Options>
const OptionEntry<Options>* FindOption(const std::vector<OptionEntry<Options>>& table,
                                       std::string_view word, OptionKind kind) {
  for (const OptionEntry<Options>& entry : table) {
    if (entry.kind == kind && Matches(entry, word)) return &entry;
  }
  return nullptr;
}

// Applies the option at args[i], moving i onto its value when that is the
// next word; returns an error text or empty.
template <typename Options>
std::string ApplyOption(const std::vector<OptionEntry<Options>>& table,
                        const std::vector<std::string>& args, std::size_t& i,
                        std::string_view what, Options& options) {
  const std::string& arg = args[i];
  if (FindOption(table, arg, OptionKind::Passed)) return {};
  if (const auto* flag = FindOption(table, arg, OptionKind::Flag)) return flag->apply({}, options);
  OptionWord word = SplitOptionWord(arg);
  const auto* entry = FindOption(table, word.name, OptionKind::Value);
  if (!entry) return UnknownWordError(arg, what);
  if (!word.valueGiven) {
    if (i + 1 >= args.size()) return "option " + word.name + " needs a value";
    word.value = args[++i];
  }
  return entry->apply(word.value, options);
}

// Applies every word in turn; the first error text, or empty.
template <typename Options>
std::string ApplyOptions(const std::vector<OptionEntry<Options>>& table,
                         const std::vector<std::string>& args, std::string_view what,
                         Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (std::string error = ApplyOption(table, args, i, what, options); !error.empty()) return error;
  }
  return {};
}

// The option list of --help, in the table's order.
template <typename Options>
std::string OptionListText(const std::vector<OptionEntry<Options>>& table) {
  std::string text;
  for (const OptionEntry<Options>& entry : table) {
    if (!entry.label.empty()) text += OptionHelpText(entry.label, entry.help);
  }
  return text;
}

}  // namespace kestrimo
